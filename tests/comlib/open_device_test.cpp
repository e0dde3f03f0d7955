// Opening the device per generation, the firmware check, the limit set, and the host
// notifications' queries and periodic passes.

#include <arpa/inet.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "platform/sys/time.hpp"
#include "tamrelapi/tamrel_api.hpp"
#include "session_fixture.hpp"

namespace {

using namespace std::chrono_literals;
using tamrel::api::DeviceKind;
using tamrel::sim::make_version;
namespace control = tamrel::sim::control;

class OpenDeviceTest : public SessionTest {
protected:
    std::vector<std::u16string> lines_without_update_time() const {
        std::vector<std::u16string> lines;
        for (auto& text : window_.texts_of()) {
            if (text.rfind(u"Update Time", 0) != 0) lines.push_back(text);
        }
        return lines;
    }
    std::vector<unsigned> posted() const {
        std::vector<unsigned> messages;
        for (const auto& e : window_.entries()) {
            if (e.kind == platform::RecordingHostWindow::Kind::posted) messages.push_back(e.message);
        }
        return messages;
    }
    void register_windows() {
        for (unsigned i = 0; i < TM_STATIC_COUNT; ++i) session_->TmSetStaticWinID(i, &static_windows_[i]);
    }
    std::u16string window_text(unsigned index) const { return static_windows_[index].window_text(); }

    platform::RecordingHostWindow static_windows_[TM_STATIC_COUNT];
};

TEST_F(OpenDeviceTest, NoDeviceReportsItStartsTheThreadsAndShowsTheDefaults) {
    control::reset(DeviceKind::none);
    register_windows();
    EXPECT_EQ(session_->TmOpenDevice(), 0U);
    const auto lines = lines_without_update_time();
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[0], u" <<Tamrel Program>>");
    EXPECT_EQ(lines[2], u"Tamrel No Device");
    EXPECT_EQ(lines[3], u"Boards Number=0");
    EXPECT_EQ(lines[4], u"Tamrel Open Fail");
    EXPECT_EQ(session_->DeviceCount(), 0U);
    EXPECT_EQ(session_->RunningThreadCount(), 5U);
    EXPECT_EQ(window_text(TM_STATIC_CONNECT), u"Connect:Off");
    EXPECT_EQ(window_text(TM_STATIC_MODE), u"Mode:Capture");
    EXPECT_EQ(window_text(TM_STATIC_DRIVE), u"Drive:D");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_FREQ), u"Frequency:474000000 Hz");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_RANGE), u"Range:0 X 0.1dBm");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_BW), u"BW:8M");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_AGC_SPEED), u"AGC Speed:200 ms");
    EXPECT_EQ(window_text(TM_STATIC_PLAY_GAIN), u"Gain:0 X 0.1dB");
    EXPECT_EQ(window_text(TM_STATIC_PLAY_BW), u"BW:8MHz");
    EXPECT_EQ(window_text(TM_STATIC_REF), u"Ref:INT");
    EXPECT_TRUE(posted().empty());
}

TEST_F(OpenDeviceTest, FirstGenerationReadsItsIdentificationAndReportsEachStep) {
    control::reset(DeviceKind::first_generation);
    auto id = control::identity();
    id.fpga_version = make_version(1, 2, 3, 4);
    id.pcb_version = 7;
    id.attenuator_id = 0x11;
    id.down_converter_id = 0x22;
    id.serial_number = "TM10000042";
    control::set_identity(id);
    auto cal = control::calibration();
    control::set_calibration(cal);
    ASSERT_TRUE(control::fail_next("SetImageType", 1, 0xE006).ok());
    register_windows();

    EXPECT_EQ(session_->TmOpenDevice(), 0xE006U);
    const auto lines = lines_without_update_time();
    const std::vector<std::u16string> expected_tail = {
        u"Tamrel Device Ok", u"Boards Number=1", u"Tamrel Device Open Ok", u"COM5 GPS Open Fail",
        u"Tamrel Image Download  Error:0xe006"};
    ASSERT_GE(lines.size(), 2 + expected_tail.size());
    EXPECT_EQ(lines[0], u" <<Tamrel Program>>");
    EXPECT_EQ(std::vector<std::u16string>(lines.begin() + 2, lines.end()), expected_tail);
    const _TmSettingBlock_t b = session_->SettingBlock();
    EXPECT_EQ(b.Generation, 0U);
    EXPECT_EQ(b.FpgaVer, make_version(1, 2, 3, 4));
    EXPECT_EQ(b.PCBVersion, 7U);
    EXPECT_EQ(b.PlayModuleID, 0x11U);
    EXPECT_EQ(b.CaptureModuleID, 0x22U);
    EXPECT_EQ(std::string(b.SerialNum, 10), "TM10000042");
    EXPECT_EQ(b.GPS, 0U);
    EXPECT_EQ(window_text(TM_STATIC_FPGA_VER), u"FPGA_Ver:1.2.3.4");
    EXPECT_EQ(window_text(TM_STATIC_SN), u"S/N:TM10000042");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_PREAMP), u"Pre-Amp:Off");
}

