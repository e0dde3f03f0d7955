#pragma once
// File: a binary file on a POSIX path (resolve Windows paths with DriveTable first). There is no
// buffering in user space: every read and write is one or more system calls, so flush() has
// nothing to push and sync() is what makes data durable.
//
// Every failure comes back as a Status naming the operation and the file. The destructor closes
// an open file but cannot report; call close() to see the result of the close.
//
// Thread-safety: none. A File belongs to one thread at a time (it may be moved between threads).

#include "platform/status.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace platform {

enum class FileMode {
    read,                 // existing file, read only
    write,                // create or truncate, write only
    read_write,           // existing file, read and write, contents kept
    read_write_truncate,  // create or truncate, read and write
    append,               // create if missing, every write goes to the end
    create_new,           // write only; fails with Errc::exists when the file is already there
};

enum class SeekFrom { begin, current, end };

class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // `permissions` applies when the file is created (before the umask).
    static Result<File> open(std::string path, FileMode mode, unsigned permissions = 0644);

    // Takes ownership of an open descriptor (for files opened with flags FileMode does not
    // offer, such as O_DIRECT). `path` is used in messages only.
    static File adopt(int fd, std::string path) { return File(fd, std::move(path)); }

    bool is_open() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // The descriptor, for calls this class does not wrap; -1 when closed. Still owned by the File.
    int native_handle() const { return fd_; }

    // Reads until `size` bytes arrived or the end of the file; returns the count (0 at the end).
    Result<std::size_t> read(void* data, std::size_t size);
    // Writes every byte or fails; a partial write is continued, never reported as success.
    Status write_all(const void* data, std::size_t size);

    // Returns the new position from the start of the file.
    Result<std::uint64_t> seek(std::int64_t offset, SeekFrom from = SeekFrom::begin);
    Result<std::uint64_t> tell() const;
    Result<std::uint64_t> size() const;
    Status truncate(std::uint64_t size);
    // Nothing is buffered here, so this only checks that the file is open.
    Status flush();
    // fsync: data and metadata reach the device.
    Status sync();
    // Closes the descriptor and reports the result; a second close is Errc::closed.
    Status close();

private:
    File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    Status closed_status(const char* op) const;

    int fd_ = -1;
    std::string path_;
};

}  // namespace platform
