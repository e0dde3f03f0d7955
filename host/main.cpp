// tamrel-host: the console host program. It plays the host GUI's part: creates the session,
// registers its windows, starts the device and the threads, prints status lines, feeds typed
// lines to the command queue, runs the watchdog timer, and shuts down cleanly on "quit", end of
// input (with --exit-on-eof), SIGINT or SIGTERM.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "host/console_windows.hpp"
#include "host/line_input.hpp"
#include "host/options.hpp"
#include "host/sink_command.hpp"
#include "platform/net/source_filter.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/serial/serial_devices.hpp"
#include "platform/text/utf.hpp"

#ifndef TAMREL_VERSION
#define TAMREL_VERSION "0.0.0"
#endif

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "tamrel-host: %s\n", message.c_str());
    return 2;
}

// A new drives folder starts with the drives C, D and E.
bool prepare_drives(const std::string& root, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(root, ec)) {
        for (const char* drive : {"C", "D", "E"}) {
            std::filesystem::create_directories(std::filesystem::path(root) / drive, ec);
            if (ec) {
                error = "cannot create drives folder " + root + ": " + ec.message();
                return false;
            }
        }
    } else if (!std::filesystem::is_directory(root, ec)) {
        error = "--drives " + root + " is not a folder";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = parse_host_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed) return fail(parsed.status().message());
    const HostOptions options = std::move(parsed.value());
    if (options.help) {
        std::fputs(host_usage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tamrel-host %s\n", TAMREL_VERSION);
        return 0;
    }

    std::string error;
    if (!prepare_drives(options.drives, error)) return fail(error);
    if (auto s = platform::set_process_drives_root(options.drives); !s) return fail(s.describe());
    if (auto s = platform::set_port_offset(options.port_offset); !s) return fail(s.describe());
    if (!options.bind_address.empty()) {
        if (auto s = platform::set_bind_address(options.bind_address); !s) return fail(s.describe());
    }
    platform::set_allowed_sources(options.allowed_sources);
    if (auto s = tamrel::api::configure_device(options.device); !s) return fail(s.describe());
    if (!options.gps_tty.empty()) platform::set_serial_device_path("COM5", options.gps_tty);

    // SIGINT and SIGTERM are taken through a signalfd; they are blocked before any thread starts,
    // so that every thread of the session inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return fail("cannot block signals");
    ::signal(SIGPIPE, SIG_IGN);
    const int signal_fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (signal_fd < 0) return fail(std::string("signalfd: ") + std::strerror(errno));
    const int timer_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (timer_fd < 0) return fail(std::string("timerfd: ") + std::strerror(errno));
    const itimerspec every_second{{1, 0}, {1, 0}};
    if (::timerfd_settime(timer_fd, 0, &every_second, nullptr) != 0) return fail("timerfd_settime");

    OutputQueue out;
    if (!out.ok()) return fail("cannot create the output queue");
    ConsoleMainWindow main_window(out, options.echo);
    std::vector<std::unique_ptr<ConsoleStatusWindow>> status_windows;

    auto session = std::make_unique<CTamrelComMFC>();
    session->SetMainWndHandle(&main_window);
    for (unsigned index = 0; index < TM_STATIC_COUNT; ++index) {
        status_windows.push_back(std::make_unique<ConsoleStatusWindow>(out, options.windows));
        session->TmSetStaticWinID(index, status_windows.back().get());
    }
    session->TmFlagInit();  // so that the "Update Time" line reaches the window
    session->TmOpenDevice();  // opens the device and starts the session's threads

    bool running = true;
    // With --exit-on-eof the lines read before the end of input are still executed: the host
    // ends once the console has finished as many commands as were queued.
    bool draining = false;
    unsigned long commands_queued = 0;
    LineInput input(
        [&](const std::string& line) {
            if (line == "quit") {
                running = false;
                return;
            }
            if (run_sink_command(line, *session, out)) return;
            if (session->TmTypeEditAddCmd(platform::from_utf8(line)) != 0) {
                out.push("Command queue full (6915): '" + line + "' dropped");
            } else {
                ++commands_queued;
            }
        },
        [&] {
            if (options.exit_on_eof) draining = true;
        });
    bool input_open = true;
    auto flush_output = [&] {
        for (const std::string& line : out.take_all()) input.print_line(line);
        std::fflush(stdout);
    };
    auto drained = [&] { return draining && main_window.commands_done() >= commands_queued; };

    while (running) {
        std::array<pollfd, 4> fds{{{signal_fd, POLLIN, 0}, {timer_fd, POLLIN, 0},
                                   {out.fd(), POLLIN, 0}, {input.fd(), POLLIN, 0}}};
        const nfds_t count = input_open ? 4 : 3;
        if (::poll(fds.data(), count, -1) < 0) {
            if (errno == EINTR) continue;
            return fail(std::string("poll: ") + std::strerror(errno));
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            (void)!::read(signal_fd, &info, sizeof info);
            running = false;
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t expirations = 0;
            (void)!::read(timer_fd, &expirations, sizeof expirations);
            session->DecreaseExpireCount();
        }
        if (fds[2].revents & POLLIN) flush_output();
        if (input_open && (fds[3].revents & (POLLIN | POLLHUP | POLLERR))) {
            input.on_readable();
            // After the end of input only signals, the timer and output are served.
            input_open = !input.ended();
        }
        if (drained()) running = false;
    }

    session.reset();  // stops and joins every thread of the session
    flush_output();
    ::close(timer_fd);
    ::close(signal_fd);
    return 0;
}
