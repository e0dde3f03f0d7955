#include "tools/remote/commands.hpp"

#include <charconv>
#include <initializer_list>
#include <optional>
#include <string>

#include "platform/text/utf.hpp"
#include "tools/remote/link.hpp"
#include "tools/remote/printer.hpp"
#include "tools/remote/records.hpp"

namespace tamrel::remote {
namespace {

using platform::Errc;
using platform::Status;

// The identifiers of one action in the first and the second generation's command set.
struct CommandPair {
    std::uint32_t first;
    std::uint32_t second;
};
constexpr CommandPair kRecordStart{TM_CMD_RECORD_START, TM_CMD_T2RECORD_START};
constexpr CommandPair kRecordStop{TM_CMD_RECORD_STOP, TM_CMD_T2RECORD_STOP};
constexpr CommandPair kPlayFile{TM_CMD_PLAYFILEEX, TM_CMD_T2PLAYFILE};
constexpr CommandPair kPlayStart{TM_CMD_PLAY_START, TM_CMD_T2PLAY_START};
constexpr CommandPair kPlayStop{TM_CMD_PLAY_STOP, TM_CMD_T2PLAY_STOP};

class Session {
public:
    Session(const RemoteOptions& options, std::ostream& out, std::ostream& err)
        : options_(options), printer_(out), err_(err) {}

    Status open() { return link_.open(options_); }

    int search() {
        if (Status s = link_.open_search_port(); !s) return fail("search port: " + s.describe());
        if (Status s = link_.send_bare(TM_CMD_SEARCH); !s) return fail("send: " + s.describe());
        const auto deadline = timeout_deadline();
        while (true) {
            auto packet = link_.receive_search(deadline);
            if (!packet) return fail("search: " + packet.status().describe());
            if (packet->cmd != TM_CMD_SEARCH || packet->kind != TM_RW_ACK) continue;
            const auto block = read_settings_block(*packet);
            if (!block) {
                print(*packet);
                return fail("search: the settings block was cut short");
            }
            std::string text = format_settings_block(*block);
            text.pop_back();  // the printer ends the last line
            printer_.line(text);
            return kExitOk;
        }
    }

    // Attaches this client; prints "connected". The generation comes from the reply's settings
    // block unless --gen named one.
    int connect() {
        PacketBuffer packet;
        if (Status s = link_.send(packet, encode_u16(TM_CMD_CONNECT, 0, link_.listen_port(), packet)); !s) {
            return fail("send: " + s.describe());
        }
        auto answer = wait_answer({TM_CMD_CONNECT}, timeout_deadline());
        if (!answer) return fail("connect: " + answer.status().describe());
        if (answer->kind != TM_RW_ACK) return fail("connect: refused");
        if (const auto block = read_settings_block(*answer)) second_generation_ = block->Generation >= 2;
        if (options_.generation > 0) second_generation_ = options_.generation == 2;
        line("connected");
        return kExitOk;
    }

    int disconnect() {
        link_.stop_keep_alive();
        link_.ignore_interrupts();
        if (Status s = link_.send_bare(TM_CMD_DISCONNECT); !s) return fail("send: " + s.describe());
        auto answer = wait_answer({TM_CMD_DISCONNECT}, timeout_deadline());
        if (!answer) return fail("disconnect: " + answer.status().describe());
        if (answer->kind != TM_RW_ACK) return fail("disconnect: refused");
        line("disconnected");
        return kExitOk;
    }

    // Prints every packet until interrupted; `then_disconnect` ends the connection afterwards.
    int watch(bool then_disconnect) {
        if (int rc = connect(); rc != kExitOk) return rc;
        link_.start_keep_alive();
        print_until(Clock::time_point::max());
        if (!then_disconnect) return kExitOk;
        return disconnect();
    }

    int send(const std::string& id_text, const std::optional<std::string>& value_text) {
        std::uint32_t id = 0;
        if (!to_number(id_text, id)) return usage("send: bad identifier " + id_text);
        PacketBuffer packet;
        std::size_t size = 0;
        if (value_text) {
            std::int32_t value = 0;
            if (!to_number(*value_text, value)) return usage("send: bad value " + *value_text);
            size = encode_i32(id, 0, value, packet);
        } else {
            size = encode_bare(id, 0, packet);
        }
        if (Status s = link_.send(packet, size); !s) return fail("send: " + s.describe());
        return print_until(timeout_deadline()) > 0 ? kExitOk : fail("no answer");
    }

