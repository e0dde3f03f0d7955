// The settings block after TmFlagInit, the recording folders and the drive figures.

#include <arpa/inet.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "comlib/files/capture_name.hpp"
#include "session_fixture.hpp"

namespace {

template <typename T>
T field_at(const _TmSettingBlock_t& block, std::size_t offset) {
    T value{};
    std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(&block) + offset, sizeof value);
    return value;
}

class SettingsTest : public SessionTest {};

TEST_F(SettingsTest, BlockBytesAfterFlagInitHoldEveryDefault) {
    const _TmSettingBlock_t block = session_->SettingBlock();
    struct U32 {
        std::size_t offset;
        std::uint32_t value;
    };
    const U32 words[] = {{0, 474'000'000}, {8, 0},   {12, 0},  {16, 0},   {20, 0},
                         {24, 200},        {28, 474'000'000},  {36, 0},   {40, 10'000'000},
                         {44, 0},          {48, 0},  {52, 0},  {56, 0},   {60, 0},
                         {64, 0},          {68, 0},  {72, 3},  {76, 0},   {96, 0},
                         {104, 0},         {108, 0}, {124, 0}, {128, 0},  {132, 0},
                         {148, 1},         {152, 0}, {156, 30}, {160, 1}, {172, 0},
                         {176, 0},         {180, 60'000'000},  {184, 0},  {188, 0},
                         {192, 0},         {200, 0}, {204, 16'384}};
    for (const auto& w : words) EXPECT_EQ(field_at<std::uint32_t>(block, w.offset), w.value) << w.offset;
    EXPECT_EQ(field_at<std::int16_t>(block, 4), 0);
    EXPECT_EQ(field_at<std::int16_t>(block, 32), 0);
    EXPECT_EQ(field_at<float>(block, 136), 0.0F);
    for (std::size_t i = 112; i < 122; ++i) EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(&block)[i], 0) << i;

    EXPECT_EQ(session_->HostAddress(), htonl(INADDR_LOOPBACK));
    EXPECT_EQ(session_->HostUdpPort(), 50507 + offset_);
    EXPECT_EQ(session_->GetExpireCount(), 60U);
    EXPECT_EQ(session_->UpdatePeriodMs(), 100U);  // capture, 8 MHz, first generation: 10 MS/s
    EXPECT_TRUE(window_.texts_of().empty());      // no window yet while the constructor ran
    session_->TmFlagInit();
    EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"Update Time : 100"});
}

TEST_F(SettingsTest, CheckDriveCreatesTheRecordingFoldersAndAFreshCaptureName) {
    EXPECT_TRUE(std::filesystem::is_directory(root_ / "D" / "TamrelData" / "Record"));
    std::ofstream(root_ / "E" / "keep.txt") << "x";
    session_->TmCheckDrive(TM_DRIVE_E);
    EXPECT_TRUE(std::filesystem::is_directory(root_ / "E" / "TamrelData" / "Record"));
    EXPECT_TRUE(std::filesystem::exists(root_ / "E" / "keep.txt"));
    // The name is made for the capture drive (D), not the drive checked.
    const std::u16string file = session_->CaptureFilePath();
    ASSERT_EQ(file.rfind(u"D:\\TamrelData\\Record\\Cap_", 0), 0U);
    EXPECT_EQ(file.substr(file.size() - 4), u".iqw");
    EXPECT_EQ(session_->CaptureProjectPath(), file.substr(0, file.size() - 3) + u"wpj");
}

