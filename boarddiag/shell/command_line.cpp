#include "boarddiag/shell/command_line.hpp"

namespace boarddiag {

void CommandLine::append(char ch) {
    if (length_ >= capacity) return;
    text_[length_++] = ch;
    text_[length_] = '\0';
}

bool CommandLine::erase_last() {
    if (length_ == 0) return false;
    --length_;
    text_[length_] = ' ';
    return true;
}

void CommandLine::clear() {
    length_ = 0;
    text_[0] = '\0';
}

}  // namespace boarddiag
