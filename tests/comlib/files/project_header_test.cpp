// Reading line 1 of a project file: which headers are accepted, and what the record holds.

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "comlib/files/file_info.hpp"
#include "comlib/files/project_header.hpp"
#include "comlib/files/project_lines.hpp"
#include "platform/text/utf.hpp"
#include "recording_folder_fixture.hpp"

namespace {

// 3 s at 10 MS/s (40,000,000 bytes per second), 1 s at 30 MS/s.
constexpr std::uint64_t kBigSize = 120'000'000;

class ProjectHeaderTest : public RecordingFolderTest {
protected:
    void SetUp() override {
        RecordingFolderTest::SetUp();
        make_sample(u"big.iqw", kBigSize);
        make_sample(u"exact.iqw", 1'048'576);
        make_sample(u"small.iqw", 1'048'575);
        make_sample(u"20170315_142501.iqw", 1'048'576);
        fs_test::make_folder(posix_path(u"folder.iqw"));
    }

    // Writes `header` as p.wpj and parses it.
    bool parse(std::u16string_view header, const HeaderRanges& ranges = {}) {
        write_project(u"p.wpj", header);
        return parse_project_header(drives_, 77, record_path(u"p.wpj"), ranges, info_);
    }

    _TmFileInfo_t info_{};
};

const std::u16string kCanonical =
    u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n";

TEST_F(ProjectHeaderTest, HeadersAcceptedOrRefused) {
    HeaderRanges from_zero;
    from_zero.centre_min = 0;
    struct Case {
        const char* what;
        std::u16string header;
        bool accepted;
        HeaderRanges ranges = {};
    };
    const Case cases[] = {
        {"as the recorder writes it", project_header_line(u"big.iqw", 10'000'000, false, 50'000'000, 0), true},
        {"second generation", project_header_line(u"big.iqw", 30'000'000, true, 2'700'000'000U, 1), true},
        {"another order", u"AGC,1,Tracking,1,Center,50000000,IQ Rate,10000000,IQ FileName,big.iqw,$Ver,1\r\n", true},
        {"an unknown pair", u"$Ver,1,Mode,7,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", true},
        {"an unknown key last", kCanonical.substr(0, kCanonical.size() - 2) + u",Note\r\n", true},
        {"empty fields between", u",$Ver,,1,,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,,0,\r\n", true},
        {"followed by gain lines", kCanonical + u"$GAIN,0.0,POWER,-39.7,,,TIME,1\r\n", true},
        {"trailing CR left on the last value", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,1\r\r\n", true},
        {"blanks before values", u"$Ver, 1,IQ FileName,big.iqw,IQ Rate, 10000000,Center,\t50000000,Tracking,1,AGC, 0\r\n", true},
        {"no line end", kCanonical.substr(0, kCanonical.size() - 2), true},
        {"sample of exactly 1 MiB", u"$Ver,1,IQ FileName,exact.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", true},
        {"lowest rate and centre", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,1000,Center,100000,Tracking,1,AGC,0\r\n", true},
        {"highest rate and centre", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,70000000,Center,2700000000,Tracking,1,AGC,0\r\n", true},
        {"AGC 2", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,2\r\n", false},
        {"AGC -1", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,-1\r\n", false},
        {"rate below the range", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,999,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"rate above the range", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,70000001,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"rate beyond 32 bits", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,4294967297,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"rate not a number", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,fast,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"centre below the range", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,99999,Tracking,1,AGC,0\r\n", false},
        {"centre above the range", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,2700000001,Tracking,1,AGC,0\r\n", false},
        {"negative centre", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,-5,Tracking,1,AGC,0\r\n", false},
        {"negative centre, range from 0", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,-5,Tracking,1,AGC,0\r\n", true, from_zero},
        {"sample below 1 MiB", u"$Ver,1,IQ FileName,small.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample missing", u"$Ver,1,IQ FileName,gone.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample is a folder", u"$Ver,1,IQ FileName,folder.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample in a sub-folder", u"$Ver,1,IQ FileName,sub\\big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample with a slash", u"$Ver,1,IQ FileName,./big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample above the folder", u"$Ver,1,IQ FileName,..\\Record\\big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample named ..", u"$Ver,1,IQ FileName,..,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"sample on a drive", u"$Ver,1,IQ FileName,D:big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n", false},
        {"a key missing", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,AGC,0\r\n", false},
        {"a key twice instead of another", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,AGC,0,AGC,0\r\n", false},
        {"the last key without a value", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC\r\n", false},
        {"a key in another case", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,agc,0\r\n", false},
        {"a key with blanks around", u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1, AGC,0\r\n", false},
        {"header on line 2", u"\r\n" + kCanonical, false},
        {"empty file", u"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse(c.header, c.ranges), c.accepted) << c.what;
    }
}

TEST_F(ProjectHeaderTest, AcceptedHeaderFillsTheRecord) {
    ASSERT_TRUE(parse(u"$Ver,1,IQ FileName,big.iqw,IQ Rate,30000000,Center,2450000000,Tracking,1,AGC,1\r\n"));
    EXPECT_EQ(info_.Tag, 77U);
    EXPECT_EQ(file_info_name(info_.ProjectName), u"p.wpj");
    EXPECT_EQ(file_info_name(info_.SampleName), u"big.iqw");
    EXPECT_EQ(info_.SampleSize, kBigSize);
    EXPECT_EQ(info_.Version, 1);
    EXPECT_EQ(info_.IQRate, 30'000'000U);
    EXPECT_EQ(info_.Bandwidth, TM_FILE_BW_30MSPS);  // the rate read before Tracking...
    EXPECT_EQ(info_.CenterFreq, 2'450'000'000U);
    EXPECT_EQ(info_.Duration, 1U);
    EXPECT_EQ(info_.Kind, TM_FILE_KIND_PROJECT);
    EXPECT_EQ(info_.StartOffset, 0U);
    EXPECT_EQ(info_.AGC, 1);
    EXPECT_EQ(info_.Tracking, 1);
    EXPECT_EQ(info_.TimeStamp, 0U);
    EXPECT_EQ(file_info_name(info_.Note), u"");
}

TEST_F(ProjectHeaderTest, DefaultsStandForKeysNotGiven) {
    std::memset(&info_, 0xAB, sizeof info_);  // nothing of an earlier record may survive
    EXPECT_FALSE(parse(u"Tracking,3\r\n"));
    EXPECT_EQ(info_.Tag, 77U);
    EXPECT_EQ(file_info_name(info_.ProjectName), u"p.wpj");
    EXPECT_EQ(file_info_name(info_.SampleName), u"");
    EXPECT_EQ(info_.SampleSize, 0U);
    EXPECT_EQ(info_.Version, 1);
    EXPECT_EQ(info_.IQRate, 10'000'000U);
    EXPECT_EQ(info_.Bandwidth, TM_FILE_BW_10MSPS);  // ...and here from the default rate
    EXPECT_EQ(info_.CenterFreq, 50'000'000U);
    EXPECT_EQ(info_.Duration, 0U);
    EXPECT_EQ(info_.Kind, TM_FILE_KIND_PROJECT);
    EXPECT_EQ(info_.StartOffset, 0U);
    EXPECT_EQ(info_.AGC, 0);
    EXPECT_EQ(info_.Tracking, 3);
    EXPECT_EQ(info_.TimeStamp, 0U);
    EXPECT_EQ(file_info_name(info_.Note), u"");
    EXPECT_EQ(info_.Unused0[0], 0);

    EXPECT_FALSE(parse(u"$Ver,-4\r\n"));
    EXPECT_EQ(info_.Version, -4);
    EXPECT_EQ(info_.Bandwidth, TM_FILE_BW_OTHER);
}

TEST_F(ProjectHeaderTest, DurationIsRightOnlyWhenTheSampleComesBeforeTheRate) {
    struct Case {
        std::u16string header;
        std::uint32_t duration;
    };
    const Case cases[] = {
        {kCanonical, 3},
        {u"$Ver,1,IQ Rate,10000000,IQ FileName,big.iqw,Center,50000000,Tracking,1,AGC,0\r\n", 0},
        {u"$Ver,1,IQ FileName,big.iqw,IQ Rate,30000000,Center,50000000,Tracking,1,AGC,0\r\n", 1},
        {u"$Ver,1,IQ FileName,big.iqw,IQ Rate,1000,Center,50000000,Tracking,1,AGC,0\r\n", 30'000},
        // A refused rate leaves the default rate and no duration.
        {u"$Ver,1,IQ FileName,big.iqw,IQ Rate,999,Center,50000000,Tracking,1,AGC,0\r\n", 0},
    };
    for (const Case& c : cases) {
        (void)parse(c.header);
        EXPECT_EQ(info_.Duration, c.duration) << platform::to_utf8(c.header);
    }
}

TEST_F(ProjectHeaderTest, BandwidthFollowsTheRateKnownWhenTrackingIsRead) {
    struct Case {
        std::u16string header;
        std::int32_t bandwidth;
    };
    const Case cases[] = {
        {u"IQ FileName,big.iqw,IQ Rate,10000000,Tracking,1\r\n", TM_FILE_BW_10MSPS},
        {u"IQ FileName,big.iqw,IQ Rate,30000000,Tracking,1\r\n", TM_FILE_BW_30MSPS},
        {u"IQ FileName,big.iqw,IQ Rate,20000000,Tracking,1\r\n", TM_FILE_BW_OTHER},
        {u"Tracking,1,IQ FileName,big.iqw,IQ Rate,30000000\r\n", TM_FILE_BW_10MSPS},
        {u"IQ FileName,big.iqw,IQ Rate,30000000\r\n", TM_FILE_BW_OTHER},  // no Tracking: default
    };
    for (const Case& c : cases) {
        (void)parse(c.header);
        EXPECT_EQ(info_.Bandwidth, c.bandwidth) << platform::to_utf8(c.header);
    }
}

TEST_F(ProjectHeaderTest, RepeatedKeyCountsOnceAndItsLastAcceptedValueStays) {
    EXPECT_FALSE(parse(u"$Ver,1,$Ver,2,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,AGC,0\r\n"));
    EXPECT_EQ(info_.Version, 2);
    ASSERT_TRUE(parse(u"AGC,1,AGC,2,$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,50000000,Tracking,1\r\n"));
    EXPECT_EQ(info_.AGC, 1);
}

TEST_F(ProjectHeaderTest, NegativeCentreReadsAsZero) {
    HeaderRanges from_zero;
    from_zero.centre_min = 0;
    ASSERT_TRUE(parse(u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,-9999999999,Tracking,1,AGC,0\r\n",
                      from_zero));
    EXPECT_EQ(info_.CenterFreq, 0U);
    EXPECT_FALSE(parse(u"$Ver,1,IQ FileName,big.iqw,IQ Rate,10000000,Center,-1,Tracking,1,AGC,0\r\n"));
    EXPECT_EQ(info_.CenterFreq, 50'000'000U);  // refused: the default stays
}

TEST_F(ProjectHeaderTest, TimeStampComesFromASampleNameThatBeginsWithOne) {
    ASSERT_TRUE(parse(u"$Ver,1,IQ FileName,20170315_142501.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n"));
    std::tm fields{};
    fields.tm_year = 2017 - 1900;
    fields.tm_mon = 2;
    fields.tm_mday = 15;
    fields.tm_hour = 14;
    fields.tm_min = 25;
    fields.tm_sec = 1;
    // The wall-clock fields counted as UTC: no zone shift, whatever the machine's zone.
    const auto expected = static_cast<std::uint64_t>(::timegm(&fields) + 11'644'473'600LL) * 10'000'000ULL;
    EXPECT_EQ(info_.TimeStamp, expected);

    make_sample(u"Cap_20170315_142501.iqw", 1'048'576);
    ASSERT_TRUE(parse(u"$Ver,1,IQ FileName,Cap_20170315_142501.iqw,IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n"));
    EXPECT_EQ(info_.TimeStamp, 0U);
}

TEST_F(ProjectHeaderTest, NamesThatDoNotFitTheRecordAreRefused) {
    const std::u16string long_sample = std::u16string(96, u's') + u".iqw";  // 100 units
    make_sample(long_sample, kBigSize);
    EXPECT_FALSE(parse(u"$Ver,1,IQ FileName," + long_sample +
                       u",IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n"));
    const std::u16string fitting_sample = std::u16string(95, u's') + u".iqw";  // 99 units
    make_sample(fitting_sample, kBigSize);
    EXPECT_TRUE(parse(u"$Ver,1,IQ FileName," + fitting_sample +
                      u",IQ Rate,10000000,Center,50000000,Tracking,1,AGC,0\r\n"));

    const std::u16string long_project = std::u16string(96, u'p') + u".wpj";
    write_project(long_project, kCanonical);
    EXPECT_FALSE(parse_project_header(drives_, 1, record_path(long_project), {}, info_));
}

TEST_F(ProjectHeaderTest, ProjectFileThatCannotBeOpenedIsRefused) {
    EXPECT_FALSE(parse_project_header(drives_, 1, record_path(u"none.wpj"), {}, info_));
    EXPECT_FALSE(parse_project_header(drives_, 1, u"Q:\\TamrelData\\Record\\p.wpj", {}, info_));  // no drive Q
    EXPECT_FALSE(parse_project_header(drives_, 1, u"p.wpj", {}, info_));                          // no drive at all
}

TEST_F(ProjectHeaderTest, ProcessDrivesAreUsedWhenNoTableIsGiven) {
    // The process root is set once per process; a mapped letter leaves it alone.
    ASSERT_TRUE(platform::process_drives().map(u'W', root_ / "D"));
    write_project(u"p.wpj", kCanonical);
    const bool accepted = parse_project_header(5, u"W:\\TamrelData\\Record\\p.wpj", {}, info_);
    ASSERT_TRUE(platform::process_drives().unmap(u'W'));
    EXPECT_TRUE(accepted);
    EXPECT_EQ(info_.Duration, 3U);
}

}  // namespace
