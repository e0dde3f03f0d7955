#include "boarddiag/shell/key_input.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace boarddiag {

KeyWait wait_for_key(int timeout_ms, unsigned char& key) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, timeout_ms);
    if (ready < 0) return errno == EINTR ? KeyWait::none : KeyWait::end;
    if (ready == 0) return KeyWait::none;
    const ssize_t got = ::read(STDIN_FILENO, &key, 1);
    if (got == 1) return KeyWait::key;
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return KeyWait::none;
    return KeyWait::end;  // end of a pipe, or a terminal that hung up
}

}  // namespace boarddiag
