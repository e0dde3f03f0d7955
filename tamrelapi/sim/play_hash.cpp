#include "tamrelapi/sim/play_hash.hpp"

#include <cstring>

namespace tamrel::sim {
namespace {

constexpr std::size_t kWordBytes = 8;

// The 8 bytes at `p` as a little-endian word, whatever the host's byte order.
inline std::uint64_t load_word(const unsigned char* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, kWordBytes);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

}  // namespace

void PlayHash::update(const void* data, std::size_t size) {
    if (size == 0) return;
    const auto* p = static_cast<const unsigned char*>(data);
    bytes_ += size;

    // Complete the word a previous update left open.
    if (carry_size_ > 0) {
        while (size > 0 && carry_size_ < kWordBytes) {
            carry_ |= std::uint64_t{*p++} << (8 * carry_size_++);
            --size;
        }
        if (carry_size_ < kWordBytes) return;
        state_ = mix(state_, carry_);
        carry_ = 0;
        carry_size_ = 0;
    }

    // The bulk, a word at a time, with the state in a register.
    std::uint64_t state = state_;
    for (; size >= kWordBytes; size -= kWordBytes, p += kWordBytes) {
        state = mix(state, load_word(p));
    }
    state_ = state;

    // At most 7 bytes are left; they wait for the next update or for value().
    while (size > 0) {
        carry_ |= std::uint64_t{*p++} << (8 * carry_size_++);
        --size;
    }
}

}  // namespace tamrel::sim
