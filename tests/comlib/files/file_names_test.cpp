// Names and folders of recording files, and the time stamp a name carries.

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "comlib/files/file_names.hpp"
#include "comlib/files/file_time.hpp"

namespace {

TEST(FileNames, SplitPathsAtTheLastSeparator) {
    struct Case {
        std::u16string_view path, name, title, folder;
    };
    const Case cases[] = {
        {u"D:\\TamrelData\\Record\\Cap_1.iqw", u"Cap_1.iqw", u"Cap_1", u"D:\\TamrelData\\Record\\"},
        {u"D:/TamrelData/Record/a.b.wpj", u"a.b.wpj", u"a.b", u"D:/TamrelData/Record/"},
        {u"D:\\v1.2\\noext", u"noext", u"noext", u"D:\\v1.2\\"},  // a dot in the folder only
        {u"plain.iqw", u"plain.iqw", u"plain", u""},
        {u"D:\\Record\\", u"", u"", u"D:\\Record\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        EXPECT_EQ(file_name(c.path), c.name);
        EXPECT_EQ(file_title(c.path), c.title);
        EXPECT_EQ(file_folder(c.path), c.folder);
    }
    EXPECT_EQ(replace_file_name(u"D:\\TamrelData\\Record\\p.wpj", u"s.iqw"), u"D:\\TamrelData\\Record\\s.iqw");
    EXPECT_EQ(replace_file_name(u"p.wpj", u"s.iqw"), u"s.iqw");
}

TEST(FileNames, ProjectAndSamplePathsDifferInTheExtension) {
    EXPECT_EQ(project_path_of(u"D:\\TamrelData\\Record\\Cap_20170315_142501.iqw"),
              u"D:\\TamrelData\\Record\\Cap_20170315_142501.wpj");
    EXPECT_EQ(sample_path_of(u"E:\\x\\bbr_event_0003.wpj"), u"E:\\x\\bbr_event_0003.iqw");
}

TEST(FileNames, RingAndEventNames) {
    EXPECT_EQ(black_box_file_name(kBlackBoxRecordBase, 7, kSampleExtension), u"bbr_record_0007.iqw");
    EXPECT_EQ(black_box_file_name(kBlackBoxEventBase, 12345, kProjectExtension), u"bbr_event_12345.wpj");
    platform::LocalTime t;
    t.year = 2017;
    t.month = 3;
    t.day = 5;
    t.hour = 4;
    t.minute = 2;
    t.second = 1;
    EXPECT_EQ(event_record_file_name(t, kSampleExtension), u"20170305_040201.iqw");
}

// The FILETIME of wall-clock fields counted as UTC, computed by the C library.
std::uint64_t expected_file_time(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    const std::int64_t unix_seconds = ::timegm(&fields);
    return static_cast<std::uint64_t>(unix_seconds + 11'644'473'600LL) * 10'000'000ULL;
}

TEST(FileTime, NameBeginningWithATimeGivesThatWallClockTime) {
    struct Case {
        std::u16string_view name;
        std::uint64_t stamp;
    };
    const Case cases[] = {
        {u"20170315_142501.iqw", expected_file_time(2017, 3, 15, 14, 25, 1)},
        {u"20000229_235959.wpj", expected_file_time(2000, 2, 29, 23, 59, 59)},
        {u"19700101_000000", expected_file_time(1970, 1, 1, 0, 0, 0)},
        {u"16010101_000000.iqw", 0},  // the FILETIME epoch: 0, like no time at all
        {u"Cap_20170315_142501.iqw", 0},
        {u"20170315-142501.iqw", 0},  // the separator must be '_'
        {u"20170315_1425.iqw", 0},    // a field missing
        {u"20171315_142501.iqw", 0},  // month 13
        {u"20170230_142501.iqw", 0},  // 30 February
        {u"19000229_120000.iqw", 0},  // not a leap year
        {u"20170315_246000.iqw", 0},  // hour 24
        {u"15991231_235959.iqw", 0},  // before 1601
        {u"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(name_time_stamp(c.name), c.stamp) << std::string(c.name.begin(), c.name.end());
    }
}

TEST(FileTime, FieldsOutsideTheCalendarGiveNoTime) {
    platform::LocalTime t;
    t.year = 30827;
    t.month = 12;
    t.day = 31;
    t.hour = 23;
    t.minute = 59;
    t.second = 59;
    t.millisecond = 999;
    ASSERT_TRUE(file_time_from_local(t).has_value());  // the last time a FILETIME calendar holds
    EXPECT_EQ(*file_time_from_local(t) % 10'000'000ULL, 9'990'000ULL);
    t.year = 30828;
    EXPECT_FALSE(file_time_from_local(t).has_value());
    t.year = 2017;
    t.millisecond = 1000;
    EXPECT_FALSE(file_time_from_local(t).has_value());
}

}  // namespace
