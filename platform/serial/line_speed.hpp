#pragma once
// Line speeds through the kernel's termios2 interface, which carries the rate as a number and so
// reaches rates termios has no constant for (14400, 28800, 56000, 128000, 256000, 1075, ...).
// Its header clashes with <termios.h>, so it lives in its own source file.

#include "platform/status.hpp"

namespace platform::serial_detail {

// Sets input and output speed of the tty `fd` to `baud`, whatever the number.
Status set_any_line_speed(int fd, unsigned baud);

// The output speed the driver holds, as a number (standard rates included).
Result<unsigned> read_line_speed(int fd);

}  // namespace platform::serial_detail
