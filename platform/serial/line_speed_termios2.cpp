// Only the kernel's definitions here: <asm/termbits.h> and <termios.h> define the same names.
#include "platform/serial/line_speed.hpp"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <string>

namespace platform::serial_detail {

Status set_any_line_speed(int fd, unsigned baud) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return Status::from_errno(errno, "read serial settings");
    // BOTHER in both the output and the input speed field: take the numbers below.
    settings.c_cflag &= ~tcflag_t{CBAUD | (CBAUD << IBSHIFT)};
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ospeed = baud;
    settings.c_ispeed = baud;
    if (::ioctl(fd, TCSETS2, &settings) != 0) {
        return Status::from_errno(errno, "set serial rate " + std::to_string(baud));
    }
    return ok_status();
}

Result<unsigned> read_line_speed(int fd) {
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return Status::from_errno(errno, "read serial rate");
    return unsigned{settings.c_ospeed};
}

}  // namespace platform::serial_detail
