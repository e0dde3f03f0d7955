// Recording end to end: the console's mode commands through the mode controller, the data
// threads and the simulated capture source to the sample and project files and the host's
// packets.

#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <filesystem>

#include "record_fixture.hpp"

namespace {

using tamrel::api::DeviceKind;
namespace control = tamrel::sim::control;
using namespace std::chrono_literals;

constexpr std::size_t kBlock = 1'048'576;

TEST_F(RecordTest, FirstGenerationRecordsEverySampleUpToTheCaptureTime) {
    open_connected(DeviceKind::first_generation);
    run(u"capturestoptype 1");
    run(u"capturetime 2");
    run(u"record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    EXPECT_EQ(session_->RunStatus(), 2U);
    ASSERT_TRUE(wait_packet(TM_CMD_RECORD_START, TM_RW_ACK).has_value());
    ASSERT_TRUE(wait_packet(TM_CMD_RECORD_NOTICE, TM_RW_TIME_LIMIT_REACHED).has_value());
    const std::u16string sample = session_->CaptureFilePath();
    const std::u16string project = session_->CaptureProjectPath();
    run(u"record 0");
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_EQ(session_->RunStatus(), 0U);
    ASSERT_TRUE(wait_packet(TM_CMD_RECORD_STOP, TM_RW_ACK).has_value());

    // Second 2 ends inside block 77 (2 × 10,000,000 / 262,144 = 76.3): 77 blocks were written.
    const std::vector<std::uint8_t> bytes = read_bytes(posix(sample));
    ASSERT_EQ(bytes.size(), 77 * kBlock);
    EXPECT_EQ(first_counter_gap(bytes, 0), bytes.size() / 4) << "a sample was lost, repeated or reordered";

    const std::vector<std::u16string> lines = read_lines(posix(project));
    ASSERT_GE(lines.size(), 3U);
    const std::u16string name = sample.substr(sample.rfind(u'\\') + 1);
    EXPECT_EQ(lines[0], u"$Ver,1,IQ FileName," + name + u",IQ Rate,10000000,Center,474000000,Tracking,1,AGC,0");
    EXPECT_EQ(count_prefixed(lines, u"$GAIN,"), 2U);
    EXPECT_TRUE(lines[1].ends_with(u",,,TIME,1")) << platform::to_utf8(lines[1]);
    EXPECT_TRUE(lines[2].ends_with(u",,,TIME,2")) << platform::to_utf8(lines[2]);
    EXPECT_EQ(count_packets(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN_LINE), 2U);
    EXPECT_EQ(count_packets(TM_CMD_RECORD_NOTICE, TM_RW_TIME_LIMIT_REACHED), 1U);

    // The next recording already has its own fresh name.
    EXPECT_NE(session_->CaptureFilePath(), sample);
    EXPECT_TRUE(window_.wait_for_text(u"R-IQW(" + name + u")", 0ms));
    EXPECT_TRUE(window_.wait_for_text(u"RecordStop", 0ms));
}

TEST_F(RecordTest, SecondGenerationDropsTheFirstBlockAndRecordsAtTheRecordRate) {
    open_connected(DeviceKind::second_generation);
    ASSERT_TRUE(control::set_record_iq_rate(2'000'000).ok());
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::RecordIQRate, 2'000'000U);
    run(u"capturestoptype 1");
    run(u"capturetime 3");
    run(u"t2record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    ASSERT_TRUE(wait_packet(TM_CMD_T2RECORD_START, TM_RW_ACK).has_value());
    ASSERT_TRUE(wait_packet(TM_CMD_RECORD_NOTICE, TM_RW_TIME_LIMIT_REACHED).has_value());
    const std::u16string sample = session_->CaptureFilePath();
    const std::u16string project = session_->CaptureProjectPath();
    run(u"t2record 0");
    ASSERT_TRUE(wait_packet(TM_CMD_T2RECORD_STOP, TM_RW_ACK).has_value());
    EXPECT_TRUE(window_.wait_for_text(u"Tm2RecordStart", 0ms));
    EXPECT_TRUE(window_.wait_for_text(u"Tm2RecordStop", 0ms));

    // 3 × 2,000,000 samples end in block 23 (22.9); the stream starts one block in.
    const std::vector<std::uint8_t> bytes = read_bytes(posix(sample));
    ASSERT_EQ(bytes.size(), 23 * kBlock);
    EXPECT_EQ(first_counter_gap(bytes, 262'144), bytes.size() / 4);
    const std::vector<std::u16string> lines = read_lines(posix(project));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0].find(u",IQ Rate,2000000,") != std::u16string::npos);
    EXPECT_EQ(count_prefixed(lines, u"$GAIN,"), 3U);
}

struct ExactCase {
    DeviceKind kind;
    const char16_t* start;
    const char16_t* stop;
    std::size_t blocks_produced;
};

class RecordExactTest : public RecordTest, public ::testing::WithParamInterface<ExactCase> {};

// A signal of exactly 100 blocks at 10,000,000 samples per second makes two whole seconds; the
// second generation reads one block more, as it drops the first.
TEST_P(RecordExactTest, HundredBlocksMakeAHundredMebibyteFileAndTwoGainLines) {
    const ExactCase& c = GetParam();
    open_connected(c.kind);
    if (c.kind == DeviceKind::second_generation) {
        ASSERT_TRUE(control::set_record_iq_rate(10'000'000).ok());
        CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::RecordIQRate, 10'000'000U);
    }
    control::set_capture_run_limit(c.blocks_produced * kBlock);
    run(c.start);
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    const std::u16string sample = session_->CaptureFilePath();
    const std::u16string project = session_->CaptureProjectPath();
    // The signal ends after the run limit; once the file holds 100 blocks nothing more can come.
    const std::string path = posix(sample);
    ASSERT_TRUE(eventually(
        [&] {
            std::error_code ignored;
            return std::filesystem::file_size(path, ignored) >= 104'857'600U;
        },
        std::chrono::seconds(90)));
    ASSERT_TRUE(eventually([&] { return session_->BlockQueueLength() == 0; }));
    run(c.stop);
    EXPECT_EQ(control::capture_stats().delivered, c.blocks_produced * kBlock);
    EXPECT_EQ(read_bytes(posix(sample)).size(), 104'857'600U);
    EXPECT_EQ(count_prefixed(read_lines(posix(project)), u"$GAIN,"), 2U);
    EXPECT_EQ(control::capture_stats().lost, 0U);
}

INSTANTIATE_TEST_SUITE_P(Generations, RecordExactTest,
                         ::testing::Values(ExactCase{DeviceKind::first_generation, u"record 1", u"record 0", 100},
                                           ExactCase{DeviceKind::second_generation, u"t2record 1", u"t2record 0", 101}));

struct PowerCase {
    std::int16_t i, q;
    const char16_t* line;
};

class RecordPowerTest : public RecordTest, public ::testing::WithParamInterface<PowerCase> {};

TEST_P(RecordPowerTest, GainLinesCarryTheMeasuredPower) {
    open_connected(DeviceKind::first_generation);
    control::set_capture_content(tamrel::sim::CaptureContent::constant);
    control::set_constant_sample(GetParam().i, GetParam().q);
    tamrel::sim::Calibration calibration = control::calibration();
    calibration.capture_iq_power_offset_db = 0.0F;
    control::set_calibration(calibration);
    ASSERT_EQ(session_->TmOpenDevice(), 0U);  // reads the calibration again
    run(u"capturestoptype 1");
    run(u"capturetime 1");
    run(u"record 1");
    auto line = wait_packet(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN_LINE);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->text(), GetParam().line);
    run(u"record 0");
}

