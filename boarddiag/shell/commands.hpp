#pragma once
// The shell's commands. Each takes the text that follows its command word.
//
// Thread-safety: shell thread only.

#include <string_view>

namespace boarddiag {

class CommandLine;

void command_help(std::string_view args);
void command_reset(std::string_view args);
void command_bar0(std::string_view args);
void command_bar2(std::string_view args);
void command_clear(std::string_view args);
void command_gpo(std::string_view args);
void command_gps(std::string_view args);
void command_dsp(std::string_view args);
void command_prompt(std::string_view args);
void command_f_open(std::string_view args);
void command_f_create(std::string_view args);
void command_f_close(std::string_view args);
void command_txf_close(std::string_view args);
void command_exit(std::string_view args);

}  // namespace boarddiag

// Runs the command in `line`.
void DiagExecuteCommand(const boarddiag::CommandLine& line);
