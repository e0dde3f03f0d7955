#include "platform/fs/sample_reader.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "platform/fs/direct_open.hpp"
#include "platform/fs/fs_error.hpp"

namespace platform {

using fs_detail::errno_status;
using fs_detail::path_status;
using fs_detail::retry_eintr;

namespace {
constexpr std::size_t kLargestAlignment = 4096;
}

Result<SampleReader> SampleReader::open(std::string path) {
    auto buffered = File::open(path, FileMode::read);
    if (!buffered) return buffered.status();
    auto direct = fs_detail::open_preferring_direct(std::move(path), O_RDONLY);
    if (!direct) return direct.status();
    File direct_file;
    if (direct->direct) {
        direct_file = std::move(direct->file);
    } else {
        (void)direct->file.close();
    }
    return SampleReader(std::move(*buffered), std::move(direct_file));
}

Result<std::uint64_t> SampleReader::seek(std::int64_t position) {
    if (!is_open()) return path_status(Errc::closed, "seek", path(), "reader is not open");
    if (position < 0) return path_status(Errc::invalid_argument, "seek", path(), "negative position");
    position_ = static_cast<std::uint64_t>(position);
    return position_;
}

Result<std::size_t> SampleReader::read_direct(unsigned char* out, std::size_t size, bool& refused) {
    refused = false;
    const ssize_t n = retry_eintr(
        [&] { return ::pread(direct_.native_handle(), out, size, static_cast<off_t>(position_)); });
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINVAL) return errno_status(errno, "read", path());
    refused = true;
    if (alignment_ < kLargestAlignment) {
        alignment_ = kLargestAlignment;
    } else {
        (void)direct_.close();  // the file system takes no direct reads at all
    }
    return std::size_t{0};
}

Result<std::size_t> SampleReader::read(void* data, std::size_t size) {
    if (!is_open()) return path_status(Errc::closed, "read", path(), "reader is not open");
    auto* out = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        unsigned char* at = out + done;
        const std::size_t left = size - done;
        const auto address = reinterpret_cast<std::uintptr_t>(at);
        // Position and destination line up when they have the same offset within an alignment
        // unit; direct reads then start at the next unit boundary.
        const bool in_phase = direct_.is_open() && (position_ - address) % alignment_ == 0;
        if (in_phase && position_ % alignment_ == 0 && left >= alignment_) {
            bool refused = false;
            auto n = read_direct(at, left / alignment_ * alignment_, refused);
            if (!n) return n.status();
            if (refused) continue;
            position_ += *n;
            done += *n;
            if (*n == 0 || *n % alignment_ != 0) break;  // the end of the file
            continue;
        }
        // Buffered: up to the next unit boundary when in phase (then direct again), else all.
        std::size_t piece = left;
        if (in_phase && position_ % alignment_ != 0) piece = std::min(left, alignment_ - position_ % alignment_);
        const ssize_t n = retry_eintr([&] {
            return ::pread(buffered_.native_handle(), at, piece, static_cast<off_t>(position_));
        });
        if (n < 0) return errno_status(errno, "read", path());
        if (n == 0) break;
        position_ += static_cast<std::uint64_t>(n);
        done += static_cast<std::size_t>(n);
    }
    return done;
}

Status SampleReader::close() {
    Status result = buffered_.is_open() ? buffered_.close() : Status{};
    if (direct_.is_open()) {
        Status closed = direct_.close();
        if (result.ok()) result = std::move(closed);
    }
    position_ = 0;
    return result;
}

}  // namespace platform