INSTANTIATE_TEST_SUITE_P(KnownSignals, RecordPowerTest,
                         ::testing::Values(PowerCase{1000, 1000, u"$GAIN,0.0,POWER,-39.7,,,TIME,1\r\n"},
                                           PowerCase{-32768, -32768, u"$GAIN,0.0,POWER,-9.4,,,TIME,1\r\n"}));

TEST_F(RecordTest, StartsAreRefusedBeforeConnectAndWhileAModeRuns) {
    control::reset(DeviceKind::first_generation);
    ASSERT_EQ(session_->TmOpenDevice(), 0U);
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 1), 4096U);  // no host connected
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);

    ASSERT_EQ(session_->CreateUDP_Socket(), 0);
    host_ = listen_on(platform::kHostPort);
    run(u"connect");
    control::set_capture_content(tamrel::sim::CaptureContent::counter);
    ASSERT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 1), 0U);
    const std::u16string sample = session_->CaptureFilePath();
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 1), 4096U);  // a second start
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD_PREVIEW, 1), 4096U);
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD_PREVIEW, 0), 1U);  // not the current mode
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    EXPECT_EQ(session_->CaptureFilePath(), sample);
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 0), 0U);
    EXPECT_FALSE(session_->DataThreadsRunning());
}

struct ControllerCase {
    bool second;
    TmMode_e mode;
    int action;
    unsigned result;
    TmMode_e mode_after;
};

