// Reading the per-second lines of a project file: gain and power tables, the strongest second,
// and the GPS sentences.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comlib/files/gain_lines.hpp"
#include "comlib/files/project_lines.hpp"
#include "platform/text/utf.hpp"
#include "recording_folder_fixture.hpp"

namespace {

TEST(GainLine, FieldsByPositionWithUnconvertibleOnesReadingZero) {
    struct Case {
        std::u16string_view line;
        bool is_gain;
        float gain = 0.0F;
        float power = 0.0F;
        int time = 0;
    };
    const Case cases[] = {
        {u"$GAIN,-10.0,POWER,-55.3,,,TIME,12", true, -10.0F, -55.3F, 12},
        {u"$GAIN,0.0,POWER,-39.7,,,TIME,1\r", true, 0.0F, -39.7F, 1},  // a CR the reader left
        {u"$GAIN, 2.5 ,POWER, -1e1,,,TIME, 7 ", true, 2.5F, -10.0F, 7},
        {u"$GAIN,x,POWER,y,,,TIME,z", true, 0.0F, 0.0F, 0},
        {u"$GAIN,,POWER,,,,TIME,", true, 0.0F, 0.0F, 0},
        {u"$GAIN,4.5", true, 4.5F, 0.0F, 0},      // fields missing
        {u"$GAIN", true},
        {u"$GAIN,1,2,3,4,5,6,8,9", true, 1.0F, 3.0F, 8},  // by position, not by label
        {u"$GAINX,1,P,2,,,T,3", true, 1.0F, 2.0F, 3},     // only the first five units are checked
        {u"$GAIN,1e999,POWER,-1e999,,,TIME,1", true, std::numeric_limits<float>::infinity(),
         -std::numeric_limits<float>::infinity(), 1},
        {u"$GAI", false},
        {u"$gain,1,POWER,2,,,TIME,3", false},
        {u" $GAIN,1,POWER,2,,,TIME,3", false},
        {u"$GPRMC,1", false},
        {u"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::to_utf8(c.line));
        const auto parsed = parse_gain_line(c.line);
        ASSERT_EQ(parsed.has_value(), c.is_gain);
        if (!parsed) continue;
        EXPECT_EQ(parsed->gain, c.gain);
        EXPECT_EQ(parsed->power, c.power);
        EXPECT_EQ(parsed->time, c.time);
    }
}

TEST(GainLine, ReadsBackWhatTheRecorderWrites) {
    const auto parsed = parse_gain_line(gain_line(-12.5F, -87.25, 42));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->gain, -12.5F);
    EXPECT_EQ(parsed->power, -87.2F);  // one decimal on disk
    EXPECT_EQ(parsed->time, 42);
}

class GainTablesTest : public RecordingFolderTest {
protected:
    static std::u16string header() {
        return project_header_line(u"s.iqw", 10'000'000, false, 50'000'000, 0);
    }
    GainTables read(std::u16string_view text, std::size_t expected_seconds) {
        write_project(u"p.wpj", text);
        auto tables = read_gain_lines(drives_, record_path(u"p.wpj"), expected_seconds);
        EXPECT_TRUE(tables) << tables.status().describe();
        return tables ? std::move(*tables) : GainTables{};
    }
};

TEST_F(GainTablesTest, StoresEachSecondAndFindsTheStrongest) {
    const std::u16string gps1 = u"$GPRMC,142502.00,A,5230.1,N,01323.4,E,0.0,0.0,150317,,,A*6C\r\n";
    const std::u16string gps3 = u"$GPRMC,142504.00,A,5230.1,N,01323.4,E,0.0,0.0,150317,,,A*6A\r\n";
    const GainTables t = read(header() + second_lines(0.0F, -60.0, 1, gps1) +
                                  second_lines(-10.0F, -55.3, 12, u"") +
                                  u"$GPGGA,not a position sentence\r\n" + u"some other line\r\n" +
                                  second_lines(-3.0F, -70.1, 3, gps3),
                              10);
    EXPECT_EQ(t.gain, (std::vector<float>{0.0F, -10.0F, -3.0F}));
    EXPECT_EQ(t.power, (std::vector<float>{-60.0F, -55.3F, -70.1F}));
    EXPECT_EQ(t.max_power, -55.3F);
    EXPECT_EQ(t.max_power_time, 12);
    EXPECT_EQ(t.lines_to_max, 2U);
    EXPECT_EQ(t.gps_lines, (std::vector<std::u16string>{gps1.substr(0, gps1.size() - 2),
                                                        gps3.substr(0, gps3.size() - 2)}));
}

TEST_F(GainTablesTest, EqualMaximaKeepTheFirst) {
    const GainTables t = read(header() + gain_line(0.0F, -50.0, 1) + gain_line(0.0F, -40.0, 2) +
                                  gain_line(0.0F, -45.0, 3) + gain_line(0.0F, -40.0, 4),
                              4);
    EXPECT_EQ(t.max_power, -40.0F);
    EXPECT_EQ(t.max_power_time, 2);
    EXPECT_EQ(t.lines_to_max, 2U);
}

TEST_F(GainTablesTest, MaximumTimeIsTheLineTimeFieldAndCountIsTheLinePosition) {
    // Black-box sets use the count, since their time fields need not follow the line order.
    const GainTables t = read(header() + gain_line(0.0F, -50.0, 90) + gain_line(0.0F, -20.0, 91) +
                                  gain_line(0.0F, -30.0, 92) + gain_line(0.0F, -10.0, 7),
                              10);
    EXPECT_EQ(t.max_power_time, 7);
    EXPECT_EQ(t.lines_to_max, 4U);
}

TEST_F(GainTablesTest, HeaderOnlyGivesEmptyTables) {
    for (const std::u16string& text : {header(), header().substr(0, header().size() - 2), std::u16string()}) {
        const GainTables t = read(text, 5);
        EXPECT_TRUE(t.gain.empty());
        EXPECT_TRUE(t.power.empty());
        EXPECT_TRUE(t.gps_lines.empty());
        EXPECT_EQ(t.max_power, kNoPower);
        EXPECT_EQ(t.max_power_time, 0);
        EXPECT_EQ(t.lines_to_max, 0U);
    }
}

TEST_F(GainTablesTest, LinesBeyondExpectedPlusOneAreIgnored) {
    std::u16string text = header();
    for (int second = 1; second <= 5; ++second) text += gain_line(0.0F, -60.0 + second, second);
    text += gain_line(0.0F, 0.0, 6);  // the strongest, but beyond the table
    text += u"$GPRMC,after the table\r\n";
    const GainTables t = read(text, 2);
    EXPECT_EQ(t.power, (std::vector<float>{-59.0F, -58.0F, -57.0F}));
    EXPECT_EQ(t.max_power, -57.0F);
    EXPECT_EQ(t.max_power_time, 3);
    EXPECT_EQ(t.gps_lines, std::vector<std::u16string>{u"$GPRMC,after the table"});

    EXPECT_EQ(read(text, 0).power.size(), 1U);
}

TEST_F(GainTablesTest, HeaderLineIsNeverReadAsASecond) {
    const GainTables t = read(u"$GAIN,1.0,POWER,-1.0,,,TIME,1\r\n" + gain_line(2.0F, -2.0, 2), 5);
    EXPECT_EQ(t.gain, std::vector<float>{2.0F});
}

TEST_F(GainTablesTest, MissingProjectFileIsAFailure) {
    const auto missing = read_gain_lines(drives_, record_path(u"none.wpj"), 3);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.status().code(), platform::Errc::not_found);
    EXPECT_FALSE(read_gain_lines(drives_, u"none.wpj", 3));  // no drive
}

}  // namespace