TEST_F(OpenDeviceTest, SecondGenerationReadsVersionsOffsetsAndShowsItsBandwidth) {
    auto id = control::identity();
    id.fpga_version = make_version(3, 0, 1, 2);
    id.pump_fpga_version = make_version(2, 1, 1, 2);
    id.dsp_nios_version = make_version(1, 1, 0, 2);
    id.up_converter_id = 0x33;
    control::set_identity(id);
    register_windows();
    EXPECT_EQ(session_->TmOpenDevice(), 0U);
    const auto lines = lines_without_update_time();
    ASSERT_EQ(lines.size(), 6U);
    EXPECT_EQ(lines[2], u"Tamrel2 Device Ok");
    EXPECT_EQ(lines[3], u"Boards Number=1");
    EXPECT_EQ(lines[4], u"Tamrel2 Device Open Ok");
    EXPECT_EQ(lines[5], u"Tamrel2 GPS Open Fail");  // the board has received no GPS text
    const _TmSettingBlock_t b = session_->SettingBlock();
    EXPECT_EQ(b.Generation, 2U);
    EXPECT_EQ(b.PumpFpgaVer, make_version(2, 1, 1, 2));
    EXPECT_EQ(b.DspNiosVer, make_version(1, 1, 0, 2));
    EXPECT_EQ(b.UpConvModuleID, 0x33U);
    EXPECT_EQ(window_text(TM_STATIC_FPGA_VER), u"FPGA_Ver:3.0.1.2");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_BW), u"BW:48.000M");
    EXPECT_EQ(window_text(TM_STATIC_CAPTURE_PREAMP), u"Pre-Amp:N/A");
    EXPECT_TRUE(posted().empty()) << "up-to-date firmware needs no update";
}

