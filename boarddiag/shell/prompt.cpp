#include "boarddiag/shell/prompt.hpp"

#include <cstdio>

#include "boarddiag/shell/command_line.hpp"
#include "boarddiag/shell/shell_state.hpp"

namespace boarddiag {
namespace {

std::string prompt_text(const char* line) {
    const ShellState& state = shell_state();
    char text[160];
    std::snprintf(text, sizeof text, "%08X/%08X,%08X/%08X>%s\r", state.capture_write.load(),
                  state.capture_read.load(), state.play_write.load(), state.play_read.load(), line);
    return text;
}

}  // namespace

void DiagPrintPrompt(const CommandLine& line) {
    // The line may hold an unterminated trailing space after a backspace; draw exactly its
    // characters plus that space.
    std::string text(line.text(), line.length());
    if (line.text()[line.length()] == ' ') text += ' ';
    std::fputs(prompt_text(text.c_str()).c_str(), stdout);
}

void PromptPainter::redraw_if_changed(const CommandLine& line) {
    std::string text = prompt_text(std::string(line.text(), line.length()).c_str());
    if (valid_ && text == last_) return;
    std::fputs(text.c_str(), stdout);
    last_ = std::move(text);
    valid_ = true;
}

void PromptPainter::drawn(const CommandLine& line) {
    last_ = prompt_text(std::string(line.text(), line.length()).c_str());
    valid_ = true;  // the screen shows this line (plus an erasing space, which looks the same)
}

}  // namespace boarddiag
