#pragma once
// PlayHash: a running 64-bit hash of a byte stream, with the stream's length. The value depends
// only on the bytes and their order, never on how the stream was cut into update() calls, so a
// test can hash a file in any chunking and compare it with what the play sink received.
//
// The stream is taken as little-endian 8-byte words, each folded into the state with a multiply
// and a rotation; the bytes of a word not yet complete wait in a carry. value() folds in the
// carry (zero-padded) and the length, then mixes the result, so streams that differ only by
// trailing zero bytes still differ. The bulk of an update moves a word at a time, fast enough
// for the unpaced play benchmark (several GB/s in an optimised build).
//
// Not a cryptographic hash: it tells apart streams that differ by accident, not by design.
//
// Thread-safety: none; a PlayHash belongs to one owner (the play sink keeps its own under its
// lock).

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tamrel::sim {

class PlayHash {
public:
    // Adds `size` bytes from `data` to the stream. `data` may be null only when `size` is 0.
    void update(const void* data, std::size_t size);

    // The hash of the stream so far; the hash of the empty stream for a fresh PlayHash.
    constexpr std::uint64_t value() const {
        std::uint64_t h = state_;
        if (carry_size_ > 0) h = mix(h, carry_);
        return finish(h ^ bytes_);
    }

    // The length of the stream so far.
    constexpr std::uint64_t bytes() const { return bytes_; }

private:
    static constexpr std::uint64_t kSeed = 0x243F6A8885A308D3ULL;
    static constexpr std::uint64_t kWordFactor = 0x9E3779B97F4A7C15ULL;
    static constexpr std::uint64_t kStateFactor = 0xC2B2AE3D27D4EB4FULL;

    // Both multiplications are by odd numbers and so are bijections: for a given state, two
    // different words always give two different states.
    static constexpr std::uint64_t mix(std::uint64_t state, std::uint64_t word) {
        return std::rotl(state ^ (word * kWordFactor), 31) * kStateFactor;
    }

    // Spreads every bit of the state over the whole value.
    static constexpr std::uint64_t finish(std::uint64_t h) {
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDULL;
        h ^= h >> 33;
        h *= 0xC4CEB9FE1A85EC53ULL;
        h ^= h >> 33;
        return h;
    }

    std::uint64_t state_ = kSeed;
    std::uint64_t carry_ = 0;  // the bytes of the incomplete word, little-endian
    unsigned carry_size_ = 0;  // 0 to 7
    std::uint64_t bytes_ = 0;
};

}  // namespace tamrel::sim