TEST_F(OpenDeviceTest, SecondGenerationGpsOpensWhenTheBoardHasReceivedText) {
    control::feed_gps_text("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
    session_->TmOpenDevice();
    EXPECT_TRUE(window_.wait_for_text(u"Tamrel2 GPS Open Ok", 0ms));
    EXPECT_EQ(session_->SettingBlock().GPS, 1U);
    EXPECT_EQ(control::gps_text_waiting(), 0U);
}

TEST_F(OpenDeviceTest, FirmwareCheckByHardwareVariantWithStringComparison) {
    struct Case {
        unsigned pump, nios;
        bool pump_update, nios_update;
    };
    const Case cases[] = {
        {make_version(2, 1, 1, 2), make_version(1, 1, 0, 2), false, false},  // variant 1, current
        {make_version(2, 1, 1, 1), make_version(1, 1, 0, 1), true, true},    // variant 1, older
        {make_version(2, 2, 0, 0), make_version(1, 2, 0, 0), false, false},  // variant 2, current
        {make_version(2, 3, 0, 0), make_version(1, 2, 9, 9), false, true},   // variant 3, old Nios
        {make_version(2, 2, 0, 0), make_version(1, 10, 0, 0), false, true},  // "1.2.0.0" > "1.10.0.0"
        {make_version(3, 1, 0, 0), make_version(2, 1, 0, 0), false, false},  // other first numbers
        {make_version(2, 0, 0, 0), make_version(1, 0, 0, 0), false, false},  // variant 0: no check
        {make_version(2, 4, 0, 0), make_version(1, 0, 0, 0), false, false},  // variant 4: no check
        {make_version(2, 10, 0, 0), make_version(1, 0, 0, 0), false, false}, // variant 10: no check
    };
    for (const auto& c : cases) {
        control::reset(DeviceKind::second_generation);
        auto id = control::identity();
        id.pump_fpga_version = c.pump;
        id.dsp_nios_version = c.nios;
        control::set_identity(id);
        window_.clear();
        session_->TmOpenDevice();
        std::vector<unsigned> expected;
        if (c.pump_update) expected.push_back(platform::kMsgPumpFlashNeedsUpdate);
        if (c.nios_update) expected.push_back(platform::kMsgDspFlashNeedsUpdate);
        EXPECT_EQ(posted(), expected) << std::hex << c.pump << " " << c.nios;
    }
}

TEST_F(OpenDeviceTest, LimitSetByModeAndVariant) {
    struct Case {
        unsigned mode;
        std::uint32_t freq_min, freq_max, rate_min, rate_max;
        std::int32_t range_min, range_max;
    };
    const Case cases[] = {
        {0, 100'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},
        {1, 48'000'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},
        {2, 48'000'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, -300},
        {3, 500'000, 47'500'000, 1'250'000, 60'000'000, -450, 100},
        {4, 1'000'000, 1'000'000, 2'500'000, 2'500'000, -450, 100},
        {5, 48'000'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},
        {6, 100'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},
        {7, 100'000, 200'000'000, 1'000, 1'000'000, -550, 100},
        {8, 100'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(session_->Tm2InitMinMaxValueForSystemMode(static_cast<_Tm2SystemMode_e>(c.mode)), 0U);
        const Tm2LimitSet l = session_->LimitSet();
        EXPECT_EQ(l.freq_min, c.freq_min) << c.mode;
        EXPECT_EQ(l.freq_max, c.freq_max) << c.mode;
        EXPECT_EQ(l.record_iq_rate_min, c.rate_min) << c.mode;
        EXPECT_EQ(l.record_iq_rate_max, c.rate_max) << c.mode;
        EXPECT_EQ(l.record_range_min, c.range_min) << c.mode;
        EXPECT_EQ(l.record_range_max, c.range_max) << c.mode;
        EXPECT_EQ(l.play_gain_min, -300);
        EXPECT_EQ(l.play_gain_max, 300);
    }
    // Variant below 2 (no board read yet: 0), then variant 2.
    EXPECT_EQ(session_->LimitSet().fullband_start_max, 2'604'000'000U);
    EXPECT_EQ(session_->LimitSet().fullband_stop_min, 144'000'000U);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::PumpFpgaVer, make_version(2, 2, 0, 0));
    session_->Tm2InitMinMaxValueForSystemMode(TM2_SYSMODE_HF_HP);
    EXPECT_EQ(session_->LimitSet().fullband_start_min, 48'000'000U);
    EXPECT_EQ(session_->LimitSet().fullband_start_max, 2'588'000'000U);
    EXPECT_EQ(session_->LimitSet().fullband_stop_min, 160'000'000U);
    EXPECT_EQ(session_->LimitSet().fullband_stop_max, 2'700'000'000U);
}

class QueriesTest : public SessionTest {};

TEST_F(QueriesTest, RemoteUpdateSpeedPerGenerationAndSpeedsAboveFourIgnored) {
    struct Case {
        unsigned generation, bandwidth, speed, period;
    };
    const Case cases[] = {{0, 0, 0, 80},  {0, 0, 1, 100}, {0, 0, 4, 200}, {0, 1, 1, 33},
                          {2, 0, 0, 55},  {2, 0, 2, 115}, {2, 0, 4, 185}};
    for (const auto& c : cases) {
        CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::Generation, c.generation);
        CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::CaptureBW, c.bandwidth);
        window_.clear();
        session_->SetRemoteUpdateSpeed(static_cast<_TmRemoteUpdateSpeed_e>(c.speed));
        EXPECT_EQ(session_->UpdatePeriodMs(), c.period) << c.generation << "/" << c.speed;
        EXPECT_EQ(session_->SettingBlock().RemoteUpdateSpeed, c.speed);
        const std::string digits = std::to_string(c.period);
        EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"Update Time : " +
                                                                   std::u16string(digits.begin(), digits.end())});
    }
    for (unsigned speed : {5U, 6U}) {
        window_.clear();
        session_->SetRemoteUpdateSpeed(static_cast<_TmRemoteUpdateSpeed_e>(speed));
        EXPECT_EQ(session_->UpdatePeriodMs(), 185U);
        EXPECT_EQ(session_->SettingBlock().RemoteUpdateSpeed, 4U);
        EXPECT_TRUE(window_.texts_of().empty());
    }
}

TEST_F(QueriesTest, SpectrumSizeFollowsRateAndResolution) {
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::CaptureBW, TM_BW_24MHZ);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::ResBW, 1);
    EXPECT_EQ(session_->GetTotalRawBytesToFFT(), 24'000U);  // 30 MS/s / 5,000 = 6,000 samples
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::ResBW, 4);
    EXPECT_EQ(session_->GetTotalRawBytesToFFT(), 0U);
    // 10 MS/s / 3,000 = 3,333.3 -> 3,333 samples, made even: 3,334 -> 13,336 bytes.
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::CaptureBW, TM_BW_8MHZ);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::ResBW, 0);
    EXPECT_EQ(session_->GetTotalRawBytesToFFT(), 13'336U);
}

