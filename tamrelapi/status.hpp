#pragma once
// The statuses the device library returns. Every operation returns an unsigned status, 0 for
// success; callers pass a non-zero status on unchanged in their error reports, so the values are
// part of what a remote controller sees and must stay stable.
//
// The library's own codes live in 0xE000-0xEFFF and 0xF000, well away from the session's codes
// (4096, 6912-6924, 7168), so an error report always says which layer refused.

#include <string>

namespace tamrel::api {

inline constexpr unsigned status_ok = 0;

// No board of either generation is fitted (device kind "none", or the board count is 0).
inline constexpr unsigned status_no_device = 0xE001;
// The board is present but neither Open nor Tm2Open has succeeded (or it was closed since).
inline constexpr unsigned status_not_open = 0xE002;
// An argument the board cannot take: a board index beyond the count, an unknown image type or
// bandwidth, an address space or register offset outside the board's windows, a null buffer.
inline constexpr unsigned status_invalid_argument = 0xE003;
// A first-generation operation on a second-generation board, or the reverse.
inline constexpr unsigned status_wrong_generation = 0xE004;
// The board did not answer within the operation's time limit.
inline constexpr unsigned status_timeout = 0xE005;
// The board answered with an error (a module that reports failure, a transfer that went wrong).
inline constexpr unsigned status_device_error = 0xE006;
// A block written to the play DMA before it was started.
inline constexpr unsigned status_play_not_started = 0xF000;

// Short stable name of a status, for messages and test output; "unknown" for values the library
// does not return itself (an injected fault may use any value).
const char* status_name(unsigned status);

// "0xE001 (no device)", or "0 (ok)".
std::string describe_status(unsigned status);

}  // namespace tamrel::api
