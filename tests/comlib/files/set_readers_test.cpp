// Reading recording sets: black-box event files and event recorder files, what their
// description and play list hold, and which files are refused without touching the caller's
// earlier description and list.

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "comlib/files/file_info.hpp"
#include "comlib/files/set_readers.hpp"
#include "platform/text/utf.hpp"
#include "recording_folder_fixture.hpp"
#include "wire_bytes.hpp"

namespace {

// At 10 MS/s a second is 40,000,000 bytes: 2 s, 3 s and 1 s (the last not a whole second).
constexpr std::uint64_t kSize0 = 80'000'000;
constexpr std::uint64_t kSize1 = 120'000'000;
constexpr std::uint64_t kSize2 = 41'943'040;
constexpr std::uint64_t kSetSize = kSize0 + kSize1 + kSize2;

// The FILETIME of a wall-clock time, the fields counted as UTC (no zone shift).
std::uint64_t wall_clock_file_time(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return static_cast<std::uint64_t>(::timegm(&fields) + 11'644'473'600LL) * 10'000'000ULL;
}

// What a set read must leave alone when it fails.
const TmPlayListEntry kEarlierEntry{u"D:\\earlier.wpj", u"D:\\earlier.iqw", 7, 8, 9};

class SetReadersTest : public RecordingFolderTest {
protected:
    void SetUp() override {
        RecordingFolderTest::SetUp();
        make_recording(u"bbr_record_0000", kSize0);
        make_recording(u"bbr_record_0001", kSize1);
        make_recording(u"bbr_record_0002", kSize2);
        make_recording(u"bbr_record_0003", kSize0, 10'000'000, 50'000'000, 2);  // AGC 2: refused
        make_recording(u"20170315_142501", kSize0);
        make_recording(u"20170315_142601", kSize1);
        make_recording(u"20170315_142701", kSize2);
        // A valid recording one folder down, so only the name rule can refuse reaching it.
        fs_test::make_folder(posix_path(u"sub"));
        make_sample(u"sub/m.iqw", kSize0);
        write_project(u"sub/m.wpj", project_header_line(u"m.iqw", 10'000'000, true, 50'000'000, 0));
    }

    bool read_bbr(std::u16string_view name, std::u16string_view text, bool with_list = true) {
        write_project(name, text);
        return read_black_box_set(drives_, 9, record_path(name), {}, info_, with_list ? &list_ : nullptr);
    }
    bool read_wev(std::u16string_view name, std::u16string_view text, bool with_list = true) {
        write_project(name, text);
        return read_event_set(drives_, 4, record_path(name), {}, info_, with_list ? &list_ : nullptr);
    }

    // An earlier description and list that a failed read must keep.
    void fill_earlier() {
        std::memset(&info_, 0x5A, sizeof info_);
        std::memset(&earlier_, 0x5A, sizeof earlier_);
        list_ = {kEarlierEntry};
    }
    ::testing::AssertionResult earlier_kept() const {
        if (std::memcmp(&info_, &earlier_, sizeof info_) != 0)
            return ::testing::AssertionFailure() << "the description was written";
        if (list_ != std::vector<TmPlayListEntry>{kEarlierEntry})
            return ::testing::AssertionFailure() << "the list was written (" << list_.size() << " entries)";
        return ::testing::AssertionSuccess();
    }

    static TmPlayListEntry member(std::u16string_view title, std::uint64_t size, std::uint32_t duration) {
        return {record_path(std::u16string(title) + u".wpj"), record_path(std::u16string(title) + u".iqw"),
                size, duration, 0};
    }

    _TmFileInfo_t info_{};
    _TmFileInfo_t earlier_{};
    std::vector<TmPlayListEntry> list_;
};

const std::u16string kBbrLineOne =
    u"$Ver,1,Total,3,Event,bbr_record_0001.wpj,Position,123456,Mask,ATSC,12,3.4,5.6,\r\n";
const std::u16string kBbrMembers =
    u"$File,bbr_record_0000.wpj,\r\n$File,bbr_record_0001.wpj,\r\n$File,bbr_record_0002.wpj,\r\n";

TEST_F(SetReadersTest, BlackBoxSetDescribesAllMembersAsOneRecording) {
    fill_earlier();
    ASSERT_TRUE(read_bbr(u"bbr_event_0000.bbr", kBbrLineOne + kBbrMembers));

    WireBytes<664> expected;
    expected.put_u32(0, 9);
    expected.put_text(4, u"bbr_event_0000.bbr");
    expected.put_text(204, u"bbr_event_0000.bbr");
    expected.put_u64(408, kSetSize);
    expected.put_i32(416, 1);            // version
    expected.put_u32(420, 10'000'000);   // IQ rate
    expected.put_i32(424, 0);            // bandwidth: 10 MS/s
    expected.put_u32(428, 50'000'000);   // centre
    expected.put_u32(432, 2 + 3 + 1);    // seconds
    expected.put_i32(436, 1);            // kind: black-box set
    expected.put_u64(440, 0);            // start offset
    expected.put_i32(448, 0);            // AGC
    expected.put_i32(452, 1);            // tracking
    expected.put_u64(456, 0);            // no time in the members' names
    EXPECT_TRUE(same_bytes(expected, info_));

    const std::vector<TmPlayListEntry> members = {
        member(u"bbr_record_0000", kSize0, 2), member(u"bbr_record_0001", kSize1, 3),
        member(u"bbr_record_0002", kSize2, 1)};
    EXPECT_EQ(list_, members);  // replaced, not appended to
}

TEST_F(SetReadersTest, BlackBoxLineOneFormsAccepted) {
    const std::u16string accepted[] = {
        u"$Ver,1,Total,3,Event,bbr_record_0001.wpj,Position,-5,Mask,TRIGGER,,,,\r\n",
        u"$Ver,1,Total,3,Event,bbr_record_0001.wpj,Position,0,Mask,BWPOWER,1.0,2.0,3.0,\r\n",
        u"$Ver,1,Total,3,Event,bbr_record_0001.wpj,Position,0,Mask,UNKNOWN,,,,\r\n",
        u"Mask,DTMB,Position,7,Event,e,Total,3,$Ver,1\r\n",
        u"$Ver,1,Note,x,Total,3,Event,e,Position,7,Mask,DVB-T\r\n",
    };
    for (const std::u16string& line : accepted) {
        EXPECT_TRUE(read_bbr(u"b.bbr", line + kBbrMembers)) << platform::to_utf8(line);
    }
    // Several "$File" pairs on one line are several members.
    EXPECT_TRUE(read_bbr(u"b.bbr", kBbrLineOne +
                                       u"$File,bbr_record_0000.wpj,$File,bbr_record_0001.wpj,\r\n"
                                       u"x,,$File,bbr_record_0002.wpj\r\n"));
    EXPECT_EQ(list_.size(), 3U);
}

TEST_F(SetReadersTest, MalformedBlackBoxSetsAreRefusedAndKeepTheEarlierSet) {
    const std::u16string head = u"$Ver,1,Total,1,Event,e,Position,0,Mask,ATSC\r\n";
    struct Case {
        const char* what;
        std::u16string text;
    };
    const Case cases[] = {
        {"Total below the members", u"$Ver,1,Total,2,Event,e,Position,0,Mask,ATSC\r\n" + kBbrMembers},
        {"Total above the members", u"$Ver,1,Total,4,Event,e,Position,0,Mask,ATSC\r\n" + kBbrMembers},
        {"Position missing", u"$Ver,1,Total,3,Event,e,Mask,ATSC\r\n" + kBbrMembers},
        {"a pair twice instead of Event", u"$Ver,1,$Ver,1,Total,3,Position,0,Mask,ATSC\r\n" + kBbrMembers},
        {"Mask in lower case", u"$Ver,1,Total,3,Event,e,Position,0,Mask,atsc\r\n" + kBbrMembers},
        {"Mask unknown", u"$Ver,1,Total,3,Event,e,Position,0,Mask,DVB-S\r\n" + kBbrMembers},
        {"Mask with a blank", u"$Ver,1,Total,3,Event,e,Position,0,Mask, ATSC\r\n" + kBbrMembers},
        {"Mask without a value", u"$Ver,1,Total,3,Event,e,Position,0,Mask\r\n" + kBbrMembers},
        {"member in a sub-folder", head + u"$File,sub\\m.wpj,\r\n"},
        {"member behind a slash", head + u"$File,sub/m.wpj,\r\n"},
        {"member through ..", head + u"$File,..\\Record\\bbr_record_0000.wpj,\r\n"},
        {"member named ..", head + u"$File,..,\r\n"},
        {"member on a drive", head + u"$File,D:bbr_record_0000.wpj,\r\n"},
        {"member header broken", u"$Ver,1,Total,2,Event,e,Position,0,Mask,ATSC\r\n"
                                 u"$File,bbr_record_0000.wpj,\r\n$File,bbr_record_0003.wpj,\r\n"},
        {"member missing", head + u"$File,gone.wpj,\r\n"},
        {"member without a name", head + u"$File,\r\n"},
        {"no member at all", u"$Ver,1,Total,0,Event,e,Position,0,Mask,ATSC\r\n"},
        {"empty file", u""},
    };
    for (const Case& c : cases) {
        fill_earlier();
        EXPECT_FALSE(read_bbr(u"bad.bbr", c.text)) << c.what;
        EXPECT_TRUE(earlier_kept()) << c.what;
    }
    // The member one folder down is itself valid: the name rule alone refused it.
    EXPECT_TRUE(read_bbr(u"sub/ok.bbr", head + u"$File,m.wpj,\r\n"));
    fill_earlier();
    EXPECT_FALSE(read_black_box_set(drives_, 9, record_path(u"none.bbr"), {}, info_, &list_));
    EXPECT_TRUE(earlier_kept());
}

TEST_F(SetReadersTest, SetWithoutListLeavesTheListAlone) {
    fill_earlier();
    ASSERT_TRUE(read_bbr(u"b.bbr", kBbrLineOne + kBbrMembers, false));
    EXPECT_EQ(info_.Duration, 6U);
    EXPECT_EQ(list_, std::vector<TmPlayListEntry>{kEarlierEntry});
}

TEST_F(SetReadersTest, SetWhoseTotalDurationOverflowsIsRefused) {
    // At 1 sample/s a 16 GiB member lasts 2^32 s, more than the field holds: it reads as the
    // largest duration, and a second such member cannot be added to it.
    HeaderRanges slow;
    slow.iq_rate_min = 1;
    make_recording(u"huge0", 1ULL << 34, 1);
    make_recording(u"huge1", 1ULL << 34, 1);
    write_project(u"one.bbr", u"$Ver,1,Total,1,Event,e,Position,0,Mask,ATSC\r\n$File,huge0.wpj\r\n");
    ASSERT_TRUE(read_black_box_set(drives_, 1, record_path(u"one.bbr"), slow, info_, &list_));
    EXPECT_EQ(info_.Duration, 4'294'967'295U);

    write_project(u"two.bbr", u"$Ver,1,Total,2,Event,e,Position,0,Mask,ATSC\r\n$File,huge0.wpj\r\n$File,huge1.wpj\r\n");
    fill_earlier();
    EXPECT_FALSE(read_black_box_set(drives_, 1, record_path(u"two.bbr"), slow, info_, &list_));
    EXPECT_TRUE(earlier_kept());
    write_project(u"two.wev", u"$Ver,1,Total,2,e,\r\n$File,huge0.wpj\r\n$File,huge1.wpj\r\n");
    EXPECT_FALSE(read_event_set(drives_, 1, record_path(u"two.wev"), slow, info_, &list_));
    EXPECT_TRUE(earlier_kept());
}

const std::u16string kWevMembers =
    u"$File,20170315_142501.wpj,\r\n$File,20170315_142601.wpj,\r\n$File,20170315_142701.wpj,\r\n";

TEST_F(SetReadersTest, EventSetDescribesAllMembersAsOneRecording) {
    fill_earlier();
    ASSERT_TRUE(read_wev(u"20170315_142530.wev", u"$Ver,1,Total,3,Storm warning,\r\n" + kWevMembers));

    WireBytes<664> expected;
    expected.put_u32(0, 4);
    expected.put_text(4, u"Storm warning");
    expected.put_text(204, u"20170315_142501.iqw");  // the first member's
    expected.put_u64(408, kSetSize);
    expected.put_i32(416, 1);
    expected.put_u32(420, 10'000'000);
    expected.put_i32(424, 0);
    expected.put_u32(428, 50'000'000);
    expected.put_u32(432, 6);
    expected.put_i32(436, 5);  // kind: event set
    expected.put_u64(440, 0);
    expected.put_i32(448, 0);
    expected.put_i32(452, 1);
    expected.put_u64(456, wall_clock_file_time(2017, 3, 15, 14, 25, 1));
    EXPECT_TRUE(same_bytes(expected, info_));

    const std::vector<TmPlayListEntry> members = {
        member(u"20170315_142501", kSize0, 2), member(u"20170315_142601", kSize1, 3),
        member(u"20170315_142701", kSize2, 1)};
    EXPECT_EQ(list_, members);
}

TEST_F(SetReadersTest, EventSetsAcceptedOrRefused) {
    struct Case {
        const char* what;
        std::u16string text;
        bool accepted;
    };
    const Case cases[] = {
        {"as the recorder writes it", u"$Ver,1,Total,3,e,\r\n" + kWevMembers, true},
        {"other lines are not members",
         u"$Ver,1,Total,3,e,\r\n\r\nnote,$File,bbr_record_0000.wpj\r\n" + kWevMembers, true},
        {"Total below the members", u"$Ver,1,Total,2,e,\r\n" + kWevMembers, false},
        {"Total above the members", u"$Ver,1,Total,4,e,\r\n" + kWevMembers, false},
        {"no event text", u"$Ver,1,Total,3,,\r\n" + kWevMembers, false},
        {"text only before the pairs", u"e,$Ver,1,Total,3\r\n" + kWevMembers, false},
        {"no $Ver", u"Total,3,e\r\n" + kWevMembers, false},
        {"no Total", u"$Ver,1,e\r\n" + kWevMembers, false},
        {"member through ..", u"$Ver,1,Total,1,e\r\n$File,..\\Record\\20170315_142501.wpj\r\n", false},
        {"member in a sub-folder", u"$Ver,1,Total,1,e\r\n$File,sub\\m.wpj\r\n", false},
        {"member header broken", u"$Ver,1,Total,1,e\r\n$File,bbr_record_0003.wpj\r\n", false},
        {"member without a name", u"$Ver,1,Total,1,e\r\n$File\r\n", false},
        {"no member at all", u"$Ver,1,Total,0,e\r\n", false},
    };
    for (const Case& c : cases) {
        fill_earlier();
        EXPECT_EQ(read_wev(u"x.wev", c.text), c.accepted) << c.what;
        if (!c.accepted) {
            EXPECT_TRUE(earlier_kept()) << c.what;
        }
    }
}

TEST_F(SetReadersTest, LongEventTextIsCutToTheNameField) {
    ASSERT_TRUE(read_wev(u"x.wev", u"$Ver,1,Total,3," + std::u16string(120, u'x') + u"\r\n" + kWevMembers));
    EXPECT_EQ(file_info_name(info_.ProjectName), std::u16string(99, u'x'));
    // A pair of surrogates that would straddle the end is left out whole.
    const std::u16string pair = u"\U0001F600";
    ASSERT_TRUE(read_wev(u"x.wev", u"$Ver,1,Total,3," + std::u16string(98, u'y') + pair + u"\r\n" + kWevMembers));
    EXPECT_EQ(file_info_name(info_.ProjectName), std::u16string(98, u'y'));
}

}  // namespace