TEST_F(QueriesTest, SearchRangeSteps) {
    struct Case {
        float level;
        short range;
    };
    for (const Case c : {Case{0.0F, 0}, Case{-5.0F, 0}, Case{-5.1F, -50}, Case{-44.9F, -400},
                         Case{-45.0F, -400}, Case{-45.1F, -550}, Case{-120.0F, -550}}) {
        EXPECT_EQ(session_->GetSearchRange(TM_BW_8MHZ, c.level), c.range) << c.level;
    }
}

TEST_F(QueriesTest, SampleCountsAndModeLines) {
    session_->TmSetCaptureSampleCnt(TM_BW_24MHZ);
    EXPECT_EQ(session_->CaptureSampleCount(0), 30'000'000U);
    EXPECT_EQ(session_->CaptureSampleCount(1), 60'000'000U);
    session_->TmSetCaptureSampleCnt(static_cast<_TmBWType_e>(7));
    EXPECT_EQ(session_->CaptureSampleCount(0), 30'000'000U);
    session_->TmSetPlaySampleCnt(12'500'000);
    EXPECT_EQ(session_->PlaySampleCount(0), 12'500'000U);
    EXPECT_EQ(session_->PlaySampleCount(1), 25'000'000U);
    window_.clear();
    session_->TmPlayCaptureModeStatusPrint(TM_MODE_EVENT_RECORD);
    session_->TmPlayCaptureModeStatusPrint(static_cast<TmMode_e>(9));
    EXPECT_EQ(window_.texts_of(), (std::vector<std::u16string>{u"Mode:EVENT_RECORD", u"Mode:Fail"}));
}

TEST_F(QueriesTest, VersionIsTheOneTheRunningProgramCarries) {
    EXPECT_EQ(session_->GetSWVer().value, 0x03040506U);
}

TEST_F(QueriesTest, DmaSpeedIsReadStoredAndAlwaysReported) {
    control::reset(DeviceKind::first_generation);
    ASSERT_EQ(CTamrelAPI().Open(0), 0U);
    control::set_dma_speed(1234);
    ASSERT_EQ(session_->CreateUDP_Socket(), 0);
    auto host = listen_on(platform::kHostPort);
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    std::uint8_t buffer[64];
    for (bool fail : {false, true}) {
        if (fail) {
            ASSERT_TRUE(control::fail_next("GetDMASpeed", 1, 0xE006).ok());
        }
        unsigned speed = 99;
        EXPECT_EQ(session_->TmGetDMASpeed(speed), fail ? 0xE006U : 0U);
        EXPECT_EQ(speed, fail ? 99U : 1234U);
        EXPECT_EQ(session_->SettingBlock().DMASpeed, 1234U);
        auto got = host->receive(buffer, sizeof buffer, 5000);
        ASSERT_TRUE(got.ok());
        std::uint32_t fields[6];
        std::memcpy(fields, buffer, sizeof fields);
        EXPECT_EQ(fields[1], 46U);
        EXPECT_EQ(fields[2], 1U);
        EXPECT_EQ(fields[5], 1234U);  // the block's value, also after a failed read
    }
}

}  // namespace
