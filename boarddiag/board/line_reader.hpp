#pragma once
// Reading one line of operator input from standard input, byte by byte, so nothing is read
// ahead of the line (the shell reads the following keys itself).

#include <cstddef>
#include <string>

namespace boarddiag {

// Reads up to the next line feed (dropped, as is a carriage return before it), keeping at most
// `max_length` characters. False at end of input before any character.
bool read_input_line(std::string& line, std::size_t max_length);

}  // namespace boarddiag