    // The instrument takes console lines only from an attached host, so the line is sent inside
    // a connection of its own; the answers are printed until the timeout.
    int console_line(const std::string& text) {
        PacketBuffer packet;
        const std::size_t size = encode_text(TM_CMD_CONSOLE_LINE, 0, platform::from_utf8(text), packet);
        if (size == 0) return usage("line: the text is too long for one packet");
        if (int rc = connect(); rc != kExitOk) return rc;
        link_.start_keep_alive();
        int rc = kExitOk;
        if (Status s = link_.send(packet, size); !s) {
            rc = fail("send: " + s.describe());
        } else if (print_until(timeout_deadline()) == 0) {
            rc = fail("no answer");
        }
        const int closing = disconnect();
        return rc != kExitOk ? rc : closing;
    }

    int record(const std::string& seconds_text) {
        int seconds = 0;
        if (!to_number(seconds_text, seconds) || seconds < 1) return usage("record: bad seconds " + seconds_text);
        if (int rc = connect(); rc != kExitOk) return rc;
        link_.start_keep_alive();
        int rc = start(kRecordStart, "record");
        if (rc == kExitOk) {
            line("recording");
            // A gain line reports each completed second of samples; the instrument may take
            // longer than real time for them, so the wait allows the timeout on top.
            wait_reports(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN_LINE, static_cast<std::size_t>(seconds),
                            Clock::now() + std::chrono::seconds(seconds + options_.timeout_s));
            link_.ignore_interrupts();
            rc = start(kRecordStop, "record stop");
            if (rc == kExitOk) line("recording stopped");
        }
        const int closing = disconnect();
        return rc != kExitOk ? rc : closing;
    }

    // Plays `file`: for `seconds_text` elapsed seconds when given, else for the timeout.
    int play(const std::string& file, const std::optional<std::string>& seconds_text) {
        int seconds = 0;
        if (seconds_text && (!to_number(*seconds_text, seconds) || seconds < 1)) {
            return usage("play: bad seconds " + *seconds_text);
        }
        if (int rc = connect(); rc != kExitOk) return rc;
        link_.start_keep_alive();
        PacketBuffer packet;
        const std::size_t size = encode_text(pick(kPlayFile), 0, platform::from_utf8(file), packet);
        if (size == 0) {
            disconnect();
            return usage("play: the file name is too long for one packet");
        }
        int rc = kExitOk;
        if (Status s = link_.send(packet, size); !s) {
            rc = fail("send: " + s.describe());
        } else {
            rc = answered(pick(kPlayFile), "open " + file);
        }
        if (rc == kExitOk) rc = start(kPlayStart, "play");
        if (rc == kExitOk) {
            line("playing");
            if (seconds > 0) {
                wait_reports(TM_CMD_GAIN_CHANNEL, TM_RW_GRAPH_TIME, static_cast<std::size_t>(seconds),
                             Clock::now() + std::chrono::seconds(seconds + options_.timeout_s));
            } else {
                print_until(timeout_deadline());
            }
            link_.ignore_interrupts();
            rc = start(kPlayStop, "play stop");
            if (rc == kExitOk) line("play stopped");
        }
        const int closing = disconnect();
        return rc != kExitOk ? rc : closing;
    }

    int list(const std::string& folder) {
        const std::uint32_t id = options_.folders ? TM_CMD_FOLDERLIST : TM_CMD_FILELIST;
        PacketBuffer packet;
        const std::size_t size = encode_folder_request(id, 0, platform::from_utf8(folder), packet);
        if (size == 0) return usage("list: the folder name is too long");
        if (int rc = connect(); rc != kExitOk) return rc;
        int rc = kExitOk;
        if (Status s = link_.send(packet, size); !s) {
            rc = fail("send: " + s.describe());
        } else {
            const auto deadline = timeout_deadline();
            while (true) {
                auto got = link_.receive(deadline);
                if (!got) {
                    rc = fail("list: " + got.status().describe());
                    break;
                }
                print(*got);
                if (got->cmd == id && got->kind == TM_RW_LIST_END) break;
            }
        }
        const int closing = disconnect();
        return rc != kExitOk ? rc : closing;
    }

private:
    std::uint32_t pick(CommandPair pair) const { return second_generation_ ? pair.second : pair.first; }

