#include "tools/remote/options.hpp"

#include <charconv>

namespace tamrel::remote {
namespace {

using platform::Errc;
using platform::Status;

bool to_int(const std::string& text, int& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && !text.empty();
}

// How many arguments each command takes: {least, most}.
struct Arity {
    std::size_t least;
    std::size_t most;
};

bool arity_of(const std::string& command, Arity& arity) {
    static const std::pair<const char*, Arity> table[] = {
        {"search", {0, 0}}, {"connect", {0, 0}}, {"disconnect", {0, 0}}, {"send", {1, 2}},
        {"line", {1, 1}},   {"record", {1, 1}},  {"play", {1, 2}},       {"list", {1, 1}},
        {"watch", {0, 0}},
    };
    for (const auto& [name, a] : table) {
        if (command == name) {
            arity = a;
            return true;
        }
    }
    return false;
}

}  // namespace

platform::Result<RemoteOptions> parse_remote_options(const std::vector<std::string>& args) {
    RemoteOptions o;
    std::size_t i = 0;
    auto value = [&](const std::string& name, std::string& out) -> Status {
        if (i + 1 >= args.size()) return Status(Errc::invalid_argument, name + " needs a value");
        out = args[++i];
        return {};
    };
    auto number = [&](const std::string& name, int& out, int least, int most) -> Status {
        std::string text;
        if (Status s = value(name, text); !s) return s;
        if (!to_int(text, out) || out < least || out > most) {
            return Status(Errc::invalid_argument, name + ": bad value " + text);
        }
        return {};
    };
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        Status s;
        if (a == "--device") {
            s = value(a, o.device);
        } else if (a == "--port-offset") {
            s = number(a, o.port_offset, -50504, 15028);
        } else if (a == "--listen-port") {
            s = number(a, o.listen_port, 1, 65535);
        } else if (a == "--timeout") {
            s = number(a, o.timeout_s, 1, 3600);
        } else if (a == "--gen") {
            s = number(a, o.generation, 1, 2);
        } else if (a == "--folders") {
            o.folders = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
            return o;
        } else if (a.starts_with("--")) {
            return Status(Errc::invalid_argument, "unknown option " + a);
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.args.push_back(a);
        }
        if (!s) return s;
    }
    if (o.command.empty()) return Status(Errc::invalid_argument, "no command given");
    Arity arity{};
    if (!arity_of(o.command, arity)) return Status(Errc::invalid_argument, "unknown command " + o.command);
    if (o.args.size() < arity.least || o.args.size() > arity.most) {
        return Status(Errc::invalid_argument, o.command + ": wrong number of arguments");
    }
    return o;
}

std::string remote_usage() {
    return "usage: tamrel-remote [options] COMMAND [args]\n"
           "options:\n"
           "  --device ADDR      instrument address (127.0.0.1)\n"
           "  --port-offset N    added to the ports 50504..50507 (0)\n"
           "  --listen-port P    port this client receives on (50507 + offset)\n"
           "  --timeout S        seconds to wait for an answer (5)\n"
           "  --gen 1|2          command set of the instrument (from its settings)\n"
           "  --folders          list folders instead of files\n"
           "commands:\n"
           "  search             print the instrument's settings\n"
           "  connect            connect and print every packet until interrupted\n"
           "  disconnect         end the instrument's connection\n"
           "  send ID [VALUE]    send one packet, print the answers\n"
           "  line TEXT          connect, send a whole console line, print the answers\n"
           "  record SECONDS     record for SECONDS and print the progress\n"
           "  play FILE [SECONDS] play a recording for SECONDS (else the timeout) or until interrupted\n"
           "  list FOLDER        list the recordings (or folders) of FOLDER\n"
           "  watch              connect and print every packet until interrupted\n";
}

}  // namespace tamrel::remote
