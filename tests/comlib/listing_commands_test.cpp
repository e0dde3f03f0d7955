// "folderlist" and "filelist": the drives, the sub-folders of a folder and the recordings of a
// folder, sent to the host as list transfers of 524-byte folder records and 664-byte file
// records, checked byte by byte at their wire offsets.

#include <chrono>
#include <ctime>

#include "play_files_fixture.hpp"

namespace {

using tamrel::api::DeviceKind;
using namespace std::chrono_literals;

constexpr std::size_t kFolderRecordBytes = 524;
constexpr std::size_t kFileRecordBytes = 664;
constexpr std::size_t kNameUnits = 100;

// `text` as UTF-16LE units at `offset` of `bytes`, the rest of a field of `units` units NUL.
void put_name(std::vector<std::uint8_t>& bytes, std::size_t offset, std::u16string_view text, std::size_t units) {
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = i < text.size() ? text[i] : u'\0';
        bytes[offset + 2 * i] = static_cast<std::uint8_t>(unit & 0xFFU);
        bytes[offset + 2 * i + 1] = static_cast<std::uint8_t>(unit >> 8U);
    }
}

std::vector<std::uint8_t> folder_record(std::uint32_t tag, std::u16string_view name) {
    std::vector<std::uint8_t> bytes(kFolderRecordBytes, 0);
    std::memcpy(bytes.data(), &tag, 4);
    put_name(bytes, 4, name, 260);
    return bytes;
}

// A local calendar time as a FILETIME: 100 ns units since 1601-01-01 of that calendar.
std::uint64_t file_time(int year, unsigned month, unsigned day, int hour, int minute, int second, int ms = 0) {
    using namespace std::chrono;
    const auto days = sys_days{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}} -
                      sys_days{std::chrono::year{1601} / January / 1};
    const auto since = duration_cast<milliseconds>(days) + hours{hour} + minutes{minute} + seconds{second} +
                       milliseconds{ms};
    return static_cast<std::uint64_t>(since.count()) * 10'000U;
}

// The last-write time of a file as the local calendar time, to the millisecond, as a FILETIME.
std::uint64_t local_write_time(const std::string& path) {
    using namespace std::chrono;
    const auto written = time_point_cast<system_clock::duration>(file_clock::to_sys(std::filesystem::last_write_time(path)));
    const auto whole = floor<seconds>(written);
    const std::time_t t = system_clock::to_time_t(whole);
    std::tm parts{};
    EXPECT_NE(localtime_r(&t, &parts), nullptr);
    return file_time(parts.tm_year + 1900, static_cast<unsigned>(parts.tm_mon + 1), static_cast<unsigned>(parts.tm_mday),
                     parts.tm_hour, parts.tm_min, parts.tm_sec,
                     static_cast<int>(duration_cast<milliseconds>(written - whole).count()));
}

class ListingTest : public PlayFilesTest {
protected:
    void SetUp() override {
        PlayFilesTest::SetUp();
        open_connected(DeviceKind::first_generation);
    }

    // The records of the list transfer (cmd, 133 ... 134 ... 136) among `sent`; fails the test
    // when the transfer is not whole and in order.
    static std::vector<std::vector<std::uint8_t>> transfer_items(const std::vector<ReceivedPacket>& sent,
                                                                 std::uint32_t cmd) {
        std::vector<std::vector<std::uint8_t>> items;
        const std::size_t begin = index_of(sent, cmd, TM_RW_LIST_BEGIN);
        const std::size_t end = index_of(sent, cmd, TM_RW_LIST_END);
        EXPECT_NE(begin, npos) << "no list start";
        EXPECT_NE(end, npos) << "no list end";
        if (begin == npos || end == npos) return items;
        EXPECT_LT(begin, end);
        EXPECT_EQ(only(sent, cmd, TM_RW_LIST_BEGIN).size(), 1U);
        EXPECT_EQ(only(sent, cmd, TM_RW_LIST_END).size(), 1U);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (sent[i].cmd != cmd || sent[i].rw != TM_RW_LIST_ITEM) continue;
            EXPECT_TRUE(i > begin && i < end) << "a record outside the transfer";
            items.push_back(sent[i].payload);
        }
        return items;
    }
};

// ---- folderlist ------------------------------------------------------------------------------

