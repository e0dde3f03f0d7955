// The play DMA of both generations: writes refused before a start, the session's start sequence,
// the record of what was received, all-or-nothing writes into a full FIFO, underruns, what stop
// and the FIFO reset discard, the byte indicator, the play settings, and the play sink model on
// its own where the device library cannot reach (priming, the record clear, bad arguments).

#include <chrono>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "capture_support.hpp"
#include "play_support.hpp"
#include "sim_fixture.hpp"
#include "tamrelapi/sim/play_sink.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;
using sim::PlayHash;
using sim::PlayStats;

constexpr api::CapturePacing kUnpaced{true, 1.0};
constexpr api::CapturePacing kRealTime{false, 1.0};
// At 1,000 samples/s a sample every 10 s: within a test nothing is played.
constexpr api::CapturePacing kStill{false, 1e-4};
constexpr unsigned kSlowRate = 1'000;
constexpr unsigned kSmallFifo = 64U << 10;

PlayHash hash_of(const std::vector<std::vector<unsigned char>>& blocks) {
    PlayHash hash;
    for (const auto& block : blocks) hash.update(block.data(), block.size());
    return hash;
}

class Play : public SimTest, public ::testing::WithParamInterface<DeviceKind> {
protected:
    void SetUp() override {
        SimTest::SetUp();
        open_fresh(GetParam());
    }
    DeviceKind kind() const { return GetParam(); }
};

TEST_P(Play, BeforeStartAndAfterStopAWriteIsRefusedAndNothingIsReceived) {
    const std::vector<unsigned char> block = pattern(4096, 1);
    for (int phase = 0; phase < 2; ++phase) {  // 0 before the start, 1 after the stop
        unsigned transferred = 77;
        EXPECT_EQ(write_play(kind(), block.data(), 4096, transferred), api::status_play_not_started)
            << "phase " << phase;
        EXPECT_EQ(transferred, 77U) << "phase " << phase;
        EXPECT_EQ(byte_indicator(), 0U) << "phase " << phase;
        if (phase == 0) {
            EXPECT_EQ(sim::control::play_stats().received, 0U);
            ASSERT_EQ(start_play(kind(), 1'000'000), 0U);
            ASSERT_EQ(write_block(kind(), pattern(16, 2)), 16U);
            ASSERT_EQ(stop_play(kind()), 0U);
        }
    }
    const PlayStats stats = sim::control::play_stats();
    EXPECT_FALSE(stats.running);
    EXPECT_EQ(stats.refused_not_started, 2U);
    EXPECT_EQ(stats.received, 16U);
    EXPECT_EQ(stats.writes_taken, 1U);
}

TEST_P(Play, TheSessionsStartSequenceTakesTheRefusedBlockOnce) {
    ASSERT_TRUE(sim::control::set_play_pacing(kUnpaced).ok());
    unsigned rate = 0;
    if (kind() == DeviceKind::first_generation) {
        ASSERT_EQ(api_.PlaySetRfOutEnable(true), 0U);
        ASSERT_EQ(api_.FifoReset(), 0U);
        rate = 10'000'000;  // PlaySetBW's default
    } else {
        rate = 5'000'000;
        ASSERT_EQ(api_.Tm2SetDMAInitCtrl(false, rate), 0U);
    }
    const std::vector<unsigned char> block = pattern(1U << 20, 3);
    unsigned transferred = 0;
    ASSERT_EQ(write_play(kind(), block.data(), 1U << 20, transferred),
              api::status_play_not_started);
    ASSERT_EQ(kind() == DeviceKind::first_generation ? api_.Start() : api_.Tm2Start(), 0U);
    ASSERT_EQ(write_play(kind(), block.data(), 1U << 20, transferred), 0U);
    EXPECT_EQ(transferred, 1U << 20);
    EXPECT_EQ(byte_indicator(), 1U);

    const PlayStats stats = sim::control::play_stats();
    EXPECT_TRUE(stats.running);
    EXPECT_EQ(stats.rate, rate);
    EXPECT_EQ(stats.received, 1U << 20);
    EXPECT_EQ(stats.hash, hash_of({block}).value());
    EXPECT_EQ(stats.writes_taken, 1U);
    EXPECT_EQ(stats.refused_not_started, 1U);
}

