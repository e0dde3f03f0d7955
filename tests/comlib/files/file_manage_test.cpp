// The file catalogue: drive, folder and file listings as the listing replies carry them, the
// play lists of the sets it opens, and its path and disk operations.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "comlib/files/file_keys.hpp"
#include "comlib/files/file_manage.hpp"
#include "platform/text/utf.hpp"
#include "recording_folder_fixture.hpp"
#include "wire_bytes.hpp"

namespace {

// The time zone of the process for one test, restored afterwards. A zone away from UTC shows
// that a listing converts last-write times to local time.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> old_;
};

// 2017-03-15 14:25:01.250 UTC.
constexpr std::time_t kWriteSeconds = 1'489'587'901;
constexpr long kWriteNanoseconds = 250'000'000;
constexpr std::uint64_t kFileTimeOfUnixEpoch = 11'644'473'600ULL * 10'000'000ULL;

class FileManageTest : public RecordingFolderTest {
protected:
    static constexpr std::u16string_view kFolder = u"D:\\TamrelData\\Record";

    void set_write_time(std::u16string_view name) const {
        const struct timespec times[2] = {{kWriteSeconds, kWriteNanoseconds}, {kWriteSeconds, kWriteNanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, posix_path(name).c_str(), times, 0), 0);
    }

    std::vector<std::u16string> listed_names() const {
        std::vector<std::u16string> names;
        for (const _TmFileInfo_t& record : catalogue_.file_list())
            names.emplace_back(file_info_name(record.ProjectName));
        return names;
    }

    CTmFileManage catalogue_{drives_};
};

