// The I/Q power sums against a plain per-sample reference: counts rounded up to groups of four,
// the lanes, the backward walk, the double form, the exact form at any offset, the extremes.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "comlib/stream/iq_power.hpp"

namespace {

using tamrel::stream::iq_power_groups;
using tamrel::stream::iq_sum_power;
using tamrel::stream::iq_sum_power_double;
using tamrel::stream::iq_sum_power_from_last;
using tamrel::stream::iq_sum_squares;
using tamrel::stream::IqPowerLanes;
namespace detail = tamrel::stream::detail;

constexpr std::uint64_t kMaxSquare = 1'073'741'824;  // (-32768)², 2^30

struct Sums {
    std::uint64_t i = 0;
    std::uint64_t q = 0;
};

// The obvious per-sample sums over exactly `samples` samples.
Sums reference(const std::int16_t* data, std::size_t samples) {
    Sums sums;
    for (std::size_t s = 0; s < samples; ++s) {
        sums.i += static_cast<std::uint64_t>(std::int64_t{data[2 * s]} * data[2 * s]);
        sums.q += static_cast<std::uint64_t>(std::int64_t{data[2 * s + 1]} * data[2 * s + 1]);
    }
    return sums;
}

// `values` int16 values over the full range, the same on every run; the extremes are placed
// at the start so that every block holds them.
std::vector<std::int16_t> random_values(std::size_t values, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<std::int16_t> data(values);
    for (auto& v : data) v = static_cast<std::int16_t>(generator() >> 16);
    const std::int16_t extremes[] = {-32768, 32767, -32767, -32768, 0, 1, -1, -32768};
    for (std::size_t k = 0; k < values && k < 8; ++k) data[k] = extremes[k];
    return data;
}

const std::uint32_t kCounts[] = {0,  1,  2,  3,  4,  5,  6,   7,    8,      9,
                                 11, 12, 13, 16, 20, 24, 100, 1023, 262'144};

TEST(IqPowerTest, GroupCountRoundsUpToWholeGroups) {
    const struct {
        std::uint32_t count, groups;
    } cases[] = {{0, 0},
                 {1, 1},
                 {4, 1},
                 {5, 2},
                 {8, 2},
                 {9, 3},
                 {262'144, 65'536},
                 {0xFFFF'FFFF, 0x4000'0000}};
    for (const auto& c : cases) EXPECT_EQ(iq_power_groups(c.count), c.groups) << c.count;
    static_assert(iq_power_groups(5) == 2);
}

TEST(IqPowerTest, X86BuildsRunTheVectorPath) {
#if defined(__x86_64__)
    EXPECT_TRUE(detail::iq_power_vectorised());  // SSE2 is the x86-64 baseline
#else
    GTEST_SKIP() << "no vector path on this target";
#endif
}

TEST(IqPowerTest, EveryFormMatchesTheReferenceOnRandomBlocks) {
    for (const std::uint32_t count : kCounts) {
        const std::uint32_t groups = iq_power_groups(count);
        const std::vector<std::int16_t> block = random_values(std::size_t{groups} * 8, count + 1);
        const std::int16_t* data = block.data();
        const std::int16_t* end = data + block.size();
        const Sums expected = reference(data, std::size_t{groups} * 4);

        IqPowerLanes lanes{{7, 7}};  // overwritten, not added to
        EXPECT_EQ(iq_sum_power(data, count, lanes), end) << count;
        EXPECT_EQ(lanes.lane[0], expected.i) << count;
        EXPECT_EQ(lanes.lane[1], expected.q) << count;

        IqPowerLanes backward{{7, 7}};
        EXPECT_EQ(iq_sum_power_from_last(end, count, backward), data) << count;
        EXPECT_EQ(backward.lane[0], expected.i) << count;
        EXPECT_EQ(backward.lane[1], expected.q) << count;

        IqPowerLanes scalar{{7, 7}};
        EXPECT_EQ(detail::iq_sum_power_scalar(data, count, scalar), end) << count;
        EXPECT_EQ(scalar.lane[0], expected.i) << count;
        EXPECT_EQ(scalar.lane[1], expected.q) << count;

        // Every lane here stays below 2^53, so the double sums are exact.
        double sums[2] = {-1, -1};
        EXPECT_EQ(iq_sum_power_double(data, count, sums), end) << count;
        EXPECT_EQ(sums[0], static_cast<double>(expected.i)) << count;
        EXPECT_EQ(sums[1], static_cast<double>(expected.q)) << count;
        double scalar_sums[2] = {-1, -1};
        EXPECT_EQ(detail::iq_sum_power_double_scalar(data, count, scalar_sums), end) << count;
        EXPECT_EQ(scalar_sums[0], sums[0]) << count;
        EXPECT_EQ(scalar_sums[1], sums[1]) << count;
    }
}

TEST(IqPowerTest, CountFiveReadsTwoWholeGroups) {
    // Sample k is (k + 1, -2(k + 1)); samples 5 to 7 lie past the count but inside the second
    // group.
    std::vector<std::int16_t> block;
    for (int k = 0; k < 8; ++k) {
        block.push_back(static_cast<std::int16_t>(k + 1));
        block.push_back(static_cast<std::int16_t>(-2 * (k + 1)));
    }
    IqPowerLanes lanes{};
    EXPECT_EQ(iq_sum_power(block.data(), 5, lanes), block.data() + 16);
    EXPECT_EQ(lanes.lane[0], 204U);  // 1² + 2² + ... + 8²
    EXPECT_EQ(lanes.lane[1], 816U);
    // The exact form stops at sample 4: I² 1..5 = 55, Q² = 4 × 55.
    EXPECT_EQ(iq_sum_squares(block.data(), 5), 55U + 220U);
}

TEST(IqPowerTest, OneGroupOfMostNegativeValuesFillsBothLanes) {
    const std::vector<std::int16_t> group(8, -32768);
    IqPowerLanes lanes{};
    iq_sum_power(group.data(), 4, lanes);
    EXPECT_EQ(lanes.lane[0], 4 * kMaxSquare);
    EXPECT_EQ(lanes.lane[1], 4 * kMaxSquare);
}

TEST(IqPowerTest, BackwardCountFourSumsTheLastFourSamples) {
    std::vector<std::int16_t> block = random_values(64, 11);
    for (std::size_t v = 56; v < 64; ++v)
        block[v] = static_cast<std::int16_t>(v);  // the last group
    const std::int16_t* end = block.data() + block.size();
    IqPowerLanes lanes{};
    EXPECT_EQ(iq_sum_power_from_last(end, 4, lanes), end - 8);
    EXPECT_EQ(lanes.lane[0], 56U * 56 + 58 * 58 + 60 * 60 + 62 * 62);
    EXPECT_EQ(lanes.lane[1], 57U * 57 + 59 * 59 + 61 * 61 + 63 * 63);
}

TEST(IqPowerTest, IAndQLanesStaySeparate) {
    // Blocks with only I or only Q set: the other lane is zero on every path.
    for (const std::size_t zeroed : {std::size_t{1}, std::size_t{0}}) {
        std::vector<std::int16_t> block = random_values(8 * 9, 5);
        for (std::size_t v = zeroed; v < block.size(); v += 2) block[v] = 0;
        const Sums expected = reference(block.data(), block.size() / 2);
        const std::uint64_t kept = zeroed == 1 ? expected.i : expected.q;
        ASSERT_NE(kept, 0U);

        IqPowerLanes forward{};
        IqPowerLanes backward{};
        IqPowerLanes scalar{};
        double sums[2] = {-1, -1};
        iq_sum_power(block.data(), 36, forward);
        iq_sum_power_from_last(block.data() + block.size(), 36, backward);
        detail::iq_sum_power_scalar(block.data(), 36, scalar);
        iq_sum_power_double(block.data(), 36, sums);
        for (const IqPowerLanes& lanes : {forward, backward, scalar}) {
            EXPECT_EQ(lanes.lane[zeroed], 0U) << zeroed;
            EXPECT_EQ(lanes.lane[1 - zeroed], kept) << zeroed;
        }
        EXPECT_EQ(sums[zeroed], 0.0) << zeroed;
        EXPECT_EQ(sums[1 - zeroed], static_cast<double>(kept)) << zeroed;
    }
}

TEST(IqPowerTest, MostNegativeValuesDoNotOverflowALane) {
    // 262,144 samples of -32768: 262,144 × 2^30 = 2^48 in each lane, far past a 32-bit sum.
    const std::uint32_t count = 262'144;
    const std::vector<std::int16_t> block(std::size_t{count} * 2, -32768);
    const std::uint64_t expected = std::uint64_t{count} * kMaxSquare;

    IqPowerLanes forward{};
    IqPowerLanes backward{};
    IqPowerLanes scalar{};
    iq_sum_power(block.data(), count, forward);
    iq_sum_power_from_last(block.data() + block.size(), count, backward);
    detail::iq_sum_power_scalar(block.data(), count, scalar);
    for (const IqPowerLanes& lanes : {forward, backward, scalar}) {
        EXPECT_EQ(lanes.lane[0], expected);
        EXPECT_EQ(lanes.lane[1], expected);
    }
    double sums[2] = {0, 0};
    iq_sum_power_double(block.data(), count, sums);
    EXPECT_EQ(sums[0], static_cast<double>(expected));
    EXPECT_EQ(sums[1], static_cast<double>(expected));
    EXPECT_EQ(iq_sum_squares(block.data(), count), 2 * expected);
    // Counts that leave one or two groups after the blocks of three widened together.
    for (const std::uint32_t tail : {count - 4, count - 8}) {
        iq_sum_power(block.data(), tail, forward);
        EXPECT_EQ(forward.lane[0], std::uint64_t{tail} * kMaxSquare) << tail;
    }
}

TEST(IqPowerTest, ExactSumAtAnyOffsetReadsOnlyItsSamples) {
    // Each block is copied to the very end of its own allocation, after `offset` samples, so
    // the start is unaligned for most offsets and a read past the last sample is an ASan error.
    const std::vector<std::int16_t> source = random_values(2 * 1030, 3);
    for (std::uint32_t offset = 0; offset < 8; ++offset) {
        for (const std::uint32_t count :
             {0U, 1U, 2U, 3U, 4U, 5U, 6U, 7U, 8U, 9U, 10U, 11U, 12U, 13U, 1027U, 1030U}) {
            std::vector<std::int16_t> buffer(2 * std::size_t{offset});
            buffer.insert(buffer.end(), source.begin(), source.begin() + 2 * std::ptrdiff_t{count});
            buffer.shrink_to_fit();
            const std::int16_t* data = buffer.data() + 2 * offset;
            const Sums expected = reference(data, count);
            EXPECT_EQ(iq_sum_squares(data, count), expected.i + expected.q)
                << "offset " << offset << " count " << count;
        }
    }
}

TEST(IqPowerTest, UnalignedBlocksGiveTheSameSums) {
    const std::vector<std::int16_t> source = random_values(8 * 40 + 8, 9);
    for (std::size_t shift = 1; shift < 8; ++shift) {
        const std::int16_t* data = source.data() + shift;  // 2 × shift bytes past an aligned start
        const Sums expected = reference(data, 160);
        IqPowerLanes forward{};
        IqPowerLanes backward{};
        iq_sum_power(data, 160, forward);
        iq_sum_power_from_last(data + 320, 160, backward);
        EXPECT_EQ(forward.lane[0], expected.i) << shift;
        EXPECT_EQ(forward.lane[1], expected.q) << shift;
        EXPECT_EQ(backward.lane[0], expected.i) << shift;
        EXPECT_EQ(backward.lane[1], expected.q) << shift;
    }
}

}  // namespace
