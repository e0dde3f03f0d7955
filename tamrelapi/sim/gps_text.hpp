#pragma once
// The GPS text the second-generation board has received from its GPS receiver and not yet
// handed to the session: a bounded FIFO of bytes. The receiver keeps sending whether or not the
// session reads, so the FIFO holds at most `capacity` bytes; bytes arriving while it is full are
// dropped, as the board's receive buffer drops them, and counted.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string_view>

namespace tamrel::sim {

// Thread-safety: every member may be called from any thread; feed() and take() are each atomic,
// so bytes are handed over whole and in the order they arrived, each exactly once.
class GpsText {
public:
    static constexpr std::size_t default_capacity = std::size_t{1} << 20;  // 1 MiB

    explicit GpsText(std::size_t capacity = default_capacity) : capacity_(capacity) {}

    // Appends what fits of `bytes`; the rest is dropped. Returns the number of bytes kept.
    std::size_t feed(std::string_view bytes);
    // Moves up to `count` of the oldest waiting bytes into `buffer` and returns how many; the
    // rest of the buffer is left as it was.
    std::size_t take(unsigned char* buffer, std::size_t count);

    std::size_t waiting() const;
    // Bytes dropped because the FIFO was full, since the last clear.
    std::uint64_t dropped() const;
    std::size_t capacity() const { return capacity_; }

    // Empty, nothing dropped.
    void clear();

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<unsigned char> bytes_;
    std::uint64_t dropped_ = 0;
};

}  // namespace tamrel::sim
