#pragma once
// Helpers shared by the file-system sources: every failed call becomes a Status that names the
// operation and the file, so a message read in a log says what was attempted on what.

#include "platform/status.hpp"

#include <cerrno>
#include <string>
#include <string_view>

namespace platform::fs_detail {

// from_errno with the text `<op> "<path>"`.
Status errno_status(int err, std::string_view op, std::string_view path);

// A Status of the given code with the text `<op> "<path>": <why>`.
Status path_status(Errc code, std::string_view op, std::string_view path, std::string_view why);

// Repeats a system call interrupted by a signal; returns its last result (errno left as set).
template <typename Call>
auto retry_eintr(Call call) {
    for (;;) {
        auto r = call();
        if (r >= 0 || errno != EINTR) return r;
    }
}

}  // namespace platform::fs_detail
