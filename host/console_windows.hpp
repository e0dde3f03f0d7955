#pragma once
// The host's windows as console output: the main window turns status lines, command echoes and
// notices into printed lines; a status window prints its text as "[Label:value]" when asked to.
//
// Thread-safety: called from the session's threads; they only format and queue a line, never
// wait for anything.

#include <atomic>
#include <string>

#include "host/output_queue.hpp"
#include "platform/host/host_window.hpp"

class ConsoleMainWindow final : public platform::HostWindow {
public:
    ConsoleMainWindow(OutputQueue& out, bool echo) : out_(out), echo_(echo) {}

    platform::LRESULT send_message(unsigned message, platform::WPARAM wparam,
                                   platform::LPARAM lparam) override;
    bool post_message(unsigned message, platform::WPARAM wparam, platform::LPARAM lparam) override;
    void set_text(std::u16string_view) override {}

    // How many commands the console has finished (each ends with the status line ">").
    unsigned long commands_done() const { return commands_done_.load(); }

private:
    OutputQueue& out_;
    const bool echo_;
    std::atomic<unsigned long> commands_done_{0};
};

class ConsoleStatusWindow final : public platform::HostWindow {
public:
    ConsoleStatusWindow(OutputQueue& out, bool print) : out_(out), print_(print) {}

    platform::LRESULT send_message(unsigned, platform::WPARAM, platform::LPARAM) override { return 0; }
    bool post_message(unsigned, platform::WPARAM, platform::LPARAM) override { return true; }
    void set_text(std::u16string_view text) override;

private:
    OutputQueue& out_;
    const bool print_;
};
