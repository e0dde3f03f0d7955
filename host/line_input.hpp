#pragma once
// LineInput: command lines from the terminal (with line editing and history) or from a pipe,
// driven by the host's poll loop so that signals, the timer and output are served while the
// operator types.
//
// Thread-safety: main loop only.

#include <functional>
#include <string>

class LineInput {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    // `on_line` gets each line without its line end; `on_eof` is called once at end of input.
    LineInput(LineHandler on_line, std::function<void()> on_eof);
    ~LineInput();
    LineInput(const LineInput&) = delete;
    LineInput& operator=(const LineInput&) = delete;

    int fd() const { return 0; }
    bool interactive() const { return interactive_; }
    bool ended() const { return ended_; }
    // Reads what is available on standard input.
    void on_readable();
    // Prints `text` (one line) without disturbing a line being typed.
    void print_line(const std::string& text);

private:
    void take_line(std::string line);

    LineHandler on_line_;
    std::function<void()> on_eof_;
    bool interactive_ = false;
    bool ended_ = false;
    std::string pending_;
};
