#pragma once
// SampleReader: reads a sample file for play, from any byte position, past the page cache
// (O_DIRECT) wherever the file position, the destination address and the length allow it, and
// through the page cache for the pieces that do not. Play positions are whole samples, not disk
// sectors, so after a wrap or a seek the reads may no longer line up; they then go buffered,
// and return to direct reads as soon as position and destination line up again.
//
// Direct reads are tried with the usual 512-byte alignment first; a file system that refuses it
// (EINVAL) is read with 4096, and one that refuses that too is read buffered only. A file system
// that refuses O_DIRECT at open is read buffered. Either way every byte comes back as it is on
// disk; only the speed differs.
//
// read() fills the whole request except at the end of the file, where it returns the short
// remainder, and 0 from then on. The position is the reader's own (reads use pread), so seek()
// only sets it.
//
// Thread-safety: none; one thread reads, seeks and closes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/fs/file.hpp"
#include "platform/status.hpp"

namespace platform {

class SampleReader {
public:
    SampleReader() = default;
    static Result<SampleReader> open(std::string path);

    bool is_open() const { return buffered_.is_open(); }
    const std::string& path() const { return buffered_.path(); }
    int native_handle() const { return buffered_.native_handle(); }
    // Whether direct reads are still in use.
    bool direct() const { return direct_.is_open(); }
    Result<std::uint64_t> size() const { return buffered_.size(); }

    Result<std::uint64_t> seek(std::int64_t position);
    std::uint64_t tell() const { return position_; }
    Result<std::size_t> read(void* data, std::size_t size);
    Status close();

private:
    SampleReader(File buffered, File direct) : buffered_(std::move(buffered)), direct_(std::move(direct)) {}
    // A direct read of `size` (a multiple of the alignment) at the position; empty when the file
    // system refused the alignment (the next attempt uses the next one, or none).
    Result<std::size_t> read_direct(unsigned char* out, std::size_t size, bool& refused);

    File buffered_;
    File direct_;
    std::size_t alignment_ = 512;
    std::uint64_t position_ = 0;
};

}  // namespace platform
