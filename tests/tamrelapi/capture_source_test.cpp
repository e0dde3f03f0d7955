// The capture DMA of both generations: what a read delivers before, during and after a run, the
// rate each generation captures at, the board FIFO and its losses, the content and level of the
// samples, and the settings of the data path.

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "capture_support.hpp"
#include "sim_fixture.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;
using sim::CaptureContent;

constexpr api::CapturePacing kUnpaced{true, 1.0};
constexpr api::CapturePacing kFast{false, 20.0};  // a second of the board in 50 ms
constexpr api::CapturePacing kRealTime{false, 1.0};
constexpr unsigned kSmallFifo = 64U << 10;

class Capture : public SimTest, public ::testing::WithParamInterface<DeviceKind> {
protected:
    void SetUp() override {
        SimTest::SetUp();
        open_fresh(GetParam());
    }
    DeviceKind kind() const { return GetParam(); }
};

TEST_P(Capture, BeforeStartAndAfterStopAReadTakesNothing) {
    sim::control::set_capture_content(CaptureContent::counter);
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    for (int phase = 0; phase < 2; ++phase) {  // 0 before Start, 1 after Stop
        std::vector<unsigned char> buffer(4096, 0xA5);
        unsigned transferred = 77;
        EXPECT_EQ(read_capture(kind(), buffer.data(), 4096, transferred), 0U);
        EXPECT_EQ(transferred, 0U) << "phase " << phase;
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](unsigned char c) {
            return c == 0xA5;
        })) << "phase " << phase;
        if (phase == 0) {
            EXPECT_EQ(sim::control::capture_stats(), sim::CaptureStats{});
            ASSERT_EQ(start_capture(kind()), 0U);
            EXPECT_EQ(read_block(kind(), 8).size(), 8U);
            ASSERT_EQ(stop_capture(kind()), 0U);
        }
    }
    const sim::CaptureStats stats = sim::control::capture_stats();
    EXPECT_FALSE(stats.running);
    EXPECT_EQ(stats.delivered, 8U);
}

TEST_P(Capture, CounterContentRunsOnAcrossReadsOfAnySize) {
    sim::control::set_capture_content(CaptureContent::counter);
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(start_capture(kind()), 0U);

    constexpr unsigned kSizes[] = {4096, 1, 3, 12, 65536, 7, 5, 1U << 20, 2, 4};
    std::vector<unsigned char> received;
    for (int round = 0; round < 3; ++round) {
        for (const unsigned size : kSizes) {
            const std::vector<unsigned char> block = read_block(kind(), size);
            ASSERT_EQ(block.size(), size);
            received.insert(received.end(), block.begin(), block.end());
        }
    }
    for (std::size_t at = 0; at < received.size(); ++at) {
        ASSERT_EQ(received[at], counter_byte(at)) << "byte " << at;
    }
    const sim::CaptureStats stats = sim::control::capture_stats();
    EXPECT_EQ(stats.delivered, received.size());
    EXPECT_EQ(stats.lost, 0U);
    EXPECT_TRUE(stats_add_up(stats));
}

TEST_P(Capture, ARunLimitEndsTheStreamAfterExactlyThatManyBytes) {
    sim::control::set_capture_content(CaptureContent::counter);
    sim::control::set_capture_run_limit(3 * 4096);
    for (const api::CapturePacing pacing : {kUnpaced, kFast}) {
        ASSERT_TRUE(sim::control::set_capture_pacing(pacing).ok());
        ASSERT_EQ(start_capture(kind()), 0U);  // the limit holds for every run
        for (int block = 0; block < 3; ++block) {
            const std::vector<unsigned char> got = read_block(kind(), 4096);
            ASSERT_EQ(got.size(), 4096U);
            EXPECT_EQ(got[0], counter_byte(static_cast<std::size_t>(block) * 4096));
        }
        std::vector<unsigned char> buffer(4096);
        unsigned transferred = 1;
        EXPECT_EQ(read_capture(kind(), buffer.data(), 4096, transferred), 0U);
        EXPECT_EQ(transferred, 0U);
        const sim::CaptureStats stats = sim::control::capture_stats();
        EXPECT_EQ(stats.produced, 3U * 4096);
        EXPECT_EQ(stats.lost, 0U);
        ASSERT_EQ(stop_capture(kind()), 0U);
    }
}

