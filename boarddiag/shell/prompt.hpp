#pragma once
// The one-line status prompt: the four ring offsets and the command line, ending in a carriage
// return so the next drawing overwrites it in place.
//
// Thread-safety: shell thread only.

#include <string>

namespace boarddiag {

class CommandLine;

// Draws the prompt now.
void DiagPrintPrompt(const CommandLine& line);

// Draws the prompt only when its text changed since it was last drawn, or when other output
// has been written over it, so an idle shell writes nothing.
class PromptPainter {
public:
    void redraw_if_changed(const CommandLine& line);
    // Something else was printed; the next redraw_if_changed draws again.
    void invalidate() { valid_ = false; }
    // The prompt was drawn by someone else with this command line.
    void drawn(const CommandLine& line);

private:
    std::string last_;
    bool valid_ = false;
};

}  // namespace boarddiag