class ControllerRuleTest : public RecordTest, public ::testing::WithParamInterface<ControllerCase> {};

TEST_P(ControllerRuleTest, AnswersFromIdle) {
    const ControllerCase& c = GetParam();
    open_connected(c.second ? DeviceKind::second_generation : DeviceKind::first_generation);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::RunStatus, 7U);
    const unsigned result = c.second ? session_->Tm2PlayRecord(c.mode, c.action) : session_->TmPlayRecord(c.mode, c.action);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(session_->CurrentMode(), c.mode_after);
    if (c.action == 0) {
        EXPECT_EQ(session_->RunStatus(), 0U);  // a stop while idle resets it
    }
    if (c.mode_after != TM_MODE_INIT) {
        EXPECT_EQ((c.second ? session_->Tm2PlayRecord(c.mode_after, 0) : session_->TmPlayRecord(c.mode_after, 0)), 0U);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ControllerRuleTest,
    ::testing::Values(ControllerCase{false, TM_MODE_INIT, 1, 4096, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_PLAY_PREVIEW, 1, 0, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_PLAY_PREVIEW, 0, 1, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_HDRADIO, 1, 0, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_EVENT_RECORD, 1, 0, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_RECORD, 0, 1, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_RECORD, 4, 4096, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_PLAY, 3, 1, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_PLAY, 2, 1, TM_MODE_INIT},
                      ControllerCase{false, static_cast<TmMode_e>(9), 1, 4096, TM_MODE_INIT},
                      ControllerCase{false, TM_MODE_RECORD_PREVIEW, 1, 0, TM_MODE_RECORD_PREVIEW},
                      ControllerCase{false, TM_MODE_FULL_BAND_PREVIEW, 1, 0, TM_MODE_FULL_BAND_PREVIEW},
                      ControllerCase{true, TM_MODE_RECORD, 6, 4096, TM_MODE_INIT},
                      ControllerCase{true, TM_MODE_HDRADIO, 5, 1, TM_MODE_INIT},
                      ControllerCase{true, TM_MODE_RECORD_PREVIEW, 1, 0, TM_MODE_RECORD_PREVIEW},
                      ControllerCase{true, TM_MODE_FULL_BAND_PREVIEW, 1, 0, TM_MODE_FULL_BAND_PREVIEW}));

TEST_F(RecordTest, RecordIntoLowSpaceRunsAPreviewAndSays6924) {
    {
        std::ofstream capacity(root_ / "D" / ".capacity");
        capacity << "100000000000 1000000000\n";  // 1 GB free
    }
    open_connected(DeviceKind::first_generation);
    session_->UpdateSSDSize();
    ASSERT_EQ(session_->LowSpace(), 1U);
    run(u"record 1");
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_RECORD_PREVIEW);
    auto report = wait_packet(TM_CMD_ERROR_REPORT, TM_RW_VALUE);
    ASSERT_TRUE(report.has_value());
    ASSERT_EQ(report->payload.size(), 4U);
    std::uint32_t status = 0;
    std::memcpy(&status, report->payload.data(), 4);
    EXPECT_EQ(status, 6924U);
    EXPECT_TRUE(wait_packet(TM_CMD_PREVIEW_START, TM_RW_ACK).has_value());
    EXPECT_EQ(count_packets(TM_CMD_RECORD_START, TM_RW_ACK), 0U);
    run(u"preview 0");
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_TRUE(wait_packet(TM_CMD_PREVIEW_STOP, TM_RW_ACK).has_value());
}

