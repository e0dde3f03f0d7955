// The first generation's recorded settings: play gain, rate and spectral inversion, the capture
// path (centre frequency, input range, pre-amp, loop-through, AGC), the board mode, reference and
// trigger, and the DAC's symbol rate. Values inside the ranges read back, values outside them are
// refused and change nothing, a reset restores the defaults, and the input range sets the capture
// gain the board reports.

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "sim_fixture.hpp"
#include "tamrelapi/converters.hpp"
#include "tamrelapi/sim/capture_settings.hpp"
#include "tamrelapi/sim/system_settings.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

// A getter through the device library, its value widened so one table holds all of them.
using ReadBack = std::function<unsigned(long long& value)>;

template <typename T>
ReadBack via(unsigned (CTamrelAPI::*member)(T&) const) {
    return [member](long long& value) {
        T read{};
        const unsigned status = (CTamrelAPI{}.*member)(read);
        value = read;
        return status;
    };
}

// A setting only the control interface shows (the switches that have no getter).
ReadBack recorded(std::function<long long()> read) {
    return [read = std::move(read)](long long& value) {
        value = read();
        return 0U;
    };
}

const ReadBack kArbSymRate = [](long long& value) {
    unsigned rate = 0;
    const unsigned status = gc_AD9789.GetArbSymRate(rate);
    value = rate;
    return status;
};

// The settings every refused or faulted call must leave as they were.
struct Snapshot {
    sim::PlaySettings play = sim::control::play_settings();
    sim::CaptureSettings capture = sim::control::capture_settings();
    sim::SystemSettings system = sim::control::system_settings();
    sim::Readings readings = sim::control::readings();

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

class Settings : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        open_fresh(DeviceKind::first_generation);
    }
};

TEST_F(Settings, AFreshBoardReportsTheDefaults) {
    struct Case {
        const char* what;
        ReadBack read;
        long long expected;
    };
    const std::vector<Case> cases = {
        {"capture centre", via(&CTamrelAPI::CaptureGetCenterFreq), 474'000'000},
        {"capture range", via(&CTamrelAPI::CaptureGetRange), -300},
        {"pre-amp", via(&CTamrelAPI::CaptureGetPreAmp), 0},
        {"loop-through", recorded([] { return sim::control::capture_settings().loop_through; }), 0},
        {"AGC", recorded([] { return sim::control::capture_settings().agc; }), 0},
        {"AGC speed", via(&CTamrelAPI::CaptureGetAGCSpeed), 100},
        {"play gain", via(&CTamrelAPI::PlayGetGain), 0},
        {"play centre", via(&CTamrelAPI::PlayGetCenterFreq), 100'000'000},
        {"play rate", via(&CTamrelAPI::PlayGetBW), 10'000'000},
        {"symbol rate", kArbSymRate, 10'000'000},
        {"spectral inversion",
         recorded([] { return sim::control::play_settings().spectral_inversion; }), 0},
        {"board mode", recorded([] { return sim::control::system_settings().board_mode; }), 1},
        {"reference", via(&CTamrelAPI::GetRef10M), 0},
        {"trigger", via(&CTamrelAPI::GetTrigger), 0},
    };
    // Changed first, so the defaults seen are the reset's work and not the start-up values.
    ASSERT_EQ(api_.CaptureSetRange(-100), 0U);
    ASSERT_EQ(api_.CaptureSetAGCSpeed(900), 0U);
    ASSERT_EQ(api_.SetCapturePlayMode(0), 0U);
    ASSERT_EQ(api_.SetTrigger(1), 0U);
    ASSERT_EQ(api_.PlaySetGain(55), 0U);
    open_fresh(DeviceKind::first_generation);
    for (const Case& c : cases) {
        long long value = std::numeric_limits<long long>::min();
        ASSERT_EQ(c.read(value), 0U) << c.what;
        EXPECT_EQ(value, c.expected) << c.what;
    }
}

