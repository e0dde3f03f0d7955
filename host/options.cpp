#include "host/options.hpp"

#include <charconv>

namespace {

platform::Status bad(const std::string& message) {
    return {platform::Errc::invalid_argument, message};
}

}  // namespace

std::string host_usage() {
    return "Usage: tamrel-host [options]\n"
           "Drives the instrument through the session library: type commands, see status lines.\n"
           "\n"
           "  --drives DIR          folder holding the drive folders C, D, E ... (default ./drives;\n"
           "                        created with C, D and E on first use)\n"
           "  --device KIND         sim2 (default), sim1 or none\n"
           "  --sim-speed X         pace of the simulated instrument's capture and play: a factor above 0\n"
           "                        (1 = real time) or 'unpaced'\n"
           "  --port-offset N       added to the UDP ports 50504 to 50507 (default 0)\n"
           "  --bind ADDR           local IPv4 address the UDP sockets bind to (default any)\n"
           "  --allow NETS          take packets only from these sources: a.b.c.d or a.b.c.d/n,\n"
           "                        comma-separated, repeatable (default: from any source)\n"
           "  --gps-tty PATH        serial device of the GPS receiver\n"
           "  --echo                print each command as it is executed, as '# line'\n"
           "  --windows             print status-window changes as '[Label:value]'\n"
           "  --exit-on-eof         end at the end of input (default: keep serving remote hosts\n"
           "                        until SIGINT or SIGTERM)\n"
           "  --help                this text\n"
           "  --version             the program's version\n"
           "\n"
           "Type 'quit' to end; 'sink' shows what the simulated board's play output received\n"
           "('sink clear', 'sink check': compare it with the recording selected for play).\n"
           "\n"
           "Environment: TAMREL_DEVICE=sim1|sim2|none is the default of --device. The simulated\n"
           "board's identification can be changed with TAMREL_SIM_FPGA_VERSION,\n"
           "TAMREL_SIM_PUMP_FPGA_VERSION, TAMREL_SIM_DSP_NIOS_VERSION (a.b.c.d),\n"
           "TAMREL_SIM_PCB_VERSION (a number) and TAMREL_SIM_SERIAL (up to 10 characters);\n"
           "e.g. TAMREL_SIM_PUMP_FPGA_VERSION=2.1.0.0 gives a board whose pump flash needs an update.\n";
}

platform::Result<HostOptions> parse_host_options(const std::vector<std::string>& args) {
    HostOptions options;
    if (auto from_env = tamrel::api::device_config_from_environment(); from_env.ok()) {
        options.device = from_env.value();
    } else {
        return from_env.status();
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](const char* name) -> platform::Result<std::string> {
            if (i + 1 >= args.size()) return bad(std::string(name) + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--echo") {
            options.echo = true;
        } else if (arg == "--windows") {
            options.windows = true;
        } else if (arg == "--exit-on-eof") {
            options.exit_on_eof = true;
        } else if (arg == "--drives") {
            auto v = value("--drives");
            if (!v) return v.status();
            if (v->empty()) return bad("--drives needs a folder");
            options.drives = *v;
        } else if (arg == "--device") {
            auto v = value("--device");
            if (!v) return v.status();
            auto kind = tamrel::api::parse_device_kind(*v);
            if (!kind) return kind.status();
            options.device.kind = *kind;
        } else if (arg == "--sim-speed") {
            auto v = value("--sim-speed");
            if (!v) return v.status();
            auto pacing = tamrel::api::parse_sim_speed(*v);
            if (!pacing) return pacing.status();
            options.device.pacing = *pacing;
        } else if (arg == "--port-offset") {
            auto v = value("--port-offset");
            if (!v) return v.status();
            int offset = 0;
            const auto [end, error] = std::from_chars(v->data(), v->data() + v->size(), offset);
            if (error != std::errc() || end != v->data() + v->size()) {
                return bad("--port-offset needs a whole number, not '" + *v + "'");
            }
            options.port_offset = offset;
        } else if (arg == "--bind") {
            auto v = value("--bind");
            if (!v) return v.status();
            options.bind_address = *v;
        } else if (arg == "--allow") {
            auto v = value("--allow");
            if (!v) return v.status();
            auto networks = platform::parse_ipv4_networks(*v);
            if (!networks) return bad("--allow: " + networks.status().describe());
            options.allowed_sources.insert(options.allowed_sources.end(), networks->begin(), networks->end());
        } else if (arg == "--gps-tty") {
            auto v = value("--gps-tty");
            if (!v) return v.status();
            options.gps_tty = *v;
        } else {
            return bad("unknown option '" + arg + "' (see --help)");
        }
    }
    return options;
}