TEST_F(RecordTest, AStartFromIdleSendsNoErrorReport) {
    open_connected(DeviceKind::first_generation);
    run(u"record 1");
    run(u"record 0");
    ASSERT_TRUE(wait_packet(TM_CMD_RECORD_STOP, TM_RW_ACK).has_value());
    EXPECT_EQ(count_packets(TM_CMD_ERROR_REPORT, TM_RW_VALUE), 0U);
}

TEST_F(RecordTest, ARecordingNeverReplacesAnotherFile) {
    open_connected(DeviceKind::first_generation);
    session_->TmCheckDrive(TM_DRIVE_D);
    const std::u16string taken = session_->CaptureFilePath();
    {
        std::ofstream existing(posix(taken), std::ios::binary);
        existing << "keep me";
    }
    run(u"record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    const std::u16string used = session_->CaptureFilePath();
    run(u"record 0");
    EXPECT_NE(used, taken);
    EXPECT_EQ(read_bytes(posix(taken)).size(), 7U);

    // An operator's name that is taken fails the start and leaves the file alone.
    CTamrelComMFCTestPeer::set_record_override(*session_, taken, u"");
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 1), 6916U);
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_EQ(read_bytes(posix(taken)).size(), 7U);
    EXPECT_TRUE(window_.wait_for_text(u"IQW File Create Error", 0ms));
    EXPECT_EQ(count_packets(TM_CMD_RECORD_START, TM_RW_ACK), 1U);  // only the first start
}

TEST_F(RecordTest, TheOperatorsNameIsUsedOnceThenCleared) {
    open_connected(DeviceKind::first_generation);
    CTamrelComMFCTestPeer::set_record_override(*session_, u"D:\\TamrelData\\Record\\mine.iqw",
                                               u"D:\\TamrelData\\Record\\mine.wpj");
    run(u"record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    run(u"record 0");
    EXPECT_TRUE(std::filesystem::exists(root_ / "D" / "TamrelData" / "Record" / "mine.iqw"));
    EXPECT_TRUE(std::filesystem::exists(root_ / "D" / "TamrelData" / "Record" / "mine.wpj"));
    EXPECT_TRUE(CTamrelComMFCTestPeer::record_override(*session_).empty());
    EXPECT_TRUE(session_->CaptureFilePath().find(u"\\Cap_") != std::u16string::npos);
}

TEST_F(RecordTest, AProjectFileThatCannotBeMadeLeavesNothingBehind) {
    open_connected(DeviceKind::first_generation);
    CTamrelComMFCTestPeer::set_record_override(*session_, u"D:\\TamrelData\\Record\\a.iqw",
                                               u"D:\\TamrelData\\NoSuchFolder\\a.wpj");
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 1), 6917U);
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_FALSE(std::filesystem::exists(root_ / "D" / "TamrelData" / "Record" / "a.iqw"));
    EXPECT_TRUE(window_.wait_for_text(u"WPJ File Create Error", 0ms));
}

