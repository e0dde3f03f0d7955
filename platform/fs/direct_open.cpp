#include "platform/fs/direct_open.hpp"

#include "platform/fs/fs_error.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace platform::fs_detail {

Result<DirectOpen> open_preferring_direct(std::string path, int flags) {
    bool direct = true;
    int fd = retry_eintr([&] { return ::open(path.c_str(), flags | O_DIRECT | O_CLOEXEC, 0644); });
    if (fd < 0 && errno == EINVAL) {
        direct = false;
        fd = retry_eintr([&] { return ::open(path.c_str(), flags | O_CLOEXEC, 0644); });
    }
    if (fd < 0) return errno_status(errno, "open", path);
    return DirectOpen{File::adopt(fd, std::move(path)), direct};
}

}  // namespace platform::fs_detail
