#include "platform/fs/aligned_buffer.hpp"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace platform {

AlignedBuffer::~AlignedBuffer() { std::free(data_); }

AlignedBuffer::AlignedBuffer(AlignedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

AlignedBuffer& AlignedBuffer::operator=(AlignedBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

Result<AlignedBuffer> AlignedBuffer::allocate(std::size_t size) {
    if (size == 0) return AlignedBuffer{};
    if (size > std::numeric_limits<std::size_t>::max() - io_alignment)
        return Status(Errc::invalid_argument, "aligned buffer of " + std::to_string(size) + " bytes");
    const std::size_t bytes = round_up_to_io_alignment(size);
    void* memory = nullptr;
    const int err = ::posix_memalign(&memory, io_alignment, bytes);
    if (err != 0)
        return Status(Errc::no_space, "allocate aligned buffer of " + std::to_string(size) + " bytes", err);
    std::memset(memory, 0, bytes);
    return AlignedBuffer(static_cast<std::byte*>(memory), size);
}

}  // namespace platform
