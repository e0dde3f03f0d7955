#pragma once
// UnbufferedReader: sequential reading of large files past the page cache (O_DIRECT), as the
// player reads sample files, falling back to buffered reads where the file system refuses
// O_DIRECT; direct() says which. The buffer must be aligned to io_alignment and the size a
// multiple of it in both modes (Errc::invalid_argument otherwise), so a caller's mistake shows on
// every file system.
//
// read() fills the whole request except at the end of the file, where it returns the short
// remainder, and 0 from then on.
//
// Thread-safety: none; one thread reads and closes.

#include "platform/fs/file.hpp"
#include "platform/status.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class UnbufferedReader {
public:
    UnbufferedReader() = default;
    static Result<UnbufferedReader> open(std::string path);

    bool is_open() const { return file_.is_open(); }
    bool direct() const { return direct_; }
    const std::string& path() const { return file_.path(); }
    Result<std::uint64_t> size() const { return file_.size(); }

    Result<std::size_t> read(void* data, std::size_t size);
    Status close();

private:
    UnbufferedReader(File file, bool direct) : file_(std::move(file)), direct_(direct) {}

    File file_;
    bool direct_ = false;
    // After a short read the position is no longer aligned, and a direct read there would fail
    // with EINVAL instead of reporting the end; so the end is remembered.
    bool at_end_ = false;
};

}  // namespace platform