TEST_F(Settings, ValuesInsideTheRangesReadBackAsTheLastSet) {
    struct Case {
        const char* what;
        std::function<unsigned(const CTamrelAPI&)> set;
        ReadBack read;
        long long expected;
    };
    const auto capture = [](auto field) {
        return recorded([field] { return sim::control::capture_settings().*field; });
    };
    const auto system = [](auto field) {
        return recorded([field] { return sim::control::system_settings().*field; });
    };
    using C = sim::CaptureSettings;
    using S = sim::SystemSettings;
    const ReadBack play_gain = via(&CTamrelAPI::PlayGetGain);
    const ReadBack spectral =
        recorded([] { return sim::control::play_settings().spectral_inversion; });
    const ReadBack capture_centre = via(&CTamrelAPI::CaptureGetCenterFreq);
    const ReadBack range = via(&CTamrelAPI::CaptureGetRange);
    const ReadBack agc_speed = via(&CTamrelAPI::CaptureGetAGCSpeed);
    const std::vector<Case> cases = {
        {"play gain -300", [](const CTamrelAPI& a) { return a.PlaySetGain(-300); }, play_gain,
         -300},
        {"play gain 300", [](const CTamrelAPI& a) { return a.PlaySetGain(300); }, play_gain, 300},
        {"spectral inversion on", [](const CTamrelAPI& a) { return a.PlaySetSpectralInv(1); },
         spectral, 1},
        {"play centre", [](const CTamrelAPI& a) { return a.PlaySetCenterFreq(433'920'000); },
         via(&CTamrelAPI::PlayGetCenterFreq), 433'920'000},
        {"play rate", [](const CTamrelAPI& a) { return a.PlaySetBW(2, 2'343'751); },
         via(&CTamrelAPI::PlayGetBW), 2'343'751},
        {"symbol rate", [](const CTamrelAPI& a) { return a.PlaySetBW(1, 30'000'000); }, kArbSymRate,
         30'000'000},
        {"capture centre 34000000",
         [](const CTamrelAPI& a) { return a.CaptureSetCenterFreq(34'000'000); }, capture_centre,
         34'000'000},
        {"capture centre 1000000000",
         [](const CTamrelAPI& a) { return a.CaptureSetCenterFreq(1'000'000'000); }, capture_centre,
         1'000'000'000},
        {"range -550", [](const CTamrelAPI& a) { return a.CaptureSetRange(-550); }, range, -550},
        {"range 0", [](const CTamrelAPI& a) { return a.CaptureSetRange(0); }, range, 0},
        {"pre-amp on", [](const CTamrelAPI& a) { return a.CaptureSetPreAmp(1); },
         via(&CTamrelAPI::CaptureGetPreAmp), 1},
        {"loop-through on", [](const CTamrelAPI& a) { return a.CaptureSetLoopThr(1); },
         capture(&C::loop_through), 1},
        {"AGC on", [](const CTamrelAPI& a) { return a.CaptureSetAGC(1); }, capture(&C::agc), 1},
        {"AGC speed 10", [](const CTamrelAPI& a) { return a.CaptureSetAGCSpeed(10); }, agc_speed,
         10},
        {"AGC speed 1000", [](const CTamrelAPI& a) { return a.CaptureSetAGCSpeed(1'000); },
         agc_speed, 1'000},
        {"mode play", [](const CTamrelAPI& a) { return a.SetCapturePlayMode(0); },
         system(&S::board_mode), 0},
        {"mode full-band", [](const CTamrelAPI& a) { return a.SetCapturePlayMode(3); },
         system(&S::board_mode), 3},
        {"external reference", [](const CTamrelAPI& a) { return a.SetRef10M(1); },
         via(&CTamrelAPI::GetRef10M), 1},
        {"trigger on", [](const CTamrelAPI& a) { return a.SetTrigger(1); },
         via(&CTamrelAPI::GetTrigger), 1},
    };
    for (const Case& c : cases) {
        open_fresh(DeviceKind::first_generation);
        ASSERT_EQ(c.set(api_), 0U) << c.what;
        long long value = std::numeric_limits<long long>::min();
        ASSERT_EQ(c.read(value), 0U) << c.what;
        EXPECT_EQ(value, c.expected) << c.what;
    }
}

TEST_F(Settings, ASwitchTurnsBackOff) {
    ASSERT_EQ(api_.SetTrigger(1), 0U);
    ASSERT_EQ(api_.SetTrigger(0), 0U);
    ASSERT_EQ(api_.CaptureSetPreAmp(1), 0U);
    ASSERT_EQ(api_.CaptureSetPreAmp(0), 0U);
    ASSERT_EQ(api_.SetCapturePlayMode(0), 0U);
    ASSERT_EQ(api_.SetCapturePlayMode(1), 0U);
    EXPECT_EQ(sim::control::system_settings(), sim::SystemSettings{});
    EXPECT_EQ(sim::control::capture_settings(), sim::CaptureSettings{});
}

TEST_F(Settings, ValuesOutsideTheRangesAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<unsigned(const CTamrelAPI&)> set;
    };
    const std::vector<Case> cases = {
        {"play gain -301", [](const CTamrelAPI& a) { return a.PlaySetGain(-301); }},
        {"play gain 301", [](const CTamrelAPI& a) { return a.PlaySetGain(301); }},
        {"spectral inversion 2", [](const CTamrelAPI& a) { return a.PlaySetSpectralInv(2); }},
        {"capture centre 33999999",
         [](const CTamrelAPI& a) { return a.CaptureSetCenterFreq(33'999'999); }},
        {"capture centre 1000000001",
         [](const CTamrelAPI& a) { return a.CaptureSetCenterFreq(1'000'000'001); }},
        {"range -551", [](const CTamrelAPI& a) { return a.CaptureSetRange(-551); }},
        {"range 1", [](const CTamrelAPI& a) { return a.CaptureSetRange(1); }},
        {"pre-amp 2", [](const CTamrelAPI& a) { return a.CaptureSetPreAmp(2); }},
        {"loop-through 2", [](const CTamrelAPI& a) { return a.CaptureSetLoopThr(2); }},
        {"AGC 4294967295",
         [](const CTamrelAPI& a) { return a.CaptureSetAGC(std::numeric_limits<unsigned>::max()); }},
        {"AGC speed 9", [](const CTamrelAPI& a) { return a.CaptureSetAGCSpeed(9); }},
        {"AGC speed 1001", [](const CTamrelAPI& a) { return a.CaptureSetAGCSpeed(1'001); }},
        {"mode 2", [](const CTamrelAPI& a) { return a.SetCapturePlayMode(2); }},
        {"mode 4", [](const CTamrelAPI& a) { return a.SetCapturePlayMode(4); }},
        {"reference 2", [](const CTamrelAPI& a) { return a.SetRef10M(2); }},
        {"trigger 2", [](const CTamrelAPI& a) { return a.SetTrigger(2); }},
    };
    for (const Case& c : cases) {
        open_fresh(DeviceKind::first_generation);
        const Snapshot before;
        EXPECT_EQ(c.set(api_), api::status_invalid_argument) << c.what;
        EXPECT_EQ(Snapshot{}, before) << c.what;
    }
}

TEST_F(Settings, TheRangeSetsTheCaptureGainToItsNegative) {
    struct Case {
        short range;
        short gain;
    };
    for (const Case c : {Case{-550, 550}, Case{-300, 300}, Case{-1, 1}, Case{0, 0}}) {
        ASSERT_EQ(api_.CaptureSetRange(c.range), 0U) << c.range;
        short gain = 0x5A5A;
        ASSERT_EQ(api_.CaptureGetGain(gain), 0U) << c.range;
        EXPECT_EQ(gain, c.gain) << c.range;
    }
}

TEST_F(Settings, AGainSetThroughTheControlInterfaceOverridesTheRangeUntilTheNextRange) {
    ASSERT_EQ(api_.CaptureSetRange(-300), 0U);
    sim::control::set_capture_gain(-125);
    short gain = 0;
    ASSERT_EQ(api_.CaptureGetGain(gain), 0U);
    EXPECT_EQ(gain, -125);
    short range = 0;
    ASSERT_EQ(api_.CaptureGetRange(range), 0U);
    EXPECT_EQ(range, -300) << "the range is kept";

    ASSERT_EQ(api_.CaptureSetRange(-420), 0U);
    ASSERT_EQ(api_.CaptureGetGain(gain), 0U);
    EXPECT_EQ(gain, 420);
}

TEST_F(Settings, ASecondGenerationBoardRefusesThemAndKeepsItsSettings) {
    open_fresh(DeviceKind::second_generation);
    const Snapshot before;
    const CTamrelAPI& a = api_;
    unsigned u = 0xDEADBEEF;
    short s = 0x5A5A;
    for (const unsigned status :
         {a.PlaySetGain(10), a.PlaySetSpectralInv(1), a.CaptureSetCenterFreq(100'000'000),
          a.CaptureSetRange(-200), a.CaptureSetPreAmp(1), a.CaptureSetLoopThr(1),
          a.CaptureSetAGC(1), a.CaptureSetAGCSpeed(500), a.SetCapturePlayMode(0), a.SetRef10M(1),
          a.SetTrigger(1), a.PlayGetGain(s), a.CaptureGetRange(s), a.PlayGetBW(u),
          a.CaptureGetAGCSpeed(u), a.GetTrigger(u), gc_AD9789.GetArbSymRate(u)}) {
        EXPECT_EQ(status, api::status_wrong_generation);
    }
    EXPECT_EQ(u, 0xDEADBEEF);
    EXPECT_EQ(s, 0x5A5A);
    EXPECT_EQ(Snapshot{}, before);
}

TEST_F(Settings, AnInjectedFaultFailsTheCallWithoutEffectAndThenItWorks) {
    struct Case {
        const char* operation;
        std::function<unsigned(const CTamrelAPI&)> call;
    };
    unsigned u = 0xDEADBEEF;
    short s = 0x5A5A;
    const std::vector<Case> cases = {
        {"CaptureSetRange", [](const CTamrelAPI& a) { return a.CaptureSetRange(-200); }},
        {"SetCapturePlayMode", [](const CTamrelAPI& a) { return a.SetCapturePlayMode(3); }},
        {"PlaySetGain", [](const CTamrelAPI& a) { return a.PlaySetGain(-45); }},
        {"CaptureGetAGCSpeed", [&](const CTamrelAPI& a) { return a.CaptureGetAGCSpeed(u); }},
        {"PlayGetGain", [&](const CTamrelAPI& a) { return a.PlayGetGain(s); }},
        {"CAD9789::GetArbSymRate", [&](const CTamrelAPI&) { return gc_AD9789.GetArbSymRate(u); }},
    };
    for (const Case& c : cases) {
        open_fresh(DeviceKind::first_generation);
        u = 0xDEADBEEF;
        s = 0x5A5A;
        const Snapshot before;
        ASSERT_TRUE(sim::control::fail_next(c.operation, 1, api::status_device_error).ok())
            << c.operation;
        EXPECT_EQ(c.call(api_), api::status_device_error) << c.operation;
        EXPECT_EQ(Snapshot{}, before) << c.operation;
        EXPECT_EQ(u, 0xDEADBEEF) << c.operation;
        EXPECT_EQ(s, 0x5A5A) << c.operation;
        EXPECT_EQ(c.call(api_), 0U) << c.operation;
    }
}

TEST_F(Settings, SettersLogTheirArguments) {
    struct Case {
        std::function<unsigned(const CTamrelAPI&)> call;
        const char* operation;
        const char* arguments;
    };
    const std::vector<Case> cases = {
        {[](const CTamrelAPI& a) { return a.PlaySetGain(-45); }, "PlaySetGain", "gain=-45"},
        {[](const CTamrelAPI& a) { return a.PlaySetSpectralInv(1); }, "PlaySetSpectralInv", "on=1"},
        {[](const CTamrelAPI& a) { return a.CaptureSetCenterFreq(474'000'000); },
         "CaptureSetCenterFreq", "hz=474000000"},
        {[](const CTamrelAPI& a) { return a.CaptureSetRange(-550); }, "CaptureSetRange",
         "range=-550"},
        {[](const CTamrelAPI& a) { return a.CaptureSetAGCSpeed(250); }, "CaptureSetAGCSpeed",
         "ms=250"},
        {[](const CTamrelAPI& a) { return a.SetCapturePlayMode(3); }, "SetCapturePlayMode",
         "mode=3"},
        {[](const CTamrelAPI& a) { return a.SetRef10M(1); }, "SetRef10M", "external=1"},
        {[](const CTamrelAPI& a) { return a.SetTrigger(0); }, "SetTrigger", "on=0"},
        // Logged before the range is checked, so a refused value shows too.
        {[](const CTamrelAPI& a) { return a.CaptureSetAGC(7); }, "CaptureSetAGC", "on=7"},
    };
    for (const Case& c : cases) {
        open_fresh(DeviceKind::first_generation);
        c.call(api_);
        const std::vector<sim::CallRecord> calls = sim::control::calls();
        ASSERT_EQ(calls.size(), 1U) << c.operation;
        EXPECT_EQ(calls[0].operation, c.operation);
        EXPECT_EQ(calls[0].arguments, c.arguments) << c.operation;
    }
}

}  // namespace
}  // namespace tamrel::test