TEST_F(FileManageTest, ConstructionHoldsTheKeyTablesTheStorageNumberAndTheDefaultRanges) {
    EXPECT_EQ(catalogue_.project_key_table().data(), project_file_keys().data());
    EXPECT_EQ(catalogue_.event_key_table().data(), black_box_event_keys().data());
    EXPECT_EQ(catalogue_.file_list_key_table().data(), black_box_list_keys().data());
    EXPECT_EQ(catalogue_.event_recorder_key_table().data(), event_recorder_keys().data());
    EXPECT_EQ(catalogue_.storage_number(), 4U);
    EXPECT_EQ(catalogue_.storage_text(), u"");
    catalogue_.set_storage_number(1);
    catalogue_.set_storage_text(u"External");
    EXPECT_EQ(catalogue_.storage_number(), 1U);
    EXPECT_EQ(catalogue_.storage_text(), u"External");

    const HeaderRanges ranges = catalogue_.ranges();
    EXPECT_EQ(ranges.iq_rate_min, 1'000U);
    EXPECT_EQ(ranges.iq_rate_max, 70'000'000U);
    EXPECT_EQ(ranges.centre_min, 100'000U);
    EXPECT_EQ(ranges.centre_max, 2'700'000'000U);
    EXPECT_TRUE(catalogue_.drive_list().empty());
    EXPECT_TRUE(catalogue_.folder_list().empty());
    EXPECT_TRUE(catalogue_.file_list().empty());
    EXPECT_TRUE(catalogue_.black_box_file_list().empty());
    EXPECT_TRUE(catalogue_.event_play_list().empty());
}

TEST_F(FileManageTest, HeadersAreCheckedAgainstTheRangesSet) {
    make_recording(u"r", 1'048'576, 20'000'000);
    _TmFileInfo_t info{};
    EXPECT_TRUE(catalogue_.parse_project_header(1, record_path(u"r.wpj"), info));
    HeaderRanges narrow;
    narrow.iq_rate_max = 10'000'000;
    catalogue_.set_ranges(narrow);
    EXPECT_FALSE(catalogue_.parse_project_header(1, record_path(u"r.wpj"), info));
    EXPECT_EQ(catalogue_.ranges().iq_rate_max, 10'000'000U);
}

TEST_F(FileManageTest, DriveListHoldsThePresentDrivesAscending) {
    for (const char* letter : {"F", "A", "C"}) fs_test::make_folder(root_ / letter);
    EXPECT_EQ(catalogue_.refresh_drive_list(), 1U);
    EXPECT_EQ(catalogue_.drive_list(), (std::vector<std::uint32_t>{0, 2, 3, 5}));
    // A second refresh replaces the list.
    EXPECT_EQ(catalogue_.refresh_drive_list(), 1U);
    EXPECT_EQ(catalogue_.drive_list().size(), 4U);
}

TEST_F(FileManageTest, FolderListingShowsVisibleSubFoldersOnly) {
    fs_test::make_folder(posix_path(u"A"));
    fs_test::make_folder(posix_path(u".B"));
    write_project(u"x.wpj", u"");
    for (const std::u16string& path : {std::u16string(kFolder), std::u16string(kFolder) + u"\\"}) {
        ASSERT_EQ(catalogue_.list_folders(0x0102, path), 0U) << platform::to_utf8(path);
        ASSERT_EQ(catalogue_.folder_list().size(), 1U);
        WireBytes<524> expected;
        expected.put_u32(0, 0x0102);
        expected.put_text(4, u"A");
        EXPECT_TRUE(same_bytes(expected, catalogue_.folder_list()[0]));
    }
}

TEST_F(FileManageTest, ListingAPathThatCannotBeSearchedGivesOneAndAnEmptyList) {
    fs_test::make_folder(posix_path(u"A"));
    make_recording(u"r", 1'048'576);
    ASSERT_EQ(catalogue_.list_folders(1, kFolder), 0U);
    ASSERT_EQ(catalogue_.list_files(1, kFolder), 0U);
    ASSERT_FALSE(catalogue_.folder_list().empty());
    ASSERT_FALSE(catalogue_.file_list().empty());
    for (const std::u16string_view path : {u"D:\\TamrelData\\Missing", u"Q:\\TamrelData", u"Record"}) {
        EXPECT_EQ(catalogue_.list_folders(1, path), 1U) << platform::to_utf8(path);
        EXPECT_TRUE(catalogue_.folder_list().empty());
        EXPECT_EQ(catalogue_.list_files(1, path), 1U) << platform::to_utf8(path);
        EXPECT_TRUE(catalogue_.file_list().empty());
    }
}

TEST_F(FileManageTest, RecordingIsListedWithItsLastWriteTimeInLocalTime) {
    const ScopedTimeZone zone("<+0530>-5:30");  // local = UTC + 5 h 30
    make_recording(u"Cap_20170315_142501", 80'000'000, 30'000'000, 2'450'000'000U, 1);
    write_project(u"notes.txt", u"not a recording\r\n");
    set_write_time(u"Cap_20170315_142501.wpj");
    ASSERT_EQ(catalogue_.list_files(0x55, kFolder), 0U);
    ASSERT_EQ(catalogue_.file_list().size(), 1U);

    WireBytes<664> expected;
    expected.put_u32(0, 0x55);
    expected.put_text(4, u"Cap_20170315_142501.wpj");
    expected.put_text(204, u"Cap_20170315_142501.iqw");
    expected.put_u64(408, 80'000'000);
    expected.put_i32(416, 1);
    expected.put_u32(420, 30'000'000);
    expected.put_i32(424, 1);             // 30 MS/s
    expected.put_u32(428, 2'450'000'000U);
    expected.put_u32(432, 0);             // 80,000,000 / 120,000,000 bytes per second
    expected.put_i32(436, 0);             // project file
    expected.put_u64(440, 0);
    expected.put_i32(448, 1);
    expected.put_i32(452, 1);
    const std::uint64_t local_seconds = kWriteSeconds + 5 * 3600 + 30 * 60;
    expected.put_u64(456, kFileTimeOfUnixEpoch + local_seconds * 10'000'000ULL + 250 * 10'000ULL);
    EXPECT_TRUE(same_bytes(expected, catalogue_.file_list()[0]));
}

TEST_F(FileManageTest, TimeStampOfTheNameIsKeptOverTheWriteTime) {
    make_recording(u"20170315_142501", 1'048'576);
    set_write_time(u"20170315_142501.wpj");
    ASSERT_EQ(catalogue_.list_files(1, kFolder), 0U);
    ASSERT_EQ(catalogue_.file_list().size(), 1U);
    std::tm fields{};
    fields.tm_year = 117;
    fields.tm_mon = 2;
    fields.tm_mday = 15;
    fields.tm_hour = 14;
    fields.tm_min = 25;
    fields.tm_sec = 1;
    EXPECT_EQ(catalogue_.file_list()[0].TimeStamp,
              kFileTimeOfUnixEpoch + static_cast<std::uint64_t>(::timegm(&fields)) * 10'000'000ULL);
}

TEST_F(FileManageTest, OnlyReadableFilesWithAnExactExtensionAreListed) {
    make_recording(u"rec", 1'048'576);
    // The same header under names whose extension is not exactly "wpj".
    for (const std::u16string_view name : {u"REC.WPJ", u"rec.Wpj", u"rec.wpj.bak", u"recwpj"})
        write_project(name, project_header_line(u"rec.iqw", 10'000'000, true, 50'000'000, 0));
    write_project(u"lost.wpj", project_header_line(u"gone.iqw", 10'000'000, true, 50'000'000, 0));
    fs_test::make_folder(posix_path(u"folder.wpj"));
    ASSERT_EQ(catalogue_.list_files(1, kFolder), 0U);
    EXPECT_EQ(listed_names(), std::vector<std::u16string>{u"rec.wpj"});
}

TEST_F(FileManageTest, SetsAreListedAsSets) {
    make_recording(u"bbr_record_0000", 80'000'000);
    make_recording(u"bbr_record_0001", 40'000'000);
    write_project(u"bbr_event_0000.bbr",
                  u"$Ver,1,Total,2,Event,bbr_record_0000.wpj,Position,0,Mask,TRIGGER,,,,\r\n"
                  u"$File,bbr_record_0000.wpj,\r\n$File,bbr_record_0001.wpj,\r\n");
    write_project(u"bbr_event_0001.bbr", u"$Ver,1,Total,5,Event,e,Position,0,Mask,TRIGGER,,,,\r\n"
                                         u"$File,bbr_record_0000.wpj,\r\n");
    make_recording(u"20170315_142501", 40'000'000);
    write_project(u"20170315_142530.wev", u"$Ver,1,Total,1,Storm,\r\n$File,20170315_142501.wpj,\r\n");
    set_write_time(u"bbr_event_0000.bbr");

    ASSERT_EQ(catalogue_.list_files(3, kFolder), 0U);
    EXPECT_EQ(listed_names(), (std::vector<std::u16string>{u"20170315_142501.wpj", u"Storm",
                                                           u"bbr_event_0000.bbr", u"bbr_record_0000.wpj",
                                                           u"bbr_record_0001.wpj"}));
    const std::vector<_TmFileInfo_t>& list = catalogue_.file_list();
    ASSERT_EQ(list.size(), 5U);
    EXPECT_EQ(list[1].Kind, TM_FILE_KIND_EVENT);
    EXPECT_EQ(list[1].Duration, 1U);
    EXPECT_EQ(list[2].Kind, TM_FILE_KIND_BLACK_BOX);
    EXPECT_EQ(list[2].Duration, 3U);
    EXPECT_EQ(list[2].SampleSize, 120'000'000U);
    EXPECT_EQ(file_info_name(list[2].SampleName), u"bbr_event_0000.bbr");
    // No time in the members' names: the event file's own last-write time stands in.
    std::tm local{};
    ASSERT_NE(::localtime_r(&kWriteSeconds, &local), nullptr);
    const auto local_seconds = static_cast<std::uint64_t>(::timegm(&local));
    EXPECT_EQ(list[2].TimeStamp, kFileTimeOfUnixEpoch + local_seconds * 10'000'000ULL + 250 * 10'000ULL);
    // Listing reads sets without touching the play lists.
    EXPECT_TRUE(catalogue_.black_box_file_list().empty());
    EXPECT_TRUE(catalogue_.event_play_list().empty());
}

TEST_F(FileManageTest, PlayListsChangeOnlyWhenAReadWithRebuildSucceeds) {
    make_recording(u"bbr_record_0000", 80'000'000);
    make_recording(u"bbr_record_0001", 40'000'000);
    write_project(u"two.bbr", u"$Ver,1,Total,2,Event,e,Position,0,Mask,ATSC\r\n"
                              u"$File,bbr_record_0000.wpj\r\n$File,bbr_record_0001.wpj\r\n");
    write_project(u"one.bbr", u"$Ver,1,Total,1,Event,e,Position,0,Mask,ATSC\r\n$File,bbr_record_0001.wpj\r\n");
    write_project(u"bad.bbr", u"$Ver,1,Total,3,Event,e,Position,0,Mask,ATSC\r\n$File,bbr_record_0001.wpj\r\n");
    _TmFileInfo_t info{};

    ASSERT_TRUE(catalogue_.read_black_box_set(1, record_path(u"two.bbr"), info, true));
    ASSERT_EQ(catalogue_.black_box_file_list().size(), 2U);
    const std::vector<TmPlayListEntry> opened = catalogue_.black_box_file_list();

    const _TmFileInfo_t before = info;
    EXPECT_FALSE(catalogue_.read_black_box_set(1, record_path(u"bad.bbr"), info, true));
    EXPECT_EQ(catalogue_.black_box_file_list(), opened);
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);

    EXPECT_TRUE(catalogue_.read_black_box_set(1, record_path(u"one.bbr"), info, false));
    EXPECT_EQ(catalogue_.black_box_file_list(), opened);
    EXPECT_TRUE(catalogue_.event_play_list().empty());

    make_recording(u"20170315_142501", 40'000'000);
    write_project(u"e.wev", u"$Ver,1,Total,1,Storm,\r\n$File,20170315_142501.wpj,\r\n");
    ASSERT_TRUE(catalogue_.read_event_set(1, record_path(u"e.wev"), info, true));
    ASSERT_EQ(catalogue_.event_play_list().size(), 1U);
    EXPECT_EQ(catalogue_.event_play_list()[0].sample_path, record_path(u"20170315_142501.iqw"));
    EXPECT_EQ(catalogue_.black_box_file_list(), opened);
}

TEST_F(FileManageTest, DriveSizesAreWholeGigabytes) {
    constexpr std::uint64_t kGiB = 1ULL << 30;
    fs_test::write_bytes(root_ / "D/.capacity",
                         std::to_string(500 * kGiB + kGiB - 1) + " " + std::to_string(12 * kGiB - 1) + "\n");
    int total = -1, free = -1, used = -1;
    ASSERT_TRUE(catalogue_.drive_sizes(u"D:\\", total, free, used));
    EXPECT_EQ(total, 500);
    EXPECT_EQ(free, 11);
    EXPECT_EQ(used, 489);

    for (const std::u16string_view root : {u"Q:\\", u"", u"\\"}) {
        total = free = used = -1;
        EXPECT_FALSE(catalogue_.drive_sizes(root, total, free, used)) << platform::to_utf8(root);
        EXPECT_EQ(total, 0);
        EXPECT_EQ(free, 0);
        EXPECT_EQ(used, 0);
    }
}

TEST_F(FileManageTest, DeleteRemovesFilesFoldersAndPatternMatches) {
    make_recording(u"bbr_record_0000", 1'048'576);
    make_recording(u"bbr_record_0001", 1'048'576);
    write_project(u"bbr_event_0000.bbr", u"");
    make_recording(u"keep", 1'048'576);
    fs_test::make_folder(posix_path(u"old/inner"));
    write_project(u"old/inner/x.wpj", u"");

    EXPECT_TRUE(catalogue_.delete_path(record_path(u"bbr_record_*.*")));
    for (const std::u16string_view name : {u"bbr_record_0000.iqw", u"bbr_record_0000.wpj", u"bbr_record_0001.iqw",
                                           u"bbr_record_0001.wpj"})
        EXPECT_FALSE(catalogue_.file_exists(record_path(name))) << platform::to_utf8(name);
    EXPECT_TRUE(catalogue_.file_exists(record_path(u"bbr_event_0000.bbr")));
    EXPECT_FALSE(catalogue_.delete_path(record_path(u"bbr_record_*.*")));  // nothing left to match

    EXPECT_TRUE(catalogue_.delete_path(record_path(u"keep.iqw")));
    EXPECT_FALSE(catalogue_.file_exists(record_path(u"keep.iqw")));
    EXPECT_TRUE(catalogue_.file_exists(record_path(u"keep.wpj")));
    EXPECT_FALSE(catalogue_.delete_path(record_path(u"keep.iqw")));

    EXPECT_TRUE(catalogue_.delete_path(record_path(u"old")));
    EXPECT_FALSE(catalogue_.file_exists(record_path(u"old")));

    EXPECT_FALSE(catalogue_.delete_path(u"D:\\Tamrel*\\Record\\keep.wpj"));  // a pattern only in the last name
    EXPECT_FALSE(catalogue_.delete_path(u"D:\\"));
    EXPECT_TRUE(catalogue_.file_exists(record_path(u"keep.wpj")));
}

TEST_F(FileManageTest, FileExistsForFilesAndFolders) {
    make_sample(u"s.iqw", 4);
    EXPECT_TRUE(catalogue_.file_exists(record_path(u"s.iqw")));
    EXPECT_TRUE(catalogue_.file_exists(kFolder));
    EXPECT_FALSE(catalogue_.file_exists(record_path(u"t.iqw")));
    EXPECT_FALSE(catalogue_.file_exists(u"Q:\\s.iqw"));
    EXPECT_FALSE(catalogue_.file_exists(u"s.iqw"));
}

TEST_F(FileManageTest, RecordingFolderPaths) {
    struct Case {
        std::uint32_t drive;
        std::u16string_view name;
        std::u16string_view prefix;
        std::u16string_view path;
    };
    const Case cases[] = {
        {3, u"x.wpj", u"", u"D:\\TamrelData\\Record\\x.wpj"},
        {3, u"", u"", u"D:\\TamrelData\\Record\\"},
        {4, u"x.wpj", u"copy-", u"E:\\TamrelData\\Record\\copy-x.wpj"},
        {4, u"", u"copy-", u"E:\\TamrelData\\Record\\"},
        {0, u"a", u"", u"A:\\TamrelData\\Record\\a"},
        {25, u"a", u"", u"Z:\\TamrelData\\Record\\a"},
        {26, u"a", u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(catalogue_.recording_folder_path(c.drive, c.name, c.prefix), c.path)
            << c.drive << " " << platform::to_utf8(c.name);
    }
}

TEST_F(FileManageTest, CapturePathIsAFreshNameInTheRecordingFolder) {
    const std::u16string path = catalogue_.capture_path(3);
    const std::u16string folder = u"D:\\TamrelData\\Record\\Cap_";
    ASSERT_GT(path.size(), folder.size());
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.substr(path.size() - 4), u".iqw");
    EXPECT_EQ(catalogue_.capture_path(26), u"");
}

TEST(FileManageInstance, ProcessCatalogueIsOneObject) {
    EXPECT_EQ(&tm_file_manage(), &tm_file_manage());
    EXPECT_EQ(tm_file_manage().storage_number(), CTmFileManage::kInitialStorageNumber);
}

}  // namespace
