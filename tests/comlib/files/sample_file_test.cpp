// Sample-file arithmetic: bytes per second, duration, playability and the sample bytes.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "comlib/files/sample_file.hpp"

namespace {

TEST(SampleFile, BytesPerSecondRoundsRateTimesFourAndRefusesWhatDoesNotFit) {
    struct Case {
        double rate;
        std::uint32_t bytes;
    };
    const Case cases[] = {
        {10'000'000, 40'000'000},
        {30'000'000, 120'000'000},
        {70'000'000, 280'000'000},
        {1'000, 4'000},
        {0.125, 1},          // 0.5 + 0.5
        {0.1, 0},            // 0.4 + 0.5 truncates to 0
        {0, 0},
        {-1'000, 0},
        {1'073'741'823, 4'294'967'292U},
        {1'073'741'824, 0},  // 2^32 does not fit
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(iqw_bytes_per_second(c.rate), c.bytes) << c.rate;
}

TEST(SampleFile, DurationIsWholeSecondsAndNeverDividesByZero) {
    EXPECT_EQ(iqw_duration_s(120'000'000, 40'000'000), 3U);
    EXPECT_EQ(iqw_duration_s(119'999'999, 40'000'000), 2U);
    EXPECT_EQ(iqw_duration_s(0, 40'000'000), 0U);
    EXPECT_EQ(iqw_duration_s(1ULL << 50, 4'000), (1ULL << 50) / 4'000);  // 64-bit division
    EXPECT_FALSE(iqw_duration_s(120'000'000, 0).has_value());
}

TEST(SampleFile, PlayableFromOneMebibyteAndCountedInFourByteSamples) {
    EXPECT_FALSE(iqw_playable(kIqwMinPlayableBytes - 1));
    EXPECT_TRUE(iqw_playable(kIqwMinPlayableBytes));
    EXPECT_EQ(iqw_sample_count(kIqwRecordingUnit), 262'144U);
    EXPECT_EQ(iqw_sample_count(7), 1U);
}

TEST(SampleFile, SampleIsTwoLittleEndianSignedWords) {
    struct Case {
        IqSample sample;
        unsigned char bytes[4];
    };
    const Case cases[] = {
        {{0x1234, -2}, {0x34, 0x12, 0xFE, 0xFF}},
        {{-32768, 32767}, {0x00, 0x80, 0xFF, 0x7F}},
        {{0, -1}, {0x00, 0x00, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        unsigned char out[4] = {};
        encode_iq_sample(c.sample, out);
        EXPECT_EQ(std::memcmp(out, c.bytes, 4), 0) << c.sample.i << "," << c.sample.q;
        const IqSample back = decode_iq_sample(c.bytes);
        EXPECT_EQ(back.i, c.sample.i);
        EXPECT_EQ(back.q, c.sample.q);
    }
}

}  // namespace