    // Sends the start (or stop) of an action and waits for its acknowledgement.
    int start(CommandPair pair, const std::string& what) {
        if (Status s = link_.send_bare(pick(pair)); !s) return fail("send: " + s.describe());
        return answered(pick(pair), what);
    }

    int answered(std::uint32_t id, const std::string& what) {
        auto answer = wait_answer({id}, timeout_deadline());
        if (!answer) return fail(what + ": " + answer.status().describe());
        if (answer->kind != TM_RW_ACK) return fail(what + ": refused");
        return kExitOk;
    }

    // Prints packets until one of `ids` arrives as an acknowledgement or a refusal; that one is
    // printed and returned.
    platform::Result<Packet> wait_answer(std::initializer_list<std::uint32_t> ids, Clock::time_point deadline) {
        while (true) {
            auto packet = link_.receive(deadline);
            if (!packet) return packet.status();
            print(*packet);
            if (packet->kind != TM_RW_ACK && packet->kind != TM_RW_NAK) continue;
            for (const std::uint32_t id : ids) {
                if (packet->cmd == id) return packet;
            }
        }
    }

    // Prints packets until `wanted` reports `cmd`/`kind` arrived (one per second of recording or
    // of play), the deadline passed or an interrupt.
    void wait_reports(std::uint32_t cmd, std::uint32_t kind, std::size_t wanted, Clock::time_point deadline) {
        std::size_t seen = 0;
        while (seen < wanted) {
            auto packet = link_.receive(deadline);
            if (!packet) return;
            print(*packet);
            if (packet->cmd == cmd && packet->kind == kind) ++seen;
        }
    }

    // Prints packets until the deadline or an interrupt; how many arrived.
    std::size_t print_until(Clock::time_point deadline) {
        std::size_t count = 0;
        while (true) {
            auto packet = link_.receive(deadline);
            if (!packet) {
                if (packet.status().code() != Errc::timeout && packet.status().code() != Errc::closed) {
                    err_ << "receive: " << packet.status().describe() << std::endl;
                }
                return count;
            }
            print(*packet);
            ++count;
        }
    }

    void print(const Packet& packet) { printer_.print(packet); }
    void line(const std::string& text) { printer_.line(text); }

    int fail(const std::string& message) {
        printer_.flush();
        err_ << "tamrel-remote: " << message << std::endl;
        return kExitNoAnswer;
    }
    int usage(const std::string& message) {
        err_ << "tamrel-remote: " << message << std::endl;
        return kExitUsage;
    }

    Clock::time_point timeout_deadline() const { return Clock::now() + std::chrono::seconds(options_.timeout_s); }

    template <typename T>
    static bool to_number(const std::string& text, T& out) {
        const char* end = text.data() + text.size();
        const auto [ptr, ec] = std::from_chars(text.data(), end, out);
        return !text.empty() && ec == std::errc() && ptr == end;
    }

    const RemoteOptions& options_;
    PacketPrinter printer_;
    std::ostream& err_;
    RemoteLink link_;
    bool second_generation_ = false;
};

}  // namespace

int run_command(const RemoteOptions& options, std::ostream& out, std::ostream& err) {
    Session session(options, out, err);
    if (Status s = session.open(); !s) {
        err << "tamrel-remote: " << s.describe() << std::endl;
        return kExitNoAnswer;
    }
    const std::string& c = options.command;
    const auto& a = options.args;
    if (c == "search") return session.search();
    if (c == "connect") return session.watch(false);
    if (c == "watch") return session.watch(true);
    if (c == "disconnect") return session.disconnect();
    if (c == "send") return session.send(a[0], a.size() > 1 ? std::optional<std::string>(a[1]) : std::nullopt);
    if (c == "line") return session.console_line(a[0]);
    if (c == "record") return session.record(a[0]);
    if (c == "play") return session.play(a[0], a.size() > 1 ? std::optional<std::string>(a[1]) : std::nullopt);
    if (c == "list") return session.list(a[0]);
    err << "tamrel-remote: unknown command " << c << std::endl;
    return kExitUsage;
}

}  // namespace tamrel::remote