struct FolderCase {
    const char* name;
    const char16_t* line;
    std::uint32_t tag;
    std::vector<std::u16string> folders;  // the names listed, in order
};
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class FolderListTest : public ListingTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderListTest, SendsOneRecordPerFolderBetweenStartAndEnd) {
    // D:\TamrelData\Listing holds the folders Beta, Alpha and .hidden and two files.
    const std::filesystem::path listing = root_ / "D" / "TamrelData" / "Listing";
    for (const char* folder : {"Beta", "Alpha", ".hidden"}) std::filesystem::create_directories(listing / folder);
    for (const char* file : {"x.wpj", "notes.txt"}) {
        auto created = platform::File::open((listing / file).string(), platform::FileMode::write);
        ASSERT_TRUE(created.ok());
        ASSERT_TRUE(created->close());
    }
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(GetParam().line);

    std::vector<std::vector<std::uint8_t>> expected;
    for (const std::u16string& folder : GetParam().folders) expected.push_back(folder_record(GetParam().tag, folder));
    const auto items = transfer_items(sent, TM_CMD_FOLDERLIST);
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_TRUE(items[i] == expected[i]) << "record " << i << " is not {" << GetParam().tag << ", "
                                             << platform::to_utf8(GetParam().folders[i]) << "} byte for byte";
    }
    EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"folderlist:Ok"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, FolderListTest,
    ::testing::Values(FolderCase{"Drives", u"folderlist -65536 X", 0xFFFF'0000U, {u"D:\\", u"E:\\"}},
                      FolderCase{"SubFolders", u"folderlist 7 D:\\TamrelData\\Listing", 7, {u"Alpha", u"Beta"}},
                      FolderCase{"TrailingBackslash", u"folderlist 12 D:\\TamrelData\\Listing\\", 12, {u"Alpha", u"Beta"}},
                      FolderCase{"ARecordingFolder", u"folderlist 1 D:\\TamrelData", 1, {u"Listing", u"Record"}},
                      FolderCase{"MissingFolder", u"folderlist 3 D:\\Nowhere", 3, {}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

struct UsageCase {
    const char* name;
    const char16_t* line;
    std::uint32_t cmd;
    const char16_t* usage;
};
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class ListingUsageTest : public ListingTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(ListingUsageTest, WithoutAPathOnlyTheUsageLine) {
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(GetParam().line);
    EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{GetParam().usage});
    for (const ReceivedPacket& p : sent) EXPECT_NE(p.cmd, GetParam().cmd) << "kind " << p.rw;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListingUsageTest,
    ::testing::Values(UsageCase{"FolderList", u"folderlist 5", TM_CMD_FOLDERLIST, u"Usage(read) : folderlist Parent"},
                      UsageCase{"FolderListAlone", u"folderlist", TM_CMD_FOLDERLIST, u"Usage(read) : folderlist Parent"},
                      UsageCase{"FileList", u"filelist 5", TM_CMD_FILELIST, u"Usage(read) : filelist Parent"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- filelist --------------------------------------------------------------------------------

struct ExpectedRecord {
    std::u16string project, sample;
    std::uint64_t size;
    std::uint32_t rate;
    std::int32_t bandwidth;
    std::uint32_t centre, duration;
    std::int32_t kind, agc;
    std::uint64_t time_stamp;  // 0: the listed file's last-write time
};

TEST_F(ListingTest, FilelistSendsOneRecordPerRecordingAtTheWireOffsets) {
    // A recording whose name carries its time, one without, a black-box set of two members, and
    // files that are no recording: a header naming a missing sample file, an extension in
    // capitals, a text file and the sample files themselves.
    RecordingPlan timed;
    timed.title = u"20170315_142501";
    timed.seconds = seconds_of(2, [](unsigned s) { return RecordedSecond{1.0F, -30.0 - s, {}}; });
    write_recording(timed);
    RecordingPlan plain;
    plain.title = u"rec_b";
    plain.iq_rate = 30'000'000;
    plain.centre_hz = 100'000'000;
    plain.agc = 1;
    plain.seconds = seconds_of(1, [](unsigned) { return RecordedSecond{2.0F, -25.0, {}}; });
    write_recording(plain);
    std::vector<std::u16string> members;
    for (unsigned m = 0; m < 2; ++m) {
        RecordingPlan member;
        member.title = platform::format(u"bbr_record_%04u", m);
        member.seconds = seconds_of(m + 1, [](unsigned) { return RecordedSecond{0.5F, -35.0, {}}; });
        write_recording(member);
        members.push_back(member.title);
    }
    write_black_box_set(u"bbr_event_0000.bbr", members);
    write_text(u"missing.wpj", header_line(u"missing.iqw", 10'000'000, false, 50'000'000, 0));
    RecordingPlan upper = timed;
    upper.title = u"UPPER";
    write_recording(upper);
    std::filesystem::rename(record_file(u"UPPER.wpj"), record_file(u"UPPER.WPJ"));
    write_text(u"notes.txt", u"notes\r\n");

    constexpr std::uint64_t k10 = 40'000'000, k30 = 120'000'000;  // bytes per second
    const std::vector<ExpectedRecord> expected = {
        {u"20170315_142501.wpj", u"20170315_142501.iqw", 2 * k10, 10'000'000, 0, 50'000'000, 2, 0, 0,
         file_time(2017, 3, 15, 14, 25, 1)},
        {u"bbr_event_0000.bbr", u"bbr_event_0000.bbr", 3 * k10, 10'000'000, 0, 50'000'000, 3, 1, 0, 0},
        {u"bbr_record_0000.wpj", u"bbr_record_0000.iqw", k10, 10'000'000, 0, 50'000'000, 1, 0, 0, 0},
        {u"bbr_record_0001.wpj", u"bbr_record_0001.iqw", 2 * k10, 10'000'000, 0, 50'000'000, 2, 0, 0, 0},
        {u"rec_b.wpj", u"rec_b.iqw", k30, 30'000'000, 1, 100'000'000, 1, 0, 1, 0},
    };
    constexpr std::uint32_t kTag = 0x1234'5678;
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(u"filelist 305419896 " + record_path(u""));
    const auto items = transfer_items(sent, TM_CMD_FILELIST);
    EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"filelist:Ok"});

    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::vector<std::uint8_t>& r = items[i];
        const ExpectedRecord& e = expected[i];
        SCOPED_TRACE(platform::to_utf8(e.project));
        ASSERT_EQ(r.size(), kFileRecordBytes);
        std::vector<std::uint8_t> names(kFileRecordBytes, 0);
        put_name(names, 4, e.project, kNameUnits);
        put_name(names, 204, e.sample, kNameUnits);
        EXPECT_TRUE(std::equal(r.begin() + 4, r.begin() + 404, names.begin() + 4)) << "name fields";
        EXPECT_EQ(value_at<std::uint32_t>(r, 0), kTag);
        EXPECT_EQ(value_at<std::uint64_t>(r, 408), e.size);
        EXPECT_EQ(value_at<std::int32_t>(r, 416), 1);
        EXPECT_EQ(value_at<std::uint32_t>(r, 420), e.rate);
        EXPECT_EQ(value_at<std::int32_t>(r, 424), e.bandwidth);
        EXPECT_EQ(value_at<std::uint32_t>(r, 428), e.centre);
        EXPECT_EQ(value_at<std::uint32_t>(r, 432), e.duration);
        EXPECT_EQ(value_at<std::int32_t>(r, 436), e.kind);
        EXPECT_EQ(value_at<std::uint64_t>(r, 440), 0U);
        EXPECT_EQ(value_at<std::int32_t>(r, 448), e.agc);
        EXPECT_EQ(value_at<std::int32_t>(r, 452), 1);
        const std::uint64_t stamp = e.time_stamp != 0 ? e.time_stamp : local_write_time(record_file(e.project));
        EXPECT_EQ(value_at<std::uint64_t>(r, 456), stamp);
        EXPECT_TRUE(std::all_of(r.begin() + 464, r.end(), [](std::uint8_t b) { return b == 0; })) << "note not empty";
    }
}

TEST_F(ListingTest, FilelistOfAMissingFolderIsAnEmptyTransfer) {
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(u"filelist 1 D:\\Nowhere");
    EXPECT_TRUE(transfer_items(sent, TM_CMD_FILELIST).empty());
    EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"filelist:Ok"});
}

}  // namespace