TEST_P(Capture, AFullFifoLosesWhatArrivesAndTheStreamShowsTheGap) {
    sim::control::set_capture_content(CaptureContent::counter);
    sim::control::set_capture_fifo_capacity(kSmallFifo);
    ASSERT_TRUE(sim::control::set_capture_pacing(kFast).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    ASSERT_TRUE(eventually([] { return sim::control::capture_stats().lost > 0; }));
    const std::uint64_t lost_before = sim::control::capture_stats().lost;

    // The FIFO kept the first samples of the run, whole and in order...
    const std::vector<unsigned char> full = read_block(kind(), kSmallFifo);
    ASSERT_EQ(full.size(), kSmallFifo);
    for (std::uint32_t n = 0; n < kSmallFifo / 4; ++n) {
        ASSERT_EQ(counter_at(&full[n * 4]), n);
    }
    // ...and the samples that arrived while it was full are missing from the stream.
    const std::vector<unsigned char> next = read_block(kind(), 4);
    ASSERT_EQ(next.size(), 4U);
    const std::uint64_t gap = counter_at(next.data()) - kSmallFifo / 4;
    const sim::CaptureStats stats = sim::control::capture_stats();
    EXPECT_GE(gap * 4, lost_before);
    EXPECT_LE(gap * 4, stats.lost);
    EXPECT_TRUE(stats_add_up(stats));
    EXPECT_EQ(stats.discarded, 0U);
}

TEST_P(Capture, TheSignalFollowsInputLevelCaptureGainAndCalibration) {
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    const double cal_db = sim::control::calibration().capture_iq_power_offset_db;
    struct Level {
        short gain_tenth_db;
        double input_dbm;
    };
    // Within one run: the level follows each change from the next read.
    for (const Level level : {Level{0, -30.0}, Level{250, -50.0}, Level{-120, -35.0}}) {
        sim::control::set_capture_gain(level.gain_tenth_db);
        ASSERT_TRUE(sim::control::set_input_level_dbm(level.input_dbm).ok());
        const std::vector<unsigned char> block = read_block(kind(), 4U << 20);
        ASSERT_EQ(block.size(), 4U << 20);
        EXPECT_NEAR(recorder_power_dbm(block, level.gain_tenth_db / 10.0, cal_db),
                    level.input_dbm, 0.2)
            << "gain " << level.gain_tenth_db << " input " << level.input_dbm;
    }
}

TEST_P(Capture, ASignalBeyondFullScaleSaturatesInsteadOfWrapping) {
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_TRUE(sim::control::set_input_level_dbm(20.0).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    const std::vector<unsigned char> block = read_block(kind(), 1U << 20);
    ASSERT_EQ(block.size(), 1U << 20);
    const double cal_db = sim::control::calibration().capture_iq_power_offset_db;
    // A tone at full scale reads about 3 dB below full scale per component; values that wrapped
    // would scatter the power far lower.
    const double full_scale_dbm = cal_db - 11.3 + 1.888;
    const double power = recorder_power_dbm(block, 0.0, cal_db);
    EXPECT_GT(power, full_scale_dbm - 4.5);
    EXPECT_LT(power, full_scale_dbm - 2.5);
}

TEST_P(Capture, ConstantContentRepeatsTheSampleSet) {
    sim::control::set_capture_content(CaptureContent::constant);
    sim::control::set_constant_sample(-2, 0x1234);
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    ASSERT_EQ(read_block(kind(), 3).size(), 3U);  // a read may end inside a sample
    const std::vector<unsigned char> block = read_block(kind(), 10001);
    ASSERT_EQ(block.size(), 10001U);
    constexpr unsigned char kSample[] = {0xFE, 0xFF, 0x34, 0x12};
    for (std::size_t at = 0; at < block.size(); ++at) {
        ASSERT_EQ(block[at], kSample[(at + 3) % 4]) << "byte " << at;
    }
}

TEST_P(Capture, GetFifoReportsTheCaptureFifoWhileCaptureHasData) {
    sim::control::set_fifo_level(1234);
    sim::control::set_capture_fifo_capacity(kSmallFifo);
    unsigned fifo = 0;
    ASSERT_EQ(api_.GetFifo(fifo), 0U);
    EXPECT_EQ(fifo, 1234U) << "before a run: the reading";

    ASSERT_TRUE(sim::control::set_capture_pacing(kFast).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    ASSERT_TRUE(eventually([] { return sim::control::capture_stats().waiting == kSmallFifo; }));
    ASSERT_EQ(stop_capture(kind()), 0U);
    ASSERT_EQ(api_.GetFifo(fifo), 0U);
    EXPECT_EQ(fifo, kSmallFifo) << "stopped with the FIFO full";

    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    ASSERT_EQ(api_.GetFifo(fifo), 0U);
    EXPECT_EQ(fifo, kSmallFifo) << "unpaced: always full";
}

TEST_P(Capture, AReadTakesAllItAsksForOrNothing) {
    sim::control::set_capture_content(CaptureContent::counter);
    // 1000 samples, 4000 bytes, a second: the first generation's slowest rate slowed down.
    if (kind() == DeviceKind::first_generation) {
        ASSERT_TRUE(sim::control::set_capture_pacing({false, 1e-4}).ok());
    } else {
        ASSERT_TRUE(sim::control::set_capture_pacing(kRealTime).ok());
        ASSERT_EQ(api_.Tm2RecordSetIQRate(1000), 0U);
    }
    ASSERT_EQ(start_capture(kind()), 0U);
    ASSERT_TRUE(eventually([] { return sim::control::capture_stats().waiting >= 8; }));

    // 64 KiB take 16 s to arrive: the read gives up and takes nothing.
    std::vector<unsigned char> buffer(64U << 10, 0xA5);
    unsigned transferred = 77;
    ASSERT_EQ(read_capture(kind(), buffer.data(), 64U << 10, transferred), 0U);
    EXPECT_EQ(transferred, 0U);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](unsigned char c) {
        return c == 0xA5;
    }));
    EXPECT_EQ(sim::control::capture_stats().delivered, 0U);
    // What waited is still there, from the run's first byte.
    const std::vector<unsigned char> first = read_block(kind(), 6);
    const std::vector<unsigned char> second = read_block(kind(), 2);
    ASSERT_EQ(first.size(), 6U);
    ASSERT_EQ(second.size(), 2U);
    for (std::size_t at = 0; at < 6; ++at) EXPECT_EQ(first[at], counter_byte(at));
    for (std::size_t at = 0; at < 2; ++at) EXPECT_EQ(second[at], counter_byte(6 + at));
}

