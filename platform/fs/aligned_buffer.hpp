#pragma once
// AlignedBuffer: memory for unbuffered (O_DIRECT) transfers. The start is aligned to
// io_alignment and the allocation is rounded up to a whole number of alignment units, so a
// transfer rounded up to the unit never runs past the end. The memory starts zeroed.
//
// Thread-safety: none beyond that of plain memory; the owner decides who touches the bytes.

#include "platform/status.hpp"

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

// The alignment of buffers, sizes and file offsets in unbuffered transfers.
inline constexpr std::size_t io_alignment = 4096;

constexpr bool is_io_aligned(std::size_t value) { return value % io_alignment == 0; }
inline bool is_io_aligned(const void* address) {
    return reinterpret_cast<std::uintptr_t>(address) % io_alignment == 0;
}
constexpr std::size_t round_up_to_io_alignment(std::size_t value) {
    return (value + io_alignment - 1) / io_alignment * io_alignment;
}

class AlignedBuffer {
public:
    AlignedBuffer() = default;
    ~AlignedBuffer();
    AlignedBuffer(AlignedBuffer&& other) noexcept;
    AlignedBuffer& operator=(AlignedBuffer&& other) noexcept;
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;

    // `size` bytes usable; Errc::no_space when the memory cannot be had.
    static Result<AlignedBuffer> allocate(std::size_t size);

    std::byte* data() { return data_; }
    const std::byte* data() const { return data_; }
    std::size_t size() const { return size_; }
    // The allocated length: size() rounded up to io_alignment.
    std::size_t capacity() const { return round_up_to_io_alignment(size_); }
    std::span<std::byte> span() { return {data_, size_}; }
    std::span<const std::byte> span() const { return {data_, size_}; }

private:
    AlignedBuffer(std::byte* data, std::size_t size) : data_(data), size_(size) {}

    std::byte* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace platform
