#pragma once
// The board console: characters the board's processor writes wait in a FIFO behind BAR 2.

#include <cstdint>

namespace boarddiag {

// Prints up to `limit` of the waiting characters (none when more than `limit` wait); true when
// any was printed.
bool relay_board_console(std::uint32_t limit);

}  // namespace boarddiag