TEST_P(Play, TheRecordIsExactlyTheBytesTakenInOrderAcrossRuns) {
    ASSERT_TRUE(sim::control::set_play_pacing(kUnpaced).ok());
    constexpr unsigned kSizes[] = {1U << 20, 1, 3, 4096, 7, 65536, 5};
    PlayHash expected;
    std::uint64_t seed = 10;
    auto write_all = [&] {
        for (const unsigned size : kSizes) {
            const std::vector<unsigned char> block = pattern(size, ++seed);
            ASSERT_EQ(write_block(kind(), block), size);
            expected.update(block.data(), block.size());
        }
    };
    ASSERT_EQ(start_play(kind(), 1'000'000), 0U);
    write_all();
    // Writes that take nothing add nothing: an empty one, one without a buffer, one between runs.
    unsigned transferred = 77;
    EXPECT_EQ(write_play(kind(), pattern(8, 99).data(), 0, transferred), 0U);
    EXPECT_EQ(transferred, 0U);
    EXPECT_EQ(write_play(kind(), nullptr, 16, transferred), api::status_invalid_argument);
    ASSERT_EQ(stop_play(kind()), 0U);
    EXPECT_EQ(write_play(kind(), pattern(8, 98).data(), 8, transferred),
              api::status_play_not_started);
    ASSERT_EQ(start_play(kind(), 1'000'000), 0U);
    write_all();

    const PlayStats stats = sim::control::play_stats();
    EXPECT_EQ(stats.received, expected.bytes());
    EXPECT_EQ(stats.hash, expected.value());
    EXPECT_EQ(stats.writes_taken, 2 * std::size(kSizes));
    EXPECT_EQ(stats.refused_not_started, 1U);
    EXPECT_EQ(stats.consumed, stats.received) << "unpaced: played at once";
}

TEST_P(Play, AFullFifoTakesAWriteWholeOrNotAtAll) {
    ASSERT_TRUE(sim::control::set_play_pacing(kStill).ok());
    sim::control::set_play_fifo_capacity(kSmallFifo);
    ASSERT_EQ(start_play(kind(), kSlowRate), 0U);
    const std::vector<unsigned char> full = pattern(kSmallFifo, 4);
    ASSERT_EQ(write_block(kind(), full), kSmallFifo);

    // No room comes within the wait: the write gives up and takes nothing.
    const std::vector<unsigned char> more = pattern(4096, 5);
    unsigned transferred = 77;
    ASSERT_EQ(write_play(kind(), more.data(), 4096, transferred), 0U);
    EXPECT_EQ(transferred, 0U);
    EXPECT_EQ(byte_indicator(), 0U);
    const PlayStats stats = sim::control::play_stats();
    EXPECT_EQ(stats.received, kSmallFifo);
    EXPECT_EQ(stats.hash, hash_of({full}).value());
    EXPECT_EQ(stats.writes_taken, 1U);
    EXPECT_EQ(stats.writes_empty, 1U);
    EXPECT_EQ(stats.waiting, kSmallFifo);
}

TEST_P(Play, UnpacedTheFifoIsNeverFullAndNeverRunsDry) {
    ASSERT_TRUE(sim::control::set_play_pacing(kUnpaced).ok());
    sim::control::set_play_fifo_capacity(kSmallFifo);
    ASSERT_EQ(start_play(kind(), 70'000'000), 0U);
    const std::vector<unsigned char> block = pattern(kSmallFifo, 6);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(write_block(kind(), block), kSmallFifo) << i;
    EXPECT_EQ(byte_indicator(), 1U);
    const PlayStats stats = sim::control::play_stats();
    EXPECT_EQ(stats.received, 64U * kSmallFifo);
    EXPECT_EQ(stats.consumed, stats.received);
    EXPECT_EQ(stats.waiting, 0U);
    EXPECT_EQ(stats.writes_empty, 0U);
    EXPECT_EQ(stats.underruns, 0U);
    EXPECT_EQ(stats.starved, 0U);
}

