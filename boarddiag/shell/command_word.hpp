#pragma once
// Splitting a command line into its command word and the text after it.

#include <string_view>

namespace boarddiag {

struct CommandWord {
    std::string_view word;  // empty for a blank line
    std::string_view rest;  // everything after the word, from the character that ends it
};

// The first blank-delimited word (leading blanks skipped) and what follows its real end.
CommandWord split_command(std::string_view line);

}  // namespace boarddiag
