// The file record as bytes on the wire, its name fields, and the key tables.

#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "comlib/files/file_info.hpp"
#include "comlib/files/file_keys.hpp"

namespace {

template <typename T>
T field_at(const unsigned char* bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

TEST(FileInfo, SerialisedRecordPutsEachFieldAtItsOffset) {
    _TmFileInfo_t info{};
    info.Tag = 0x11223344;
    ASSERT_TRUE(set_file_info_name(info.ProjectName, u"p.wpj"));
    ASSERT_TRUE(set_file_info_name(info.SampleName, u"s.iqw"));
    info.SampleSize = 0x0102030405060708ULL;
    info.Version = -2;
    info.IQRate = 30'000'000;
    info.Bandwidth = file_bandwidth(info.IQRate);
    info.CenterFreq = 2'700'000'000U;
    info.Duration = 61;
    info.Kind = TM_FILE_KIND_EVENT;
    info.StartOffset = 1ULL << 40;
    info.AGC = 1;
    info.Tracking = 1;
    info.TimeStamp = 0x01D29D9B2ACD0E80ULL;
    ASSERT_TRUE(set_file_info_name(info.Note, u"n"));

    unsigned char wire[sizeof info];
    std::memcpy(wire, &info, sizeof info);
    const unsigned char tag[] = {0x44, 0x33, 0x22, 0x11};  // little-endian
    EXPECT_EQ(std::memcmp(wire, tag, 4), 0);
    const unsigned char project[] = {'p', 0, '.', 0, 'w', 0, 'p', 0, 'j', 0, 0, 0};
    EXPECT_EQ(std::memcmp(wire + 4, project, sizeof project), 0);
    EXPECT_EQ(wire[204], 's');
    EXPECT_EQ(wire[408], 0x08);
    EXPECT_EQ(wire[415], 0x01);
    EXPECT_EQ(field_at<std::int32_t>(wire, 416), -2);
    EXPECT_EQ(field_at<std::uint32_t>(wire, 420), 30'000'000U);
    EXPECT_EQ(field_at<std::int32_t>(wire, 424), 1);
    EXPECT_EQ(field_at<std::uint32_t>(wire, 428), 2'700'000'000U);
    EXPECT_EQ(field_at<std::uint32_t>(wire, 432), 61U);
    EXPECT_EQ(field_at<std::int32_t>(wire, 436), 5);
    EXPECT_EQ(field_at<std::uint64_t>(wire, 440), 1ULL << 40);
    EXPECT_EQ(field_at<std::int32_t>(wire, 448), 1);
    EXPECT_EQ(field_at<std::int32_t>(wire, 452), 1);
    EXPECT_EQ(field_at<std::uint64_t>(wire, 456), 0x01D29D9B2ACD0E80ULL);
    EXPECT_EQ(wire[464], 'n');
    EXPECT_EQ(wire[663], 0);
}

TEST(FileInfo, BandwidthCodeFollowsTheRate) {
    EXPECT_EQ(file_bandwidth(10'000'000), TM_FILE_BW_10MSPS);
    EXPECT_EQ(file_bandwidth(30'000'000), TM_FILE_BW_30MSPS);
    for (const std::uint32_t rate : {0U, 1'000U, 9'999'999U, 20'000'000U, 70'000'000U})
        EXPECT_EQ(file_bandwidth(rate), TM_FILE_BW_OTHER) << rate;
}

TEST(FileInfo, NameOfMoreThan99UnitsIsRefusedNotCut) {
    _TmFileInfo_t info{};
    const std::u16string fits(99, u'a');
    ASSERT_TRUE(set_file_info_name(info.SampleName, fits));
    EXPECT_EQ(file_info_name(info.SampleName), fits);
    EXPECT_FALSE(set_file_info_name(info.SampleName, std::u16string(100, u'b')));
    EXPECT_EQ(file_info_name(info.SampleName), fits);  // unchanged
    // A shorter name clears what the longer one left behind.
    ASSERT_TRUE(set_file_info_name(info.SampleName, u"x"));
    EXPECT_EQ(file_info_name(info.SampleName), u"x");
    EXPECT_EQ(info.SampleName[2], u'\0');
}

TEST(FileKeys, TablesHoldTheKeysInOrderNulPadded) {
    struct Table {
        std::span<const _TmFileKey_t> keys;
        std::vector<std::u16string_view> texts;
    };
    const Table tables[] = {
        {project_file_keys(), {u"$Ver", u"IQ FileName", u"IQ Rate", u"Center", u"Tracking", u"AGC"}},
        {black_box_event_keys(), {u"$Ver", u"Total", u"Event", u"Position", u"Mask"}},
        {black_box_list_keys(), {u"$File"}},
        {event_recorder_keys(), {u"$Ver", u"Total"}},
    };
    for (const Table& table : tables) {
        ASSERT_EQ(table.keys.size(), table.texts.size());
        for (std::size_t i = 0; i < table.keys.size(); ++i) {
            const _TmFileKey_t& key = table.keys[i];
            EXPECT_EQ(key.Id, i);
            EXPECT_EQ(key_text(key), table.texts[i]);
            for (std::size_t u = table.texts[i].size(); u < std::size(key.Text); ++u)
                EXPECT_EQ(key.Text[u], u'\0') << i << " unit " << u;
        }
    }
    EXPECT_EQ(project_key(TM_PROJECT_KEY_IQ_FILE), u"IQ FileName");
    EXPECT_EQ(project_key(TM_PROJECT_KEY_COUNT), u"");
}

}  // namespace