TEST_P(Play, AWriterThatKeepsUpCausesNoUnderrun) {
    // 2,000,000 bytes a second through a 4 MiB FIFO: the writer keeps it nearly full, so it would
    // have to stall for two seconds to let it run dry.
    ASSERT_TRUE(sim::control::set_play_pacing(kRealTime).ok());
    sim::control::set_play_fifo_capacity(4U << 20);
    ASSERT_EQ(start_play(kind(), 500'000), 0U);
    const std::vector<unsigned char> block = pattern(64U << 10, 7);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (sim::control::play_stats().consumed < (1U << 20) &&
           std::chrono::steady_clock::now() < deadline) {
        write_block(kind(), block);
    }
    const PlayStats stats = sim::control::play_stats();
    ASSERT_GE(stats.consumed, 1U << 20);
    EXPECT_EQ(stats.underruns, 0U);
    EXPECT_EQ(stats.starved, 0U);
    EXPECT_EQ(stats.received, stats.writes_taken * block.size());
    EXPECT_TRUE(play_stats_add_up(stats));
}

TEST_P(Play, AWriterThatStopsCausesOneUnderrunPerDryEpisode) {
    ASSERT_TRUE(sim::control::set_play_pacing(kRealTime).ok());
    ASSERT_EQ(start_play(kind(), 1'000'000), 0U);  // 4096 bytes last about a millisecond
    const std::vector<unsigned char> block = pattern(4096, 8);
    ASSERT_EQ(write_block(kind(), block), 4096U);
    ASSERT_TRUE(eventually([] { return sim::control::play_stats().underruns == 1; }));

    // Starving on, the sink stays in the same episode...
    const std::uint64_t starved = sim::control::play_stats().starved;
    ASSERT_TRUE(eventually([&] { return sim::control::play_stats().starved >= starved + 40'000; }));
    EXPECT_EQ(sim::control::play_stats().underruns, 1U);
    // ...which the next bytes end; running dry again is the next episode.
    ASSERT_EQ(write_block(kind(), block), 4096U);
    ASSERT_TRUE(eventually([] { return sim::control::play_stats().underruns == 2; }));
    const PlayStats stats = sim::control::play_stats();
    EXPECT_EQ(stats.consumed, 8192U);
    EXPECT_EQ(stats.waiting, 0U);
    EXPECT_TRUE(play_stats_add_up(stats));
}

TEST_P(Play, TheStopSequenceDiscardsWhatWaitsAndCountsIt) {
    ASSERT_TRUE(sim::control::set_play_pacing(kStill).ok());
    ASSERT_EQ(start_play(kind(), kSlowRate), 0U);
    ASSERT_EQ(write_block(kind(), pattern(1000, 9)), 1000U);
    ASSERT_EQ(stop_play(kind()), 0U);
    const PlayStats stats = sim::control::play_stats();
    EXPECT_FALSE(stats.running);
    EXPECT_EQ(stats.discarded, 1000U);
    EXPECT_EQ(stats.waiting, 0U);
    EXPECT_EQ(stats.received, 1000U) << "what was received stays in the record";
    EXPECT_TRUE(play_stats_add_up(stats));
}

TEST_P(Play, TheByteIndicatorIsOneWhileRunningAfterAWholeWrite) {
    ASSERT_TRUE(sim::control::set_play_pacing(kStill).ok());
    sim::control::set_play_fifo_capacity(kSmallFifo);
    const std::vector<unsigned char> full = pattern(kSmallFifo, 10);
    const std::vector<unsigned char> small = pattern(4, 11);
    struct Step {
        const char* what;
        std::function<void()> act;
        unsigned indicator;
    };
    const std::vector<Step> steps = {
        {"opened", [] {}, 0},
        {"started", [&] { ASSERT_EQ(start_play(kind(), kSlowRate), 0U); }, 0},
        {"a whole write", [&] { ASSERT_EQ(write_block(kind(), full), kSmallFifo); }, 1},
        {"a write without room", [&] { ASSERT_EQ(write_block(kind(), small), 0U); }, 0},
        {"room again",
         [&] {
             ASSERT_TRUE(sim::control::set_play_pacing(kUnpaced).ok());
             ASSERT_EQ(write_block(kind(), small), 4U);
         },
         1},
        {"stopped", [&] { ASSERT_EQ(stop_play(kind()), 0U); }, 0},
        {"started again", [&] { ASSERT_EQ(start_play(kind(), kSlowRate), 0U); }, 0},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(byte_indicator(), step.indicator) << step.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Generations, Play,
                         ::testing::Values(DeviceKind::first_generation,
                                           DeviceKind::second_generation),
                         KindName{});

TEST_F(SimTest, TheFirstGenerationPlaysWhileItsRfOutputIsOnAndCapturesOtherwise) {
    open_fresh(DeviceKind::first_generation);
    ASSERT_EQ(api_.PlaySetBW(1, 30'000'000), 0U);
    struct Step {
        bool rf_out;
        bool playing;  // else capturing
    };
    for (const Step step : {Step{false, false}, Step{true, true}, Step{false, false}}) {
        ASSERT_EQ(api_.PlaySetRfOutEnable(step.rf_out), 0U);
        ASSERT_EQ(api_.Start(), 0U);
        EXPECT_EQ(sim::control::play_stats().running, step.playing) << "RF " << step.rf_out;
        EXPECT_EQ(sim::control::capture_stats().running, !step.playing) << "RF " << step.rf_out;
        if (step.playing) {
            EXPECT_EQ(sim::control::play_stats().rate, 30'000'000U);
        } else {
            EXPECT_EQ(sim::control::capture_stats().rate, 10'000'000U);
        }
    }
    // Stop ends both directions, whatever the RF output says.
    ASSERT_EQ(api_.PlaySetRfOutEnable(true), 0U);
    ASSERT_EQ(api_.Start(), 0U);
    ASSERT_EQ(api_.PlaySetRfOutEnable(false), 0U);
    ASSERT_EQ(api_.Stop(), 0U);
    EXPECT_FALSE(sim::control::play_stats().running);
    EXPECT_FALSE(sim::control::capture_stats().running);
}

TEST_F(SimTest, FifoResetEmptiesThePlayFifoAndTheRunGoesOn) {
    open_fresh(DeviceKind::first_generation);
    ASSERT_TRUE(sim::control::set_play_pacing(kStill).ok());
    ASSERT_EQ(start_play(DeviceKind::first_generation, kSlowRate), 0U);
    ASSERT_EQ(write_block(DeviceKind::first_generation, pattern(1000, 12)), 1000U);
    ASSERT_EQ(api_.FifoReset(), 0U);
    PlayStats stats = sim::control::play_stats();
    EXPECT_TRUE(stats.running);
    EXPECT_EQ(stats.discarded, 1000U);
    EXPECT_EQ(stats.waiting, 0U);
    ASSERT_EQ(write_block(DeviceKind::first_generation, pattern(600, 13)), 600U);
    stats = sim::control::play_stats();
    EXPECT_EQ(stats.waiting, 600U);
    EXPECT_EQ(stats.received, 1600U);
    EXPECT_EQ(stats.underruns, 0U);
    EXPECT_TRUE(play_stats_add_up(stats));
}

TEST_F(SimTest, TheSecondGenerationPlaysAtTheDmaRateAndOnlyInThePlayDirection) {
    open_fresh(DeviceKind::second_generation);
    ASSERT_EQ(api_.Tm2PlaySetIQRate(3'000'000), 0U);  // the modulator's rate, not the DMA's
    ASSERT_EQ(api_.Tm2SetDMAInitCtrl(false, 2'000'000), 0U);
    ASSERT_EQ(api_.Tm2Start(), 0U);
    EXPECT_TRUE(sim::control::play_stats().running);
    EXPECT_EQ(sim::control::play_stats().rate, 2'000'000U);
    EXPECT_FALSE(sim::control::capture_stats().running);

    // Turned towards capture, the DMA takes no block even before the next start...
    ASSERT_EQ(api_.Tm2SetDMAInitCtrl(true, 0), 0U);
    const std::vector<unsigned char> block = pattern(64, 14);
    unsigned transferred = 77;
    EXPECT_EQ(api_.Tm2Write(block.data(), 64, transferred), api::status_play_not_started);
    EXPECT_EQ(transferred, 77U);
    EXPECT_EQ(sim::control::play_stats().refused_not_started, 1U);
    EXPECT_EQ(sim::control::play_stats().received, 0U);
    // ...and starting it captures and ends the play run.
    ASSERT_EQ(api_.Tm2Start(), 0U);
    EXPECT_FALSE(sim::control::play_stats().running);
    EXPECT_TRUE(sim::control::capture_stats().running);
    ASSERT_EQ(api_.Tm2Stop(), 0U);
    EXPECT_FALSE(sim::control::capture_stats().running);
}

TEST_F(SimTest, PlaySettingsOutsideTheirRangesAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        DeviceKind kind;
        std::function<unsigned()> call;
    };
    const CTamrelAPI api;
    const std::vector<Case> cases = {
        {"bandwidth type 3", DeviceKind::first_generation, [&] { return api.PlaySetBW(3, 1000); }},
        {"play rate 999", DeviceKind::first_generation, [&] { return api.PlaySetBW(0, 999); }},
        {"play rate 70000001", DeviceKind::first_generation,
         [&] { return api.PlaySetBW(2, 70'000'001); }},
        {"centre 49999999", DeviceKind::first_generation,
         [&] { return api.PlaySetCenterFreq(49'999'999); }},
        {"centre 1000000001", DeviceKind::first_generation,
         [&] { return api.PlaySetCenterFreq(1'000'000'001); }},
        {"t2 rate 999", DeviceKind::second_generation, [&] { return api.Tm2PlaySetIQRate(999); }},
        {"t2 rate 70000001", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetIQRate(70'000'001); }},
        {"t2 freq 99999", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetFreq(99'999); }},
    };
    for (const Case& c : cases) {
        open_fresh(c.kind);
        EXPECT_EQ(c.call(), api::status_invalid_argument) << c.what;
        EXPECT_EQ(sim::control::play_settings(), sim::PlaySettings{}) << c.what;
    }
}

TEST_F(SimTest, PlaySettingsAtTheirLimitsAreKept) {
    struct Case {
        const char* what;
        DeviceKind kind;
        std::function<unsigned()> call;
        std::function<void(sim::PlaySettings&)> expect;
    };
    const CTamrelAPI api;
    using S = sim::PlaySettings;
    const std::vector<Case> cases = {
        {"type 0 at 1000", DeviceKind::first_generation, [&] { return api.PlaySetBW(0, 1000); },
         [](S& s) { s.iq_rate = 1000; }},
        {"type 2 at 70000000", DeviceKind::first_generation,
         [&] { return api.PlaySetBW(2, 70'000'000); },
         [](S& s) {
             s.bandwidth = 2;
             s.iq_rate = 70'000'000;
         }},
        {"centre 50000000", DeviceKind::first_generation,
         [&] { return api.PlaySetCenterFreq(50'000'000); },
         [](S& s) { s.center_freq = 50'000'000; }},
        {"centre 1000000000", DeviceKind::first_generation,
         [&] { return api.PlaySetCenterFreq(1'000'000'000); },
         [](S& s) { s.center_freq = 1'000'000'000; }},
        {"t2 rate 1000", DeviceKind::second_generation, [&] { return api.Tm2PlaySetIQRate(1000); },
         [](S& s) { s.tm2_iq_rate = 1000; }},
        {"t2 rate 70000000", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetIQRate(70'000'000); },
         [](S& s) { s.tm2_iq_rate = 70'000'000; }},
        {"t2 freq 100000", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetFreq(100'000); }, [](S& s) { s.tm2_freq = 100'000; }},
        {"t2 freq 4294967295", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetFreq(std::numeric_limits<unsigned>::max()); },
         [](S& s) { s.tm2_freq = std::numeric_limits<unsigned>::max(); }},
        {"file power gain -32768", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetFilePowerGain(std::numeric_limits<short>::min()); },
         [](S& s) { s.file_power_gain = std::numeric_limits<short>::min(); }},
        {"user gain 32767", DeviceKind::second_generation,
         [&] { return api.Tm2PlaySetUserGain(std::numeric_limits<short>::max()); },
         [](S& s) { s.user_gain = std::numeric_limits<short>::max(); }},
    };
    for (const Case& c : cases) {
        open_fresh(c.kind);
        sim::PlaySettings expected;
        c.expect(expected);
        EXPECT_EQ(c.call(), 0U) << c.what;
        EXPECT_EQ(sim::control::play_settings(), expected) << c.what;
    }
}

TEST_F(SimTest, TheCapturedGainCompensationReadsBackAsTheLastApplied) {
    open_fresh(DeviceKind::first_generation);
    short gain = 77;
    ASSERT_EQ(api_.PlayGetCapturingGainOrSetCapturedGain(gain), 0U);
    EXPECT_EQ(gain, 0) << "none applied yet";
    for (const short applied : {short{-25}, short{310}}) {
        ASSERT_EQ(api_.PlaySetCapturingGainOrSetCapturedGain(1, applied, 250), 0U);
        ASSERT_EQ(api_.PlayGetCapturingGainOrSetCapturedGain(gain), 0U);
        EXPECT_EQ(gain, applied);
    }
}

TEST_F(SimTest, PlayCallsLogTheirArguments) {
    struct Case {
        DeviceKind kind;
        std::function<void(const CTamrelAPI&)> call;
        const char* arguments;
    };
    const std::vector<unsigned char> block = pattern(16, 15);
    unsigned transferred = 0;
    constexpr DeviceKind kFirst = DeviceKind::first_generation;
    constexpr DeviceKind kSecond = DeviceKind::second_generation;
    const std::vector<Case> cases = {
        {kFirst, [](const CTamrelAPI& api) { api.PlaySetBW(2, 5'000'000); },
         "bandwidth=2 rate=5000000"},
        {kFirst, [](const CTamrelAPI& api) { api.PlaySetCenterFreq(433'920'000); }, "hz=433920000"},
        {kFirst, [&](const CTamrelAPI& api) { api.Write(block.data(), 16, transferred); },
         "length=16"},
        {kSecond, [&](const CTamrelAPI& api) { api.Tm2Write(block.data(), 16, transferred); },
         "length=16"},
        {kSecond, [](const CTamrelAPI& api) { api.Tm2PlaySetIQRate(5'000'000); }, "rate=5000000"},
        {kSecond, [](const CTamrelAPI& api) { api.Tm2PlaySetFreq(915'000'000); }, "hz=915000000"},
        {kSecond, [](const CTamrelAPI& api) { api.Tm2PlaySetFilePowerGain(-35); }, "gain=-35"},
        {kSecond, [](const CTamrelAPI& api) { api.Tm2PlaySetUserGain(0); }, "gain=0"},
    };
    for (const Case& c : cases) {
        open_fresh(c.kind);
        c.call(api_);
        const std::vector<sim::CallRecord> calls = sim::control::calls();
        ASSERT_EQ(calls.size(), 1U) << c.arguments;
        EXPECT_EQ(calls[0].arguments, c.arguments) << calls[0].operation;
    }
}

// Tests that configure the device: the configuration in force is put back afterwards.
class PlayConfigured : public SimTest {
protected:
    void SetUp() override {
        saved_ = api::device_config();
        SimTest::SetUp();
    }
    void TearDown() override { EXPECT_TRUE(api::configure_device(saved_).ok()); }

    api::DeviceConfig saved_;
};

TEST_F(PlayConfigured, AResetStopsTheSinkEmptiesItsRecordAndRestoresItsDefaults) {
    ASSERT_TRUE(api::configure_device({DeviceKind::second_generation, kRealTime, 1}).ok());
    open_fresh(DeviceKind::second_generation);
    ASSERT_TRUE(sim::control::set_play_pacing(kUnpaced).ok());
    sim::control::set_play_fifo_capacity(4096);
    ASSERT_EQ(api_.Tm2PlaySetUserGain(5), 0U);
    ASSERT_EQ(start_play(DeviceKind::second_generation, kSlowRate), 0U);
    ASSERT_EQ(write_block(DeviceKind::second_generation, pattern(4096, 17)), 4096U);

    open_fresh(DeviceKind::second_generation);
    EXPECT_EQ(sim::control::play_stats(), PlayStats{});
    EXPECT_EQ(sim::control::play_settings(), sim::PlaySettings{});
    // A FIFO far larger than 4096 bytes, paced in real time again: at 4,000 bytes a second the
    // megabyte just taken is still waiting.
    ASSERT_EQ(start_play(DeviceKind::second_generation, kSlowRate), 0U);
    EXPECT_EQ(write_block(DeviceKind::second_generation, pattern(1U << 20, 18)), 1U << 20);
    const PlayStats stats = sim::control::play_stats();
    EXPECT_LT(stats.consumed, stats.received);
    EXPECT_GT(stats.waiting, 0U);
}

TEST(PlayPacing, AnImpossibleFactorIsRefused) {
    const double bad_factors[] = {0.0, -1.0, std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (const double factor : bad_factors) {
        EXPECT_EQ(sim::control::set_play_pacing({false, factor}).code(),
                  platform::Errc::invalid_argument)
            << factor;
    }
    EXPECT_TRUE(sim::control::set_play_pacing({true, 0.0}).ok()) << "unpaced needs no factor";
}

// The model on its own.

unsigned write_to(sim::PlaySink& sink, const std::vector<unsigned char>& bytes) {
    unsigned transferred = 0xDEADBEEF;
    EXPECT_EQ(sink.write(bytes.data(), static_cast<unsigned>(bytes.size()), transferred), 0U);
    return transferred;
}

TEST(PlaySinkModel, ARunIsPrimedByItsFirstBytesSoTheEmptyFifoBeforeThemIsNoUnderrun) {
    // 400,000 bytes a second: the megabyte written before a restart or a FIFO reset lasts far
    // longer than the test needs.
    constexpr unsigned kRate = 100'000;
    const std::vector<unsigned char> megabyte = pattern(1U << 20, 20);
    struct Entry {
        const char* what;
        std::function<void(sim::PlaySink&)> enter;
    };
    const std::vector<Entry> entries = {
        {"a fresh start", [](sim::PlaySink& sink) { sink.start(kRate); }},
        {"a restart",
         [&](sim::PlaySink& sink) {
             sink.start(kRate);
             ASSERT_EQ(write_to(sink, megabyte), 1U << 20);
             sink.start(kRate);
         }},
        {"a FIFO reset",
         [&](sim::PlaySink& sink) {
             sink.start(kRate);
             ASSERT_EQ(write_to(sink, megabyte), 1U << 20);
             sink.fifo_reset();
         }},
    };
    for (const Entry& entry : entries) {
        sim::PlaySink sink;
        sink.reset(kRealTime);
        entry.enter(sink);
        // A second sink at the same rate, run dry at once, shows the time the first one spends
        // with an empty FIFO: 16 KiB of starving is 40 ms.
        sim::PlaySink clock;
        clock.reset(kRealTime);
        clock.start(kRate);
        ASSERT_EQ(write_to(clock, pattern(4, 21)), 4U);
        ASSERT_TRUE(eventually([&] { return clock.stats().starved >= (16U << 10); }));

        PlayStats stats = sink.stats();
        EXPECT_EQ(stats.underruns, 0U) << entry.what;
        EXPECT_EQ(stats.starved, 0U) << entry.what;
        // Refilled, the run is primed: running dry from then on is an underrun.
        ASSERT_EQ(write_to(sink, pattern(400, 22)), 400U);
        ASSERT_TRUE(eventually([&] { return sink.stats().underruns == 1; })) << entry.what;
        stats = sink.stats();
        EXPECT_TRUE(play_stats_add_up(stats)) << entry.what;
    }
}

TEST(PlaySinkModel, AWriteWaitsForRoomAndThenTakesTheBlockWhole) {
    sim::PlaySink sink;
    sink.reset(kStill);
    sink.set_fifo_capacity(kSmallFifo);
    sink.start(kSlowRate);
    const std::vector<unsigned char> full = pattern(kSmallFifo, 23);
    const std::vector<unsigned char> more = pattern(4096, 24);
    ASSERT_EQ(write_to(sink, full), kSmallFifo);
    ASSERT_EQ(write_to(sink, more), 0U);
    // A thousand times faster, 4096 bytes are played in about a millisecond, well within the
    // wait of the write.
    sink.set_pacing({false, 1000.0});
    ASSERT_EQ(write_to(sink, more), 4096U);
    EXPECT_TRUE(sink.byte_indicator());
    const PlayStats stats = sink.stats();
    EXPECT_EQ(stats.received, kSmallFifo + 4096U);
    EXPECT_EQ(stats.hash, hash_of({full, more}).value());
    EXPECT_EQ(stats.writes_empty, 1U);
    EXPECT_GE(stats.consumed, 4096U);
}

TEST(PlaySinkModel, BadWritesOfARunningSinkAreRefusedAndRecordNothing) {
    sim::PlaySink sink;
    sink.reset(kStill);
    sink.set_fifo_capacity(4096);
    std::vector<unsigned char> buffer(8192);
    unsigned transferred = 77;
    // Stopped, the DMA looks at nothing: even a write without a buffer is just not started.
    EXPECT_EQ(sink.write(nullptr, 4, transferred), api::status_play_not_started);
    sink.start(kSlowRate);
    const PlayStats before = sink.stats();
    struct Case {
        const char* what;
        const void* buffer;
        unsigned length;
    };
    for (const Case c :
         {Case{"no buffer", nullptr, 4}, Case{"beyond the FIFO", buffer.data(), 4097}}) {
        EXPECT_EQ(sink.write(c.buffer, c.length, transferred), api::status_invalid_argument)
            << c.what;
        EXPECT_EQ(transferred, 77U) << c.what;
        EXPECT_EQ(sink.stats(), before) << c.what;
    }
    EXPECT_EQ(sink.write(buffer.data(), 4096, transferred), 0U) << "the capacity itself fits";
    EXPECT_EQ(transferred, 4096U);
}

TEST(PlaySinkModel, ClearingTheRecordKeepsTheRunGoing) {
    sim::PlaySink sink;
    sink.reset(kUnpaced);
    sink.start(5'000);
    ASSERT_EQ(write_to(sink, pattern(1000, 25)), 1000U);
    sink.clear_record();
    PlayStats expected;
    expected.running = true;
    expected.rate = 5'000;
    EXPECT_EQ(sink.stats(), expected);
    const std::vector<unsigned char> after = pattern(300, 26);
    ASSERT_EQ(write_to(sink, after), 300U);
    EXPECT_EQ(sink.stats().hash, hash_of({after}).value());
    EXPECT_EQ(sink.stats().received, 300U);
}

}  // namespace
}  // namespace tamrel::test
