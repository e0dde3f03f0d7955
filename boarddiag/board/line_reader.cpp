#include "boarddiag/board/line_reader.hpp"

#include <unistd.h>

#include <cerrno>

namespace boarddiag {

bool read_input_line(std::string& line, std::size_t max_length) {
    line.clear();
    bool any = false;
    for (;;) {
        char ch = 0;
        const ssize_t got = ::read(STDIN_FILENO, &ch, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return any;
        any = true;
        if (ch == '\n') break;
        if (line.size() < max_length) line += ch;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace boarddiag
