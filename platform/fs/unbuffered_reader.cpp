#include "platform/fs/unbuffered_reader.hpp"

#include "platform/fs/aligned_buffer.hpp"
#include "platform/fs/direct_open.hpp"
#include "platform/fs/fs_error.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace platform {

using fs_detail::errno_status;
using fs_detail::path_status;
using fs_detail::retry_eintr;

Result<UnbufferedReader> UnbufferedReader::open(std::string path) {
    auto opened = fs_detail::open_preferring_direct(std::move(path), O_RDONLY);
    if (!opened) return opened.status();
    return UnbufferedReader(std::move(opened->file), opened->direct);
}

Result<std::size_t> UnbufferedReader::read(void* data, std::size_t size) {
    if (!file_.is_open()) return path_status(Errc::closed, "read", file_.path(), "reader is not open");
    if (!is_io_aligned(data))
        return path_status(Errc::invalid_argument, "read", file_.path(), "buffer not aligned to 4096 bytes");
    if (!is_io_aligned(size))
        return path_status(Errc::invalid_argument, "read", file_.path(),
                           "size " + std::to_string(size) + " is not a multiple of 4096");
    if (at_end_) return std::size_t{0};
    auto* out = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            retry_eintr([&] { return ::read(file_.native_handle(), out + done, size - done); });
        if (n < 0) return errno_status(errno, "read", file_.path());
        if (n == 0) {
            at_end_ = true;
            break;
        }
        done += static_cast<std::size_t>(n);
        // A regular file returns less than asked only at its end; going on in direct mode would
        // read from an unaligned offset.
        if (direct_ && !is_io_aligned(done)) {
            at_end_ = true;
            break;
        }
    }
    return done;
}

Status UnbufferedReader::close() {
    if (!file_.is_open()) return path_status(Errc::closed, "close", file_.path(), "reader is not open");
    return file_.close();
}

}  // namespace platform
