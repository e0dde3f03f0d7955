#pragma once
// The command line the operator types: at most 70 characters, kept terminated.

#include <cstdint>

namespace boarddiag {

class CommandLine {
public:
    static constexpr std::uint16_t capacity = 70;

    const char* text() const { return text_; }
    std::uint16_t length() const { return length_; }
    // Appends a printable character; the 71st and later are dropped.
    void append(char ch);
    // Removes the last character and leaves a space in its place, unterminated, so the prompt
    // drawn next erases it on screen; terminate() ends the line again. False on an empty line.
    bool erase_last();
    void terminate() { text_[length_] = '\0'; }
    void clear();

private:
    char text_[capacity + 1] = {};
    std::uint16_t length_ = 0;
};

}  // namespace boarddiag
