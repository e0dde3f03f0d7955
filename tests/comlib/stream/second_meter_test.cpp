// The per-second measurement: where second boundaries fall inside blocks, what each second sums,
// and the level formula.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "comlib/stream/second_meter.hpp"

namespace {

constexpr std::uint32_t kBlockSamples = 262'144;

struct Second {
    std::uint64_t sum;
    std::uint32_t number;
};

// Feeds `blocks` blocks whose sample n (running index over the stream) has I = 1 and Q = 0 when
// n is even, I = Q = 1 when odd, so a second's sum tells which samples it holds.
std::vector<Second> feed_blocks(SecondMeter& meter, std::uint32_t blocks, std::vector<std::int16_t>& block) {
    std::vector<Second> seconds;
    std::uint64_t index = 0;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        for (std::uint32_t s = 0; s < kBlockSamples; ++s, ++index) {
            block[2 * s] = 1;
            block[2 * s + 1] = static_cast<std::int16_t>(index % 2);
        }
        meter.feed(block.data(), kBlockSamples, [&](std::uint64_t sum, std::uint32_t number) {
            seconds.push_back({sum, number});
            return true;
        });
    }
    return seconds;
}

TEST(SecondMeter, HundredBlocksAtTenMegasamplesMakeTwoSeconds) {
    SecondMeter meter;
    meter.start(10'000'000);
    std::vector<std::int16_t> block(2 * kBlockSamples);
    const std::vector<Second> seconds = feed_blocks(meter, 100, block);
    ASSERT_EQ(seconds.size(), 2U);
    EXPECT_EQ(seconds[0].number, 1U);
    EXPECT_EQ(seconds[1].number, 2U);
    // Each second holds 10,000,000 samples: half sum 1, half sum 2.
    EXPECT_EQ(seconds[0].sum, 15'000'000U);
    EXPECT_EQ(seconds[1].sum, 15'000'000U);
    EXPECT_EQ(meter.window(), 100U * kBlockSamples - 20'000'000U);  // 6,214,400 toward the third
    EXPECT_EQ(meter.seconds(), 2U);
}

TEST(SecondMeter, TheFirstBoundaryFallsInsideBlock39) {
    SecondMeter meter;
    meter.start(10'000'000);
    std::vector<std::int16_t> block(2 * kBlockSamples);
    EXPECT_TRUE(feed_blocks(meter, 38, block).empty());
    EXPECT_EQ(meter.window(), 9'961'472U);
    EXPECT_EQ(feed_blocks(meter, 1, block).size(), 1U);
    EXPECT_EQ(meter.window(), 223'616U);  // the rest of block 39 starts second 2
}

TEST(SecondMeter, EveryBoundaryInsideABlockCompletesASecond) {
    SecondMeter meter;
    meter.start(1'000);  // a block spans 262 whole seconds
    std::vector<std::int16_t> block(2 * kBlockSamples);
    const std::vector<Second> seconds = feed_blocks(meter, 2, block);
    ASSERT_EQ(seconds.size(), 524U);
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        EXPECT_EQ(seconds[i].number, i + 1);
        EXPECT_EQ(seconds[i].sum, 1'500U);  // 500 samples of 1 and 500 of 2 (S is even)
    }
    EXPECT_EQ(meter.window(), 2 * kBlockSamples - 524'000U);
}

TEST(SecondMeter, AnOddRateSplitsSamplesAtTheExactBoundary) {
    SecondMeter meter;
    meter.start(3);
    std::vector<std::int16_t> samples = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0};
    std::vector<std::uint64_t> sums;
    meter.feed(samples.data(), 7, [&](std::uint64_t sum, std::uint32_t) {
        sums.push_back(sum);
        return true;
    });
    EXPECT_EQ(sums, (std::vector<std::uint64_t>{1 + 4 + 9, 16 + 25 + 36}));
    EXPECT_EQ(meter.window(), 1U);
}

TEST(SecondMeter, AZeroRateNeverCompletesASecond) {
    SecondMeter meter;
    meter.start(0);
    std::vector<std::int16_t> block(2 * kBlockSamples, 5);
    bool called = false;
    meter.feed(block.data(), kBlockSamples, [&](std::uint64_t, std::uint32_t) { return called = true; });
    EXPECT_FALSE(called);
}

TEST(SecondMeter, StoppingTheFeedLeavesTheRestOfTheBlockUncounted) {
    SecondMeter meter;
    meter.start(1'000);
    std::vector<std::int16_t> block(2 * kBlockSamples, 1);
    int calls = 0;
    meter.feed(block.data(), kBlockSamples, [&](std::uint64_t, std::uint32_t number) {
        ++calls;
        return number < 5;
    });
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(meter.seconds(), 5U);
}

TEST(SecondMeter, LevelIsTheMeanSquarePerComponentAgainstFullScale) {
    // I = Q = 1000 over a second: mean square 10^6 per component.
    const std::uint32_t rate = 10'000'000;
    const std::uint64_t sum = 2ULL * rate * 1'000'000ULL;
    EXPECT_NEAR(SecondMeter::dbfs(sum, rate), 60.0 - 90.30899, 1e-9);
    // The gain line's power at gain 0 and no calibration: -39.7 after rounding.
    const double power = 0.0 + SecondMeter::dbfs(sum, rate) - 11.3 + 1.888;
    EXPECT_NEAR(power, -39.72, 0.005);
    const std::uint64_t full = 2ULL * rate * (32768ULL * 32768ULL);
    EXPECT_NEAR(SecondMeter::dbfs(full, rate) - 11.3 + 1.888, -9.412, 0.001);
}

}  // namespace
