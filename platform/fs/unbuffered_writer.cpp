#include "platform/fs/unbuffered_writer.hpp"

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

Result<UnbufferedWriter> UnbufferedWriter::open(std::string path, Open how) {
    const int flags = how == Open::existing ? O_WRONLY : O_WRONLY | O_CREAT | O_TRUNC;
    auto opened = fs_detail::open_preferring_direct(std::move(path), flags);
    if (!opened) return opened.status();
    return UnbufferedWriter(std::move(opened->file), opened->direct);
}

Status UnbufferedWriter::check_writable(const char* op) const {
    if (!file_.is_open()) return path_status(Errc::closed, op, file_.path(), "writer is not open");
    if (tail_written_)
        return path_status(Errc::invalid_argument, op, file_.path(), "the tail was already written");
    return ok_status();
}

Status UnbufferedWriter::write_raw(const void* data, std::size_t size, const char* op) {
    const auto* in = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            retry_eintr([&] { return ::write(file_.native_handle(), in + done, size - done); });
        if (n < 0) return errno_status(errno, op, file_.path());
        if (n == 0) return path_status(Errc::io_error, op, file_.path(), "no progress");
        done += static_cast<std::size_t>(n);
        written_ += static_cast<std::uint64_t>(n);
    }
    return ok_status();
}

Status UnbufferedWriter::write(const void* data, std::size_t size) {
    if (Status s = check_writable("write"); !s) return s;
    if (!is_io_aligned(data))
        return path_status(Errc::invalid_argument, "write", file_.path(),
                           "buffer not aligned to 4096 bytes");
    if (!is_io_aligned(size))
        return path_status(Errc::invalid_argument, "write", file_.path(),
                           "size " + std::to_string(size) + " is not a multiple of 4096");
    return write_raw(data, size, "write");
}

Status UnbufferedWriter::write_tail(const void* data, std::size_t size) {
    if (Status s = check_writable("write tail"); !s) return s;
    tail_written_ = true;
    if (size == 0) return ok_status();
    if (direct_ && !(is_io_aligned(data) && is_io_aligned(size))) {
        const int fd = file_.native_handle();
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0) return errno_status(errno, "write tail (get flags)", file_.path());
        if (::fcntl(fd, F_SETFL, flags & ~O_DIRECT) != 0)
            return errno_status(errno, "write tail (leave direct mode)", file_.path());
    }
    return write_raw(data, size, "write tail");
}

Status UnbufferedWriter::close(CloseSync sync) {
    if (!file_.is_open()) return path_status(Errc::closed, "close", file_.path(), "writer is not open");
    Status first = sync == CloseSync::sync ? file_.sync() : ok_status();
    Status closed = file_.close();
    return first ? closed : first;
}

}  // namespace platform