TEST_P(Capture, AResetStopsTheSourceAndRestoresItsDefaults) {
    sim::control::set_capture_content(CaptureContent::counter);
    sim::control::set_capture_fifo_capacity(4096);
    ASSERT_TRUE(sim::control::set_input_level_dbm(-60.0).ok());
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    ASSERT_EQ(read_block(kind(), 400).size(), 400U);

    open_fresh(kind());
    EXPECT_EQ(sim::control::capture_stats(), sim::CaptureStats{});
    EXPECT_EQ(sim::control::transfer_settings(), sim::TransferSettings{});
    // Signal content at -30 dBm, through a FIFO far larger than 4096 bytes.
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(start_capture(kind()), 0U);
    const std::vector<unsigned char> block = read_block(kind(), 4U << 20);
    ASSERT_EQ(block.size(), 4U << 20);
    const double cal_db = sim::control::calibration().capture_iq_power_offset_db;
    EXPECT_NEAR(recorder_power_dbm(block, 0.0, cal_db), -30.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Generations, Capture,
                         ::testing::Values(DeviceKind::first_generation,
                                           DeviceKind::second_generation),
                         KindName{});

TEST_F(SimTest, EachGenerationCapturesAtTheRateInForceWhenStarted) {
    struct Case {
        DeviceKind kind;
        std::function<unsigned()> set_up;
        unsigned rate;
    };
    const CTamrelAPI api;
    const std::vector<Case> cases = {
        {DeviceKind::first_generation, [] { return 0U; }, 10'000'000},
        {DeviceKind::first_generation, [&] { return api.CaptureSetBW(1); }, 30'000'000},
        {DeviceKind::first_generation,
         [&] {
             const unsigned status = api.CaptureSetBW(1);
             return status != 0 ? status : api.CaptureSetBW(0);
         },
         10'000'000},
        {DeviceKind::second_generation, [] { return 0U; }, 60'000'000},
        {DeviceKind::second_generation, [&] { return api.Tm2RecordSetIQRate(1000); }, 1000},
        {DeviceKind::second_generation, [&] { return api.Tm2RecordSetIQRate(70'000'000); },
         70'000'000},
    };
    for (const Case& c : cases) {
        open_fresh(c.kind);
        ASSERT_EQ(c.set_up(), 0U);
        ASSERT_EQ(start_capture(c.kind), 0U);
        EXPECT_EQ(sim::control::capture_stats().rate, c.rate) << api::device_kind_name(c.kind);
        // A change while running waits for the next start.
        unsigned next_rate = 2'000'000;
        if (c.kind == DeviceKind::first_generation) {
            const bool narrow = c.rate == 10'000'000;
            ASSERT_EQ(api.CaptureSetBW(narrow ? 1 : 0), 0U);
            next_rate = narrow ? 30'000'000 : 10'000'000;
        } else {
            ASSERT_EQ(api.Tm2RecordSetIQRate(next_rate), 0U);
        }
        EXPECT_EQ(sim::control::capture_stats().rate, c.rate);
        ASSERT_EQ(start_capture(c.kind), 0U);
        EXPECT_EQ(sim::control::capture_stats().rate, next_rate);
    }
}

TEST_F(SimTest, FifoResetEmptiesWhatWaitsWithoutCountingItLost) {
    open_fresh(DeviceKind::first_generation);
    sim::control::set_capture_content(CaptureContent::counter);
    sim::control::set_capture_fifo_capacity(kSmallFifo);
    sim::control::set_fifo_level(777);
    ASSERT_TRUE(sim::control::set_capture_pacing(kFast).ok());

    // Stopped with the FIFO full: the reset empties it, and GetFifo is the reading again.
    ASSERT_EQ(api_.Start(), 0U);
    ASSERT_TRUE(eventually([] { return sim::control::capture_stats().waiting == kSmallFifo; }));
    ASSERT_EQ(api_.Stop(), 0U);
    const std::uint64_t lost = sim::control::capture_stats().lost;
    ASSERT_EQ(api_.FifoReset(), 0U);
    sim::CaptureStats stats = sim::control::capture_stats();
    EXPECT_EQ(stats.waiting, 0U);
    EXPECT_EQ(stats.discarded, kSmallFifo);
    EXPECT_EQ(stats.lost, lost);
    EXPECT_TRUE(stats_add_up(stats));
    unsigned fifo = 0;
    ASSERT_EQ(api_.GetFifo(fifo), 0U);
    EXPECT_EQ(fifo, 777U);

    // Running: the samples emptied are never delivered; the run goes on after them.
    ASSERT_EQ(api_.Start(), 0U);
    EXPECT_EQ(sim::control::capture_stats().discarded, 0U) << "a start counts afresh";
    ASSERT_TRUE(eventually([] { return sim::control::capture_stats().waiting == kSmallFifo; }));
    ASSERT_EQ(api_.FifoReset(), 0U);
    const std::vector<unsigned char> next = read_block(DeviceKind::first_generation, 4);
    ASSERT_EQ(next.size(), 4U);
    EXPECT_GE(counter_at(next.data()), kSmallFifo / 4);
    stats = sim::control::capture_stats();
    EXPECT_GE(stats.discarded, kSmallFifo);
    EXPECT_TRUE(stats_add_up(stats));
}

// Tests that configure the device: the configuration in force is put back afterwards.
class CaptureConfigured : public SimTest {
protected:
    void SetUp() override {
        saved_ = api::device_config();
        SimTest::SetUp();
    }
    void TearDown() override { EXPECT_TRUE(api::configure_device(saved_).ok()); }

    std::vector<unsigned char> first_bytes(std::uint64_t seed) {
        EXPECT_TRUE(
            api::configure_device({DeviceKind::second_generation, kUnpaced, seed}).ok());
        EXPECT_EQ(api_.Tm2Open(0), 0U);
        EXPECT_EQ(api_.Tm2Start(), 0U);
        return read_block(DeviceKind::second_generation, 64U << 10);
    }

    api::DeviceConfig saved_;
};

TEST_F(CaptureConfigured, TheSameSeedGivesTheSameSignalAndAnotherSeedAnother) {
    const std::vector<unsigned char> first = first_bytes(7);
    ASSERT_EQ(first.size(), 64U << 10);
    EXPECT_TRUE(first == first_bytes(7));
    EXPECT_FALSE(first == first_bytes(8));
}

TEST_F(SimTest, ValuesTheBoardCannotTakeAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        DeviceKind kind;
        std::function<unsigned()> call;
    };
    const CTamrelAPI api;
    unsigned transferred = 0;
    std::vector<unsigned char> buffer(8192);
    const std::vector<Case> cases = {
        {"bandwidth 2", DeviceKind::first_generation, [&] { return api.CaptureSetBW(2); }},
        {"power-off mode 2", DeviceKind::first_generation, [&] { return api.SetPowerOffMode(2); }},
        {"record rate 999", DeviceKind::second_generation,
         [&] { return api.Tm2RecordSetIQRate(999); }},
        {"record rate 0", DeviceKind::second_generation, [&] { return api.Tm2RecordSetIQRate(0); }},
        {"record rate 70000001", DeviceKind::second_generation,
         [&] { return api.Tm2RecordSetIQRate(70'000'001); }},
        {"system mode 8", DeviceKind::second_generation, [&] { return api.Tm2SetSystemMode(8); }},
        {"Read into no buffer", DeviceKind::first_generation,
         [&] { return api.Read(nullptr, 4, transferred); }},
        {"Tm2Read into no buffer", DeviceKind::second_generation,
         [&] { return api.Tm2Read(nullptr, 4, transferred); }},
        {"Read beyond the FIFO", DeviceKind::first_generation,
         [&] {
             sim::control::set_capture_fifo_capacity(4096);
             return api.Read(buffer.data(), 4097, transferred);
         }},
        {"Tm2Read beyond the FIFO", DeviceKind::second_generation,
         [&] {
             sim::control::set_capture_fifo_capacity(4096);
             return api.Tm2Read(buffer.data(), 4097, transferred);
         }},
    };
    for (const Case& c : cases) {
        open_fresh(c.kind);
        const sim::TransferSettings settings = sim::control::transfer_settings();
        const sim::Outputs outputs = sim::control::outputs();
        transferred = 77;
        EXPECT_EQ(c.call(), api::status_invalid_argument) << c.what;
        EXPECT_EQ(transferred, 77U) << c.what;
        EXPECT_EQ(sim::control::transfer_settings(), settings) << c.what;
        EXPECT_EQ(sim::control::outputs(), outputs) << c.what;
    }
}