TEST(CaptureName, IsRebuiltWhileTakenAndGivesUpAfter10000Tries) {
    int second = 0;
    auto clock = [&second] {
        platform::LocalTime t;
        t.year = 2017; t.month = 3; t.day = 15; t.hour = 14; t.minute = 25; t.second = second++;
        return t;
    };
    auto taken_until_03 = [](const std::u16string& path) {
        return path < std::u16string(u"D:\\TamrelData\\Record\\Cap_20170315_142503.iqw");
    };
    EXPECT_EQ(next_capture_file_path(u'D', taken_until_03, clock),
              u"D:\\TamrelData\\Record\\Cap_20170315_142503.iqw");
    int calls = 0;
    second = 0;
    auto always_taken = [&calls](const std::u16string&) { ++calls; return true; };
    next_capture_file_path(u'D', always_taken, [] { return platform::LocalTime{2017, 3, 15, 14, 25, 1, 0, 0}; });
    EXPECT_EQ(calls, 10'000);
    EXPECT_EQ(replace_extension(u"D:\\a.b\\Cap_1.iqw", u"wpj"), u"D:\\a.b\\Cap_1.wpj");
    EXPECT_EQ(replace_extension(u"D:\\a.b\\Cap", u"wpj"), u"D:\\a.b\\Cap.wpj");
}

TEST_F(SettingsTest, DriveFiguresFollowTheDeclaredCapacityAndFlagLowSpace) {
    constexpr std::uint64_t GiB = 1ULL << 30;
    struct Case {
        std::uint64_t total, free;
        int total_gb, free_gb;
        unsigned low;
    };
    const Case cases[] = {{100 * GiB, 2 * GiB, 100, 2, 0},
                          {100 * GiB, 2 * GiB - 1, 100, 1, 1},
                          {500 * GiB + 5, 123 * GiB, 500, 123, 0}};
    for (const auto& c : cases) {
        std::ofstream(root_ / "D" / ".capacity") << c.total << ' ' << c.free << '\n';
        session_->UpdateSSDSize();
        EXPECT_EQ(session_->DriveTotalGB(), c.total_gb);
        EXPECT_EQ(session_->DriveFreeGB(), c.free_gb);
        EXPECT_EQ(session_->DriveUsedGB(), c.total_gb - c.free_gb);
        EXPECT_EQ(session_->LowSpace(), c.low);
    }
    std::filesystem::remove_all(root_ / "D");
    session_->UpdateSSDSize();  // the drive is gone: no figures, low space
    EXPECT_EQ(session_->DriveTotalGB(), 0);
    EXPECT_EQ(session_->LowSpace(), 1U);
}

TEST_F(SettingsTest, StaticWindowsTakeTheirLabelAndRefuseIndicesAbove23) {
    platform::RecordingHostWindow connect;
    EXPECT_EQ(session_->TmSetStaticWinID(TM_STATIC_CONNECT, &connect), 0U);
    EXPECT_EQ(session_->TmSetStaticWinID(24, &connect), 6919U);
    EXPECT_EQ(session_->TmSetStaticWinText(TM_STATIC_CONNECT, u"On"), 0U);
    EXPECT_EQ(connect.window_text(), u"Connect:On");
    EXPECT_EQ(session_->TmSetStaticWinText(24, u"x"), 6919U);
    EXPECT_EQ(session_->TmSetStaticWinText(TM_STATIC_MODE, u"Play"), 0U);  // unregistered: ignored
}

}  // namespace

namespace {

TEST_F(SettingsTest, LimitSetAndEventRecorderStartFromTheirDefaults) {
    const Tm2LimitSet limits = session_->LimitSet();
    EXPECT_EQ(limits.play_gain_min, -300);
    EXPECT_EQ(limits.play_gain_max, 300);
    EXPECT_EQ(limits.fullband_start_min, 48'000'000U);
    EXPECT_EQ(limits.fullband_start_max, 904'000'000U);
    EXPECT_EQ(limits.fullband_stop_min, 144'000'000U);
    EXPECT_EQ(limits.fullband_stop_max, 1'000'000'000U);
    EXPECT_EQ(limits.freq_min, 100'000U);
    EXPECT_EQ(limits.freq_max, 2'700'000'000U);
    const Tm2EvtRecordConfig evt = session_->EvtRecordConfig();
    EXPECT_EQ(evt.start_year, 2015);
    EXPECT_EQ(evt.start_hour, 9);
    EXPECT_EQ(evt.bytes_per_file, 60'000'000ULL * 4 * 60);  // more than 32 bits hold
    EXPECT_EQ(evt.total_bytes, evt.bytes_per_file * 3);
    EXPECT_EQ(evt.keep_count, 3U);
}

}  // namespace