TEST_F(RecordTest, ADiskThatFillsUpStopsTheWritingAndKeepsTheFilesWhole) {
    open_connected(DeviceKind::first_generation);
    // The file-size limit stands in for a full disk: writes past it fail with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit original = limit;
    limit.rlim_cur = 40 * kBlock + kBlock / 2;  // a block that fits only in part
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    run(u"record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    auto report = wait_packet(TM_CMD_ERROR_REPORT, TM_RW_VALUE);
    const std::u16string sample = session_->CaptureFilePath();
    const std::u16string project = session_->CaptureProjectPath();
    run(u"record 0");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &original), 0);
    ASSERT_TRUE(report.has_value());
    std::uint32_t status = 0;
    std::memcpy(&status, report->payload.data(), 4);
    EXPECT_EQ(status, 6916U);
    EXPECT_EQ(count_packets(TM_CMD_ERROR_REPORT, TM_RW_VALUE), 1U);
    EXPECT_TRUE(window_.wait_for_text(u"IQW File Write Error", 0ms));
    const std::vector<std::uint8_t> bytes = read_bytes(posix(sample));
    EXPECT_EQ(bytes.size(), 40 * kBlock);
    EXPECT_EQ(first_counter_gap(bytes, 0), bytes.size() / 4);
    // 40 blocks hold one whole second at 10 MS/s: one gain line, for samples that are on disk.
    EXPECT_EQ(count_prefixed(read_lines(posix(project)), u"$GAIN,"), 1U);
}

TEST_F(RecordTest, PreviewStreamsSpectrumBlocksAndGainLinesWithoutFiles) {
    open_connected(DeviceKind::second_generation);
    run(u"t2recordiqrate 2000000");  // stored while idle, put on the board by the start
    run(u"t2preview 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD_PREVIEW);
    EXPECT_EQ(session_->RunStatus(), 5U);
    EXPECT_EQ(session_->SettingBlock().RecordIQRate, 2'000'000U);
    EXPECT_EQ(control::record_iq_rate(), 2'000'000U);
    EXPECT_EQ(control::capture_stats().rate, 2'000'000U);
    ASSERT_TRUE(eventually([&] { return CTamrelComMFCTestPeer::preview_ready(*session_) == 1; }));
    // The copy is the start of one block of the counter: consecutive samples.
    std::vector<std::uint8_t> copy(CTamrelComMFCTestPeer::preview_buffer(*session_),
                                   CTamrelComMFCTestPeer::preview_buffer(*session_) + CTamrelComMFC::kPreviewBytes);
    std::uint32_t first = 0;
    std::memcpy(&first, copy.data(), 4);
    EXPECT_EQ(first % 262'144, 0U);
    EXPECT_EQ(first_counter_gap(copy, first), copy.size() / 4);
    CTamrelComMFCTestPeer::status_pass(*session_);  // the status thread's turn: send it
    EXPECT_EQ(CTamrelComMFCTestPeer::preview_ready(*session_), 0U);
    ASSERT_TRUE(wait_packet(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN_LINE).has_value());
    run(u"t2preview 0");
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_TRUE(wait_packet(TM_CMD_T2PREVIEW_STOP, TM_RW_ACK).has_value());
    EXPECT_TRUE(std::filesystem::is_empty(root_ / "D" / "TamrelData" / "Record"));
}

TEST_F(RecordTest, WithPreviewDisabledNoCopyIsMade) {
    open_connected(DeviceKind::first_generation);
    CTamrelComMFCTestPeer::set_preview_enable(*session_, 0);
    run(u"preview 1");
    ASSERT_TRUE(wait_packet(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN_LINE).has_value());  // a second went by
    EXPECT_EQ(CTamrelComMFCTestPeer::preview_ready(*session_), 0U);
    run(u"preview 0");
}

TEST_F(RecordTest, FullBandPreviewCopiesOneBlockPerRequest) {
    open_connected(DeviceKind::first_generation);
    ASSERT_EQ(session_->TmPlayRecord(TM_MODE_FULL_BAND_PREVIEW, 1), 0U);
    EXPECT_EQ(CTamrelComMFCTestPeer::fullband_request(*session_), 1U);
    CTamrelComMFCTestPeer::set_fullband_request(*session_, 0);
    ASSERT_TRUE(eventually([&] { return CTamrelComMFCTestPeer::fullband_request(*session_) == 1; }));
    EXPECT_EQ(session_->MeasuredSeconds(), 0U);  // no measurement in this mode
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_FULL_BAND_PREVIEW, 0), 0U);
    EXPECT_TRUE(wait_packet(TM_CMD_PREVIEW_STOP, TM_RW_ACK).has_value());
}

