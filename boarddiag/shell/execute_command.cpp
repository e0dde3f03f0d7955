// Command dispatch: the command word is compared exactly with the command names; a word that
// matches none (the tools not built into this shell among them) does nothing.

#include <cstdio>

#include "boarddiag/shell/command_line.hpp"
#include "boarddiag/shell/command_word.hpp"
#include "boarddiag/shell/commands.hpp"

namespace boarddiag {
namespace {

constexpr std::size_t max_word_length = 19;

struct Command {
    std::string_view name;
    void (*run)(std::string_view args);
};

constexpr Command commands[] = {
    {"help", command_help},         {"reset", command_reset},
    {"bar0", command_bar0},         {"clear", command_clear},
    {"bar2", command_bar2},         {"gpo", command_gpo},
    {"gps", command_gps},           {"dsp", command_dsp},
    {"prompt", command_prompt},     {"f-open", command_f_open},
    {"f-create", command_f_create}, {"f-close", command_f_close},
    {"txf-close", command_txf_close}, {"x", command_exit},
};

}  // namespace
}  // namespace boarddiag

void DiagExecuteCommand(const boarddiag::CommandLine& line) {
    using namespace boarddiag;
    std::printf("\r\n");
    const CommandWord parts = split_command(std::string_view(line.text(), line.length()));
    if (parts.word.empty() || parts.word.size() > max_word_length) return;
    for (const Command& command : commands) {
        if (command.name == parts.word) {
            command.run(parts.rest);
            return;
        }
    }
}
