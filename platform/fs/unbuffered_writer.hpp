#pragma once
// UnbufferedWriter: sequential writing of large files past the page cache (O_DIRECT), as the
// recorder writes its sample files: whole blocks from aligned memory, then one final tail of any
// length. Where the file system refuses O_DIRECT the same calls run buffered; direct() says which.
//
// The alignment rules hold in both modes: write() takes a buffer aligned to io_alignment and a
// size that is a multiple of it, otherwise Errc::invalid_argument. A caller that is wrong fails on
// tmpfs exactly as it would on a disk, instead of passing in tests and failing in the field.
//
// The tail: write_tail() accepts any buffer and length. When it is not aligned the descriptor
// leaves direct mode (fcntl clears O_DIRECT) for that last write, so the file ends at exactly the
// bytes written, with no padding to cut off afterwards. Nothing may be written after the tail.
//
// Thread-safety: none; one thread writes and closes.

#include "platform/fs/file.hpp"
#include "platform/status.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class CloseSync { sync, no_sync };

class UnbufferedWriter {
public:
    enum class Open {
        create_or_truncate,
        existing,  // the file must exist; written from its start, not truncated
    };

    UnbufferedWriter() = default;
    static Result<UnbufferedWriter> open(std::string path, Open how = Open::create_or_truncate);

    bool is_open() const { return file_.is_open(); }
    // True when the bulk writes bypass the page cache.
    bool direct() const { return direct_; }
    const std::string& path() const { return file_.path(); }
    std::uint64_t bytes_written() const { return written_; }

    Status write(const void* data, std::size_t size);
    Status write_tail(const void* data, std::size_t size);
    // `sync` first makes the data durable (fsync) and reports a failure of that too.
    Status close(CloseSync sync = CloseSync::sync);

private:
    UnbufferedWriter(File file, bool direct) : file_(std::move(file)), direct_(direct) {}
    Status check_writable(const char* op) const;
    Status write_raw(const void* data, std::size_t size, const char* op);

    File file_;
    bool direct_ = false;
    bool tail_written_ = false;
    std::uint64_t written_ = 0;
};

}  // namespace platform
