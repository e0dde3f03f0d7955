// The first generation's capture, play and system setting commands: each command's read, write
// and usage lines exactly (typos and odd blanks included), what the write forms store, and the
// capture frequency's bounds by bandwidth.

#include "record_fixture.hpp"
#include "tamrelapi/sim/control.hpp"

namespace {

using tamrel::api::DeviceKind;
namespace control = tamrel::sim::control;
using Lines = std::vector<std::string>;

class FirstGenerationSettingsTest : public RecordTest {
protected:
    void SetUp() override {
        RecordTest::SetUp();
        open_connected(DeviceKind::first_generation);
    }
    Lines lines_of(const std::u16string& line) {
        window_.clear();
        run(line);
        Lines out;
        for (const auto& text : window_.texts_of()) out.push_back(platform::to_utf8(text));
        return out;
    }
};

struct FormCase {
    std::u16string line;
    Lines lines;
};

// Runs each case's line and compares the status lines it produced.
#define EXPECT_FORMS(...)                                                             \
    for (const FormCase& c : std::initializer_list<FormCase>{__VA_ARGS__}) {        \
        EXPECT_EQ(lines_of(c.line), c.lines) << platform::to_utf8(c.line);          \
    }

TEST_F(FirstGenerationSettingsTest, CaptureFrequencyBoundsFollowTheBandwidth) {
    const Lines usage = {"Usage(read) : capturefreq",
                         "Usage(write) : capturefreq [50000000~1000000000] ([50000000~1000000000]hz)"};
    run(u"capturerange -250");  // the board's gain follows its range: 25 dB
    EXPECT_FORMS({u"capturefreq 40000000",
                  {"Capture Frequency : 40000000 hz", "Capture Gain:25.0dB"}},
                 {u"capturefreq 33999999", usage},
                 {u"capturefreq 1000000001", usage},
                 {u"capturefreq 4394967296", usage},  // 2^32 + 100 MHz: refused, not wrapped into range
                 {u"capturefreq 1 2", usage},
                 {u"capturefreq", {"Capture Frequency : 40000000 hz"}});
    EXPECT_EQ(session_->SettingBlock().CaptureFreq, 40'000'000U);
    // The bound is the board's bandwidth (an idle "capturebw" reaches the board only when a mode
    // starts).
    ASSERT_TRUE(control::set_capture_bandwidth(1).ok());
    EXPECT_FORMS({u"capturefreq 40000000", usage},
                 {u"capturefreq 42000000", {"Capture Frequency : 42000000 hz", "Capture Gain:25.0dB"}},
                 {u"capturefreq 1000000000", {"Capture Frequency : 1000000000 hz", "Capture Gain:25.0dB"}});
}

TEST_F(FirstGenerationSettingsTest, CaptureRangeSetsTheGainAndAutorangeItsOwnLines) {
    EXPECT_FORMS({u"capturerange", {"Capture Range : -300 x 0.1dBm"}},
                 {u"capturerange -200", {"Capture Range : -200 x 0.1dBm", "Capture Gain:20.0"}},
                 {u"capturerange -551", {"Usage(read) : capturerange", "Usage(write) : capturerange [-550~0] (x 0.1dBm)"}},
                 {u"capturerange 1 2", {"Usage(read) : capturerange", "Usage(write) : capturerange [-550~0] ( x 0.1dBm)"}},
                 {u"autorange -100", {"Capture Range: -100 x 0.1dBm", "Capture Gain:10.0"}},
                 {u"autorange 5", {"Usage(write) : capturerange [-550~0] ( x 0.1dBm)"}},
                 {u"autorange", {"Usage(write) : capturerange [-550~0] ( x 0.1dBm)"}});
    EXPECT_EQ(session_->SettingBlock().CaptureRange, -100);
}

TEST_F(FirstGenerationSettingsTest, SwitchCommandsReadWriteAndRefuse) {
    EXPECT_FORMS({u"captureamp", {"PreAmp :Off"}},
                 {u"captureamp 1", {"PreAmp :On"}},
                 {u"captureamp 2", {"Usage : captureamp 1(AMP On)", "Usage : captureamp 0(Amp Off)"}},
                 {u"captureloop", {"Loop Through:Off"}},
                 {u"captureloop 1", {"Loop Through:On"}},
                 {u"captureloop 7", {"Usage(read) : captureloop", "Usage(wrtie) : captureloop 0/1(Off/On)"}},
                 {u"captureagc 1", {"AGC:On"}},
                 {u"captureagc -1", {"Usage(read) : captureagc", "Usage(wrtie) : captureagc 0/1(Off/On)"}},
                 {u"playspecinv 1", {"Spectral INV:On"}},
                 {u"playspecinv", {"Spectral INV:On"}},
                 {u"playspecinv 2", {"Usage(read) : playspecinv", "Usage(wrtie) : playspecinv 0/1(Off/On)"}},
                 {u"extclk 1", {"extclk:Ext Clk Enable"}},
                 {u"extclk", {"extclk:Ext Clk Enable"}},
                 {u"extclk 3", {"Usage(read) : extclk", "Usage(write) : extclk 0/1(disable/enable)"}},
                 {u"trigger 1", {"Trigger :On"}},
                 {u"trigger", {"Trigger :On"}},
                 {u"trigger 9", {"Usage(read) : trigger", "Usage(write) : trigger 0/1(Off/On)"}});
    const _TmSettingBlock_t block = session_->SettingBlock();
    EXPECT_EQ(block.CapturePreAmp, 1U);
    EXPECT_EQ(block.CaptureLoopThrough, 1U);
    EXPECT_EQ(block.CaptureAGC, 1U);
    EXPECT_EQ(block.PlaySpecInv, 1U);
    EXPECT_EQ(block.RefClock, 1U);
    EXPECT_EQ(block.Trigger, 1U);
    EXPECT_TRUE(wait_packet(TM_CMD_TRIGGER, TM_RW_ACK, std::chrono::seconds(5)).has_value());
}

TEST_F(FirstGenerationSettingsTest, AgcSpeedAcceptsUpToOneSecondDespiteItsUsageText) {
    const Lines usage = {"Usage(read) : captureagcspeed", "Usage(write) : captureagcspeed [10~500]([10~500]ms)"};
    EXPECT_FORMS({u"captureagcspeed 800", {"AGC Speed : 800 ms"}},
                 {u"captureagcspeed", {"AGC Speed : 800 ms"}},
                 {u"captureagcspeed 9", usage},
                 {u"captureagcspeed 1001", usage},
                 {u"captureagcspeed 4294967396", usage},  // 2^32 + 100
                 {u"captureagcspeed 99999999999999999999999", usage});
}

TEST_F(FirstGenerationSettingsTest, PlayFrequencyGainAndRate) {
    EXPECT_FORMS({u"playfreq 100000000", {"playfreq:Ok"}},
                 {u"playfreq", {"playfreq:100000000"}},
                 {u"playfreq 49999999", {"Usage(read) : playfreq", "Usage(write) : playfreq freq"}},
                 {u"playfreq 4394967296", {"Usage(read) : playfreq", "Usage(write) : playfreq freq"}},
                 {u"arb 4294967297", {"Usage(read) : arb", "Usage(write) : arb a(2343751 ~ 30000000)"}},
                 {u"playgain -120", {"playgain:Ok", "Play Gain : -120 x 01dB"}},
                 {u"playgain", {"Play Gain : -120 x 01dB"}},
                 {u"playgain 65535", {"playgain:Ok", "Play Gain : -1 x 01dB"}},  // the low 16 bits, signed
                 {u"playgain 301", {"Usage(read) : playgain", "Usage(write) : playgain a(a x 01dB)"}},
                 {u"playgain", {"Play Gain : -1 x 01dB"}},
                 {u"playgain 1 2", {"Usage(read) : playgain", "Usage(write) : playgain 01dB"}},
                 {u"arb 1 2", {"Usage(read) : arb", "Usage(write) : arb a(2343751 ~ 30000000)"}});
    // While idle the rate is set without a line of its own; a rate the board refuses is not kept.
    lines_of(u"arb 20000000");
    EXPECT_EQ(session_->SettingBlock().PlayIQRate, 20'000'000U);
    EXPECT_EQ(lines_of(u"arb"), Lines{"I/Q Rate:20000000"});
    lines_of(u"arb 0");
    EXPECT_EQ(session_->SettingBlock().PlayIQRate, 20'000'000U);
    run(u"record 1");
    EXPECT_EQ(lines_of(u"arb 10000000"), (Lines{"Invalid Play Mode!", "Update Time : 100"}));
    run(u"record 0");
}

TEST_F(FirstGenerationSettingsTest, ModechangeSwitchesTheBoardAndTheDirection) {
    EXPECT_EQ(lines_of(u"modechange"), Lines{"Capture Mode"});
    const Lines to_play = lines_of(u"modechange 0");
    ASSERT_FALSE(to_play.empty());
    EXPECT_EQ(to_play.front(), "modechange:Ok");
    EXPECT_EQ(session_->Direction(), 0U);
    EXPECT_EQ(lines_of(u"modechange"), Lines{"Play Mode"});
    EXPECT_EQ(lines_of(u"modechange 2"), Lines{"modechange:Fail"});
    EXPECT_EQ(session_->Direction(), 0U);
    // Back to capture: a connected host gets a record preview.
    const Lines to_capture = lines_of(u"modechange 1");
    ASSERT_FALSE(to_capture.empty());
    EXPECT_EQ(to_capture.front(), "modechange:Ok");
    EXPECT_EQ(session_->Direction(), 1U);
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_RECORD_PREVIEW);
    EXPECT_EQ(session_->RunStatus(), 5U);
    run(u"preview 0");
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
}

TEST_F(FirstGenerationSettingsTest, ADeviceFailureIsReportedAndTheCommandGoesOn) {
    ASSERT_TRUE(control::fail_next("PlaySetCenterFreq", 1, 0xE006).ok());
    EXPECT_EQ(lines_of(u"playfreq 200000000"), Lines{"playfreq:Fail"});
    EXPECT_EQ(session_->SettingBlock().PlayFreq, 200'000'000U) << "stored before the call";
    ASSERT_TRUE(control::fail_next("CaptureGetPreAmp", 1, 0xE006).ok());
    EXPECT_EQ(lines_of(u"captureamp"), Lines{"Err:0xe006"});
    ASSERT_TRUE(control::fail_next("SetTrigger", 1, 0xE006).ok());
    EXPECT_EQ(lines_of(u"trigger 1"), Lines{"Err:0xe006"});
    EXPECT_EQ(session_->SettingBlock().Trigger, 0U);
    EXPECT_GE(count_packets(TM_CMD_ERROR_REPORT, TM_RW_VALUE), 3U);
}

}  // namespace