TEST_F(SimTest, TheLimitsOfTheRecordRateAndSystemModeAreAccepted) {
    open_fresh(DeviceKind::second_generation);
    unsigned value = 0;
    ASSERT_EQ(api_.Tm2RecordGetIQRate(value), 0U);
    EXPECT_EQ(value, 60'000'000U);
    ASSERT_EQ(api_.Tm2GetSystemMode(value), 0U);
    EXPECT_EQ(value, 0U);
    for (const unsigned rate : {1'000U, 70'000'000U}) {
        ASSERT_EQ(api_.Tm2RecordSetIQRate(rate), 0U);
        ASSERT_EQ(api_.Tm2RecordGetIQRate(value), 0U);
        EXPECT_EQ(value, rate);
    }
    ASSERT_EQ(api_.Tm2SetSystemMode(7), 0U);
    ASSERT_EQ(api_.Tm2GetSystemMode(value), 0U);
    EXPECT_EQ(value, 7U);
    ASSERT_EQ(api_.Tm2GetDMASpeed(value), 0U);
    EXPECT_EQ(value, sim::control::readings().dma_speed);

    open_fresh(DeviceKind::first_generation);
    ASSERT_EQ(api_.CaptureGetBW(value), 0U);
    EXPECT_EQ(value, 0U);
    ASSERT_EQ(api_.CaptureSetBW(1), 0U);
    ASSERT_EQ(api_.CaptureGetBW(value), 0U);
    EXPECT_EQ(value, 1U);
}

TEST_F(SimTest, TheDataPathSettingsOfTheSessionAreRecorded) {
    open_fresh(DeviceKind::first_generation);
    ASSERT_EQ(api_.SetPowerOffMode(1), 0U);
    EXPECT_TRUE(sim::control::outputs().capture_path_powered_off);
    EXPECT_FALSE(sim::control::outputs().play_path_powered_off);
    ASSERT_EQ(api_.SetPowerOffMode(0), 0U);
    EXPECT_TRUE(sim::control::outputs().play_path_powered_off);
    ASSERT_EQ(api_.PlaySetRfOutEnable(true), 0U);
    EXPECT_TRUE(sim::control::outputs().rf_out_enabled);
    ASSERT_EQ(api_.PlaySetRfOutEnable(false), 0U);
    EXPECT_FALSE(sim::control::outputs().rf_out_enabled);

    open_fresh(DeviceKind::second_generation);
    ASSERT_EQ(api_.HDRadio_SetDMAInitCtrl(8192), 0U);
    EXPECT_EQ(sim::control::outputs().hdradio_dma_block_bytes, 8192U);
}

TEST_F(SimTest, SetUpForPlayTheSecondGenerationDmaCapturesNothing) {
    open_fresh(DeviceKind::second_generation);
    ASSERT_TRUE(sim::control::set_capture_pacing(kUnpaced).ok());
    ASSERT_EQ(api_.Tm2SetDMAInitCtrl(false, 2'000'000), 0U);
    EXPECT_FALSE(sim::control::transfer_settings().dma_capture);
    EXPECT_EQ(sim::control::transfer_settings().dma_play_rate, 2'000'000U);
    ASSERT_EQ(api_.Tm2Start(), 0U);
    EXPECT_FALSE(sim::control::capture_stats().running);
    EXPECT_TRUE(read_block(DeviceKind::second_generation, 4096).empty());

    // Back to capture: the rate given is not the record rate and changes nothing.
    ASSERT_EQ(api_.Tm2SetDMAInitCtrl(true, 5), 0U);
    EXPECT_EQ(sim::control::transfer_settings().dma_play_rate, 2'000'000U);
    ASSERT_EQ(api_.Tm2Start(), 0U);
    EXPECT_EQ(sim::control::capture_stats().rate, 60'000'000U);
    EXPECT_EQ(read_block(DeviceKind::second_generation, 4096).size(), 4096U);
}

TEST_F(CaptureConfigured, ThePacingCanChangeForARunButNotToAnImpossibleFactor) {
    ASSERT_TRUE(api::configure_device({DeviceKind::second_generation, kRealTime, 1}).ok());
    const double bad_factors[] = {0.0, -1.0, std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (const double factor : bad_factors) {
        EXPECT_EQ(sim::control::set_capture_pacing({false, factor}).code(),
                  platform::Errc::invalid_argument)
            << factor;
    }
    EXPECT_TRUE(sim::control::set_capture_pacing({true, 0.0}).ok()) << "unpaced needs no factor";
    EXPECT_EQ(sim::control::set_input_level_dbm(std::numeric_limits<double>::quiet_NaN()).code(),
              platform::Errc::invalid_argument);

    // The configured pacing is untouched, and a reset returns to it.
    EXPECT_EQ(api::device_config().pacing, kRealTime);
    open_fresh(DeviceKind::second_generation);
    ASSERT_EQ(api_.Tm2RecordSetIQRate(1000), 0U);
    ASSERT_EQ(api_.Tm2Start(), 0U);
    EXPECT_TRUE(read_block(DeviceKind::second_generation, 64U << 10).empty())
        << "paced at 4000 bytes a second";
}

}  // namespace
}  // namespace tamrel::test
