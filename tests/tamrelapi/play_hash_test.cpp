// The hash of what the play sink received: it depends on the byte stream only, not on how the
// stream is cut into updates, and it tells apart streams that differ in one bit, in the order of
// their words or only by trailing zero bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "play_support.hpp"
#include "tamrelapi/sim/play_hash.hpp"

namespace tamrel::test {
namespace {

using sim::PlayHash;

PlayHash hash_whole(const std::vector<unsigned char>& bytes) {
    PlayHash hash;
    hash.update(bytes.data(), bytes.size());
    return hash;
}

// Hashes `bytes` in pieces of the given sizes, repeated until the bytes are used up (the last
// piece may be shorter).
PlayHash hash_in_pieces(const std::vector<unsigned char>& bytes,
                        const std::vector<std::size_t>& sizes) {
    PlayHash hash;
    std::size_t at = 0;
    for (std::size_t turn = 0; at < bytes.size(); ++turn) {
        const std::size_t size = std::min(sizes[turn % sizes.size()], bytes.size() - at);
        hash.update(bytes.data() + at, size);
        at += size;
    }
    return hash;
}

TEST(PlayHash, TheValueDoesNotDependOnHowTheStreamIsSplit) {
    // An odd length, so the stream ends inside a word.
    const std::vector<unsigned char> bytes = pattern(100'003, 5);
    const PlayHash whole = hash_whole(bytes);
    ASSERT_EQ(whole.bytes(), bytes.size());

    struct Split {
        const char* what;
        std::vector<std::size_t> sizes;
    };
    const std::vector<Split> splits = {
        {"bytes one by one", {1}},
        {"3 bytes", {3}},
        {"7 bytes", {7}},
        {"whole words", {8}},
        {"9 bytes", {9}},
        {"13 bytes", {13}},
        {"a page and 3", {4099}},
        {"odd mix", {1, 2, 3, 5, 7, 11, 13, 17, 19, 23}},
        {"words around odd pieces", {8, 1, 16, 7, 24, 9}},
        {"large then tiny", {65'537, 1, 2, 31'000, 6}},
        {"empty pieces between", {0, 5, 0, 0, 12, 0, 3}},
    };
    for (const Split& split : splits) {
        const PlayHash pieces = hash_in_pieces(bytes, split.sizes);
        EXPECT_EQ(pieces.value(), whole.value()) << split.what;
        EXPECT_EQ(pieces.bytes(), whole.bytes()) << split.what;
    }
}

TEST(PlayHash, StreamsThatDifferAnywhereHashDifferently) {
    const std::vector<unsigned char> base = pattern(1'000, 9);
    const std::uint64_t base_value = hash_whole(base).value();

    struct Change {
        const char* what;
        std::function<void(std::vector<unsigned char>&)> apply;
    };
    const std::vector<Change> changes = {
        {"first bit", [](auto& b) { b[0] ^= 0x01; }},
        {"top bit of a word", [](auto& b) { b[511] ^= 0x80; }},
        {"last byte, in the carry", [](auto& b) { b.back() ^= 0x10; }},
        {"a trailing zero byte", [](auto& b) { b.push_back(0); }},
        {"the last byte dropped", [](auto& b) { b.pop_back(); }},
        {"two words swapped",
         [](auto& b) { std::swap_ranges(b.begin(), b.begin() + 8, b.begin() + 8); }},
        {"two bytes swapped", [](auto& b) { std::swap(b[100], b[101]); }},
    };
    for (const Change& change : changes) {
        std::vector<unsigned char> changed = base;
        change.apply(changed);
        ASSERT_NE(changed, base) << change.what;
        EXPECT_NE(hash_whole(changed).value(), base_value) << change.what;
    }
}

TEST(PlayHash, TheEmptyStreamHasOneValueAndZeroBytesDiffersFromIt) {
    PlayHash fresh;
    PlayHash empty_updates;
    empty_updates.update(nullptr, 0);
    empty_updates.update(nullptr, 0);
    EXPECT_EQ(empty_updates.value(), fresh.value());
    EXPECT_EQ(empty_updates.bytes(), 0U);

    // Runs of zero bytes of every length up to three words hash differently from each other.
    std::vector<std::uint64_t> values = {fresh.value()};
    for (std::size_t length = 1; length <= 24; ++length) {
        const std::uint64_t value = hash_whole(std::vector<unsigned char>(length, 0)).value();
        for (const std::uint64_t earlier : values) EXPECT_NE(value, earlier) << length;
        values.push_back(value);
    }
}

}  // namespace
}  // namespace tamrel::test
