// The console thread: takes command lines one at a time, echoes them, runs the command and
// closes every command with the line ">".

#include <chrono>

#include "comlib/console/command_line.hpp"
#include "comlib/console/command_table.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"

namespace {
// An idle console wakes at least this often to test the stop flag; a queued line wakes it at once.
constexpr std::chrono::milliseconds kIdlePoll{10};
}  // namespace

unsigned CTamrelComMFC::TmTypeEditAddCmd(const std::u16string& line) {
    return command_queue_.push(line);
}

unsigned CTamrelComMFC::TmTypeEditAddCmdAPI(const std::u16string& line) {
    return command_queue_.push(line);
}

unsigned CTamrelComMFC::TmSetClearCmd() {
    command_queue_.clear();
    return 0;
}

void CTamrelComMFC::console_thread() {
    while (!stop_requested()) {
        auto line = command_queue_.take(kIdlePoll);
        if (!line || stop_requested()) continue;
        TmCmdStrUpdate(*line);
        execute_line(*line);
        send_status(u">");
    }
    tm_device().Close();
    tm_device().Tm2Close();
}

void CTamrelComMFC::execute_line(const std::u16string& line) {
    const CommandWord command = split_command_word(line);
    const std::size_t row = find_command_row(command.word);
    if (const CommandHandler handler = command_handler(row)) {
        (this->*handler)(CommandContext{line, command.word, command.end, static_cast<TM_CMD_ID_e>(row)});
    } else {
        run_string_command(std::u16string(command.word), line, command.end);
    }
}

void CTamrelComMFC::send_usage(const char16_t* read_help, const char16_t* write_help) {
    send_status(read_help);
    send_status(write_help);
}
