#include "platform/fs/file.hpp"

#include "platform/fs/fs_error.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <utility>

namespace platform {

using fs_detail::errno_status;
using fs_detail::retry_eintr;

namespace {

int open_flags(FileMode mode) {
    switch (mode) {
        case FileMode::read: return O_RDONLY;
        case FileMode::write: return O_WRONLY | O_CREAT | O_TRUNC;
        case FileMode::read_write: return O_RDWR;
        case FileMode::read_write_truncate: return O_RDWR | O_CREAT | O_TRUNC;
        case FileMode::append: return O_WRONLY | O_CREAT | O_APPEND;
        case FileMode::create_new: return O_WRONLY | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

// EBADF on a descriptor this object still holds means the file was opened without the access
// the call needs (a write on a file opened for reading), not that it is closed.
Status access_status(int err, const char* op, const std::string& path) {
    if (err == EBADF)
        return fs_detail::path_status(Errc::access_denied, op, path, "not opened for this access");
    return errno_status(err, op, path);
}

}  // namespace

File::~File() {
    // The owner did not call close(); there is nobody left to report to.
    if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

Result<File> File::open(std::string path, FileMode mode, unsigned permissions) {
    const int fd = retry_eintr([&] {
        return ::open(path.c_str(), open_flags(mode) | O_CLOEXEC, static_cast<mode_t>(permissions));
    });
    if (fd < 0) {
        if (errno == EISDIR) return fs_detail::path_status(Errc::access_denied, "open", path, "is a folder");
        return errno_status(errno, "open", path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return errno_status(err, "stat", path);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fs_detail::path_status(Errc::access_denied, "open", path, "is a folder");
    }
    return File(fd, std::move(path));
}

Status File::closed_status(const char* op) const {
    return fs_detail::path_status(Errc::closed, op, path_, "file is not open");
}

Result<std::size_t> File::read(void* data, std::size_t size) {
    if (fd_ < 0) return closed_status("read");
    auto* out = static_cast<unsigned char*>(data);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = retry_eintr([&] { return ::read(fd_, out + total, size - total); });
        if (n < 0) return access_status(errno, "read", path_);
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

Status File::write_all(const void* data, std::size_t size) {
    if (fd_ < 0) return closed_status("write");
    const auto* in = static_cast<const unsigned char*>(data);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = retry_eintr([&] { return ::write(fd_, in + total, size - total); });
        if (n < 0) return access_status(errno, "write", path_);
        if (n == 0) return fs_detail::path_status(Errc::io_error, "write", path_, "no progress");
        total += static_cast<std::size_t>(n);
    }
    return ok_status();
}

Result<std::uint64_t> File::seek(std::int64_t offset, SeekFrom from) {
    if (fd_ < 0) return closed_status("seek");
    const int whence = from == SeekFrom::begin ? SEEK_SET : from == SeekFrom::current ? SEEK_CUR : SEEK_END;
    const off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (pos < 0) return errno_status(errno, "seek", path_);
    return static_cast<std::uint64_t>(pos);
}

Result<std::uint64_t> File::tell() const {
    if (fd_ < 0) return closed_status("tell");
    const off_t pos = ::lseek(fd_, 0, SEEK_CUR);
    if (pos < 0) return errno_status(errno, "tell", path_);
    return static_cast<std::uint64_t>(pos);
}

Result<std::uint64_t> File::size() const {
    if (fd_ < 0) return closed_status("size");
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return errno_status(errno, "size", path_);
    return static_cast<std::uint64_t>(st.st_size);
}

Status File::truncate(std::uint64_t size) {
    if (fd_ < 0) return closed_status("truncate");
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return fs_detail::path_status(Errc::invalid_argument, "truncate", path_, "size too large");
    if (retry_eintr([&] { return ::ftruncate(fd_, static_cast<off_t>(size)); }) != 0)
        return access_status(errno, "truncate", path_);
    return ok_status();
}

Status File::flush() {
    if (fd_ < 0) return closed_status("flush");
    return ok_status();
}

Status File::sync() {
    if (fd_ < 0) return closed_status("sync");
    if (retry_eintr([&] { return ::fsync(fd_); }) != 0) return errno_status(errno, "sync", path_);
    return ok_status();
}

Status File::close() {
    if (fd_ < 0) return closed_status("close");
    // Not retried on EINTR: on Linux the descriptor is gone whatever close() returns.
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) return errno_status(errno, "close", path_);
    return ok_status();
}

}  // namespace platform