TEST_F(RecordTest, ABoardThatDoesNotStartIsNotReportedAsRecording) {
    open_connected(DeviceKind::first_generation);
    ASSERT_TRUE(control::fail_next("Start", 1, 0xE005).ok());
    run(u"record 1");
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_EQ(session_->RunStatus(), 0U);
    EXPECT_FALSE(session_->DataThreadsRunning());
    EXPECT_EQ(count_packets(TM_CMD_RECORD_START, TM_RW_ACK), 0U);
    EXPECT_TRUE(std::filesystem::is_empty(root_ / "D" / "TamrelData" / "Record"));
    auto report = wait_packet(TM_CMD_ERROR_REPORT, TM_RW_VALUE);
    ASSERT_TRUE(report.has_value());
}

TEST_F(RecordTest, PauseHoldsPlayAtTheStartOfTheSecond) {
    open_connected(DeviceKind::first_generation);
    const std::string path = (root_ / "D" / "play.iqw").string();
    ASSERT_TRUE(platform::File::open(path, platform::FileMode::read_write_truncate).ok());
    auto file = platform::SampleReader::open(path);
    ASSERT_TRUE(file.ok());
    CTamrelComMFCTestPeer::set_play_state(*session_, 7, 0, std::move(file.value()));
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::PlayIQRate, 10'000'000U);
    CTamrelComMFCTestPeer::set_mode(*session_, TM_MODE_PLAY);
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::RunStatus, 8U);
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_PLAY, 2), 0U);
    EXPECT_EQ(CTamrelComMFCTestPeer::play_file_position(*session_), 280'000'000U);
    EXPECT_EQ(CTamrelComMFCTestPeer::play_pop_position(*session_), 280'000'000U);
    EXPECT_EQ(session_->RunStatus(), 10U);
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_PLAY);
    EXPECT_TRUE(wait_packet(TM_CMD_PLAY_PAUSE, TM_RW_ACK).has_value());
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_PLAY, 2), 1U);  // already paused
    EXPECT_EQ(session_->TmPlayRecord(TM_MODE_RECORD, 3), 1U);  // resume of another mode
    EXPECT_FALSE(session_->DataThreadsRunning());
}

TEST_F(RecordTest, TheWatchdogEndsARecordingCleanly) {
    open_connected(DeviceKind::first_generation);
    run(u"record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    const std::u16string project = session_->CaptureProjectPath();
    session_->SetExpireCount(0);
    CTamrelComMFCTestPeer::status_pass(*session_);
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_EQ(session_->ConnectionState(), 0U);
    EXPECT_FALSE(session_->DataThreadsRunning());
    EXPECT_FALSE(read_lines(posix(project)).empty());
}

}  // namespace

namespace {

// The console, the watchdog and power-off reach the controller from different threads: starts
// and stops racing each other must leave one consistent mode and never two pairs of data threads.
TEST_F(RecordTest, RacingStartsAndStopsLeaveOneConsistentMode) {
    open_connected(tamrel::api::DeviceKind::second_generation);
    std::atomic<int> started{0};
    auto churn = [&] {
        for (int i = 0; i < 4; ++i) {
            if (session_->Tm2PlayRecord(TM_MODE_RECORD_PREVIEW, 1) == 0) ++started;
            (void)session_->Tm2PlayRecord(TM_MODE_RECORD_PREVIEW, 0);
        }
    };
    std::thread other(churn);
    churn();
    other.join();
    EXPECT_GE(started.load(), 4);  // each thread starts at least when it stopped its own last time
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_FALSE(session_->DataThreadsRunning());
    EXPECT_EQ(session_->RunStatus(), 0U);
    EXPECT_EQ(count_packets(TM_CMD_T2PREVIEW_START, TM_RW_ACK), static_cast<std::size_t>(started.load()));
}

}  // namespace
