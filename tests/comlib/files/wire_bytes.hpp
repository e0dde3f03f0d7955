#pragma once
// Expected wire records built by hand, field by field at their byte offsets, so a record made by
// the code under test can be compared byte for byte with what the reply must carry.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t N>
class WireBytes {
public:
    // Little-endian unsigned of `width` bytes at `offset`.
    void put(std::size_t offset, std::uint64_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) bytes_.at(offset + i) = static_cast<unsigned char>(value >> (8 * i));
    }
    void put_u32(std::size_t offset, std::uint32_t value) { put(offset, value, 4); }
    void put_i32(std::size_t offset, std::int32_t value) { put(offset, static_cast<std::uint32_t>(value), 4); }
    void put_u64(std::size_t offset, std::uint64_t value) { put(offset, value, 8); }
    // UTF-16LE units; the rest of the field stays zero, which is its NUL padding.
    void put_text(std::size_t offset, std::u16string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) put(offset + 2 * i, text[i], 2);
    }

    const std::array<unsigned char, N>& bytes() const { return bytes_; }

private:
    std::array<unsigned char, N> bytes_{};
};

// The first differing byte, so a failure says which field is wrong.
template <std::size_t N, typename Record>
::testing::AssertionResult same_bytes(const WireBytes<N>& expected, const Record& actual) {
    static_assert(sizeof(Record) == N);
    unsigned char got[N];
    std::memcpy(got, &actual, N);
    for (std::size_t i = 0; i < N; ++i) {
        if (got[i] != expected.bytes()[i]) {
            return ::testing::AssertionFailure() << "byte " << i << " is " << int{got[i]} << ", expected "
                                                 << int{expected.bytes()[i]};
        }
    }
    return ::testing::AssertionSuccess();
}
