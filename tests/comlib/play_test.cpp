// Play end to end: a recording on disk opened with the console's play-file commands, played
// through the mode controller, the play data threads and the device library into the simulated
// play sink, whose running hash proves what reached the board, byte for byte.
//
// What the sink should have received is computed independently: the recording's bytes from the
// play position on, cycling over the repeat range, for as many bytes as the sink took.

#include <filesystem>
#include <map>

#include "comlib/files/project_lines.hpp"
#include "platform/fs/text_file_writer.hpp"
#include "record_fixture.hpp"
#include "tamrelapi/sim/play_hash.hpp"

namespace {

using tamrel::api::DeviceKind;
namespace control = tamrel::sim::control;
using namespace std::chrono_literals;

constexpr std::size_t kBlock = 1'048'576;
constexpr unsigned kRate = 1'000'000;        // 4,000,000 bytes per second
constexpr std::uint64_t kSecond = 4'000'000;
constexpr std::uint32_t kTimesFaster = 20;  // the paced sink plays 20 seconds a second

// The bytes the sink should hold: `bytes` of the recording from `position` on, wrapping from
// `end` back to `start`.
std::uint64_t cyclic_hash(tamrel::sim::PlayHash& hash, const std::vector<std::uint8_t>& recording,
                          std::uint64_t start, std::uint64_t end, std::uint64_t position, std::uint64_t bytes) {
    while (bytes > 0) {
        if (position >= end) position = start;
        const std::uint64_t n = std::min(bytes, end - position);
        hash.update(recording.data() + position, static_cast<std::size_t>(n));
        position += n;
        bytes -= n;
    }
    return position;
}

struct GenerationName {
    std::string operator()(const ::testing::TestParamInfo<DeviceKind>& param) const {
        return param.param == DeviceKind::first_generation ? "First" : "Second";
    }
};

class PlayTest : public RecordTest, public ::testing::WithParamInterface<DeviceKind> {
protected:
    void SetUp() override {
        RecordTest::SetUp();
        std::filesystem::create_directories(root_ / "D/TamrelData/Record");
    }

    bool second() const { return GetParam() == DeviceKind::second_generation; }
    std::u16string t2(std::u16string_view command) const {
        return (second() ? u"t2" : u"") + std::u16string(command);
    }

    // Opens the instrument with a sink that plays kTimesFaster times real time (or unpaced).
    void open(bool paced = true) {
        open_connected(GetParam());
        ASSERT_TRUE(control::set_play_pacing(tamrel::api::CapturePacing{!paced, double{kTimesFaster}}).ok());
    }

    // A recording in D's record folder: `seconds` whole seconds at kRate plus `tail` bytes, the
    // samples a counter from `first`, one gain line per second with `gains` (dB; 0 when short).
    std::u16string write_recording(const std::string& title, std::uint32_t seconds, std::size_t tail = 0,
                                   std::vector<float> gains = {}, std::uint32_t first = 0) {
        const std::size_t bytes = seconds * kSecond + tail;
        std::vector<std::uint8_t> samples(bytes);
        for (std::size_t i = 0; i + 4 <= bytes; i += 4) {
            const std::uint32_t value = first + static_cast<std::uint32_t>(i / 4);
            std::memcpy(samples.data() + i, &value, 4);
        }
        const std::filesystem::path folder = root_ / "D/TamrelData/Record";
        {
            std::FILE* file = std::fopen((folder / (title + ".iqw")).c_str(), "wb");
            EXPECT_NE(file, nullptr);
            if (file == nullptr) return {};
            EXPECT_EQ(std::fwrite(samples.data(), 1, samples.size(), file), samples.size());
            std::fclose(file);
        }
        recordings_[title] = std::move(samples);
        std::u16string text = project_header_line(platform::from_utf8(title + ".iqw"), kRate, second(), 474'000'000, 0);
        for (std::uint32_t s = 0; s < seconds; ++s) {
            text += gain_line(s < gains.size() ? gains[s] : 0.0F, -30.0, static_cast<int>(s + 1));
        }
        write_text(title + ".wpj", text);
        return u"D:\\TamrelData\\Record\\" + platform::from_utf8(title + ".wpj");
    }

    // A text file of the system (UTF-16 with BOM, "\n" written as "\r\n") in D's record folder.
    void write_text(const std::string& name, const std::u16string& text) {
        auto writer = platform::TextFileWriter::open((root_ / "D/TamrelData/Record" / name).string());
        ASSERT_TRUE(writer.ok());
        EXPECT_TRUE(writer->write(text));
        EXPECT_TRUE(writer->close());
    }

    void open_for_play(const std::u16string& path) {
        run((second() ? u"t2playfile " : u"playfileex ") + path);
        ASSERT_TRUE(wait_packet(second() ? TM_CMD_T2PLAYFILE : TM_CMD_PLAYFILEEX, TM_RW_ACK, 5s).has_value());
    }

    void start_play() {
        run(t2(u"play 1"));
        ASSERT_EQ(session_->CurrentMode(), TM_MODE_PLAY);
        ASSERT_EQ(session_->RunStatus(), 8U);
        ASSERT_TRUE(wait_packet(second() ? TM_CMD_T2PLAY_START : TM_CMD_PLAY_START, TM_RW_ACK, 5s).has_value());
    }

    void stop_play() {
        run(t2(u"play 0"));
        EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
        EXPECT_EQ(session_->RunStatus(), 0U);
        EXPECT_TRUE(wait_packet(second() ? TM_CMD_T2PLAY_STOP : TM_CMD_PLAY_STOP, TM_RW_ACK, 5s).has_value());
    }

    bool received_at_least(std::uint64_t bytes, std::chrono::milliseconds limit = 60s) {
        return eventually([&] { return control::play_stats().received >= bytes; }, limit);
    }

    // The elapsed seconds the host was sent (packet 13 kind 145), in order, from `from` on.
    std::vector<unsigned> elapsed_sent(std::size_t from = 0) {
        std::vector<unsigned> seconds;
        const auto& all = packets();
        for (std::size_t i = from; i < all.size(); ++i) {
            if (all[i].cmd == TM_CMD_GAIN_CHANNEL && all[i].rw == TM_RW_GRAPH_TIME) {
                seconds.push_back(static_cast<unsigned>(std::stoul(platform::to_utf8(all[i].text()))));
            }
        }
        return seconds;
    }

    std::map<std::string, std::vector<std::uint8_t>> recordings_;
};

TEST_P(PlayTest, PlaysTheWholeRecordingByteForByteAndRepeatsIt) {
    open(/*paced=*/false);
    // 3 whole seconds and a partial one: the partial second is outside the recording's range.
    const std::u16string path = write_recording("three", 3, 123'456);
    open_for_play(path);
    start_play();
    ASSERT_TRUE(received_at_least(3 * 3 * kSecond));
    stop_play();

    const auto stats = control::play_stats();
    EXPECT_GE(stats.refused_not_started, 1U) << "the first write finds the play DMA stopped";
    EXPECT_EQ(stats.received % kBlock, 0U);
    tamrel::sim::PlayHash expected;
    cyclic_hash(expected, recordings_["three"], 0, 3 * kSecond, 0, stats.received);
    EXPECT_EQ(stats.hash, expected.value()) << "the sink did not receive the recording exactly, in order";
    EXPECT_TRUE(window_.wait_for_text(u"File repeat", 0ms));
    EXPECT_GE(count_packets(TM_CMD_INFO, TM_RW_PLAY_SECTION_WRAP), 2U);
    for (unsigned s : elapsed_sent()) EXPECT_LE(s, 3U) << "an elapsed second beyond the recording";
}

TEST_P(PlayTest, ARepeatSectionPlaysOnlyItsSecondsAndWrapsToItsStart) {
    open();
    const std::u16string path = write_recording("section", 5);
    open_for_play(path);
    run(t2(u"playrepeat 2 4"));
    EXPECT_TRUE(window_.wait_for_text(u"start:2, end:4", 0ms));
    EXPECT_EQ(session_->PlayElapsedSeconds(), 2U);
    const std::size_t from = packets().size();
    start_play();
    ASSERT_TRUE(received_at_least(4 * 2 * kSecond));
    stop_play();

    const auto stats = control::play_stats();
    tamrel::sim::PlayHash expected;
    cyclic_hash(expected, recordings_["section"], 2 * kSecond, 4 * kSecond, 2 * kSecond, stats.received);
    EXPECT_EQ(stats.hash, expected.value());
    // Elapsed seconds run 3, 4, then back to 2 with a wrap notice, again and again.
    const std::vector<unsigned> seconds = elapsed_sent(from);
    ASSERT_GE(seconds.size(), 7U);
    std::size_t start = 0;
    while (start < seconds.size() && seconds[start] != 3) ++start;
    for (std::size_t i = start; i + 3 <= seconds.size(); i += 3) {
        EXPECT_EQ(seconds[i], 3U);
        EXPECT_EQ(seconds[i + 1], 4U);
        EXPECT_EQ(seconds[i + 2], 2U);
    }
    EXPECT_GE(count_packets(TM_CMD_INFO, TM_RW_PLAY_SECTION_WRAP), 2U);
}

TEST_P(PlayTest, PauseAndResumeContinueAtTheStartOfThePausedSecond) {
    open();
    const std::u16string path = write_recording("pause", 4);
    open_for_play(path);
    start_play();
    ASSERT_TRUE(received_at_least(6 * kSecond));
    run(t2(u"playpause"));
    ASSERT_EQ(session_->RunStatus(), 10U);
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_PLAY);
    EXPECT_FALSE(session_->DataThreadsRunning());
    const std::uint64_t at_pause = control::play_stats().received;
    const std::uint32_t elapsed = session_->PlayElapsedSeconds();

    // A second pause and a resume of what is not paused change nothing.
    run(t2(u"playpause"));
    EXPECT_EQ(session_->RunStatus(), 10U);
    run(t2(u"playresume"));
    ASSERT_EQ(session_->RunStatus(), 8U);
    run(t2(u"playresume"));
    EXPECT_EQ(session_->RunStatus(), 8U);
    ASSERT_TRUE(received_at_least(at_pause + 3 * kSecond));
    stop_play();

    const auto stats = control::play_stats();
    tamrel::sim::PlayHash expected;
    cyclic_hash(expected, recordings_["pause"], 0, 4 * kSecond, 0, at_pause);
    cyclic_hash(expected, recordings_["pause"], 0, 4 * kSecond, (elapsed % 4) * kSecond, stats.received - at_pause);
    EXPECT_EQ(stats.hash, expected.value()) << "play did not continue at second " << elapsed;
    EXPECT_GE(count_packets(TM_CMD_ERROR_REPORT, TM_RW_VALUE), 2U) << "the refused pause and resume are reported";
}

TEST_P(PlayTest, ASeekWhilePlayingOrPausedMovesPlayToThatSecond) {
    open();
    const std::u16string path = write_recording("seek", 4);
    open_for_play(path);
    start_play();
    ASSERT_TRUE(received_at_least(2 * kSecond));
    // The board takes nothing while the seek is made, so what it took before is known exactly.
    const std::string write = second() ? "Tm2Write" : "Write";
    ASSERT_TRUE(control::fail_always(write, 0xE006).ok());
    run(t2(u"pp 3"));
    ASSERT_EQ(session_->RunStatus(), 8U);
    EXPECT_TRUE(wait_packet(second() ? TM_CMD_T2PP : TM_CMD_PP, TM_RW_ACK, 5s).has_value());
    const std::uint64_t at_seek = control::play_stats().received;
    control::clear_fault(write);
    ASSERT_TRUE(received_at_least(at_seek + 2 * kSecond));

    run(t2(u"playpause"));
    const std::uint64_t at_pause = control::play_stats().received;
    run(t2(u"pp 1"));  // takes effect at resume
    run(t2(u"playresume"));
    ASSERT_TRUE(received_at_least(at_pause + 2 * kSecond));
    stop_play();

    const auto stats = control::play_stats();
    const auto& recording = recordings_["seek"];
    tamrel::sim::PlayHash expected;
    cyclic_hash(expected, recording, 0, 4 * kSecond, 0, at_seek);
    cyclic_hash(expected, recording, 0, 4 * kSecond, 3 * kSecond, at_pause - at_seek);
    cyclic_hash(expected, recording, 0, 4 * kSecond, 1 * kSecond, stats.received - at_pause);
    EXPECT_EQ(stats.hash, expected.value());
}

TEST_P(PlayTest, SeeksAndRangesOutsideTheRecordingAreRefused) {
    open();
    open_for_play(write_recording("bounds", 3));
    struct Case {
        std::u16string line;
        std::u16string first_reply;
        std::u16string second_reply;
    };
    const Case cases[] = {
        {u"pp 4", u"pp:Fail", u"t2pp:Fail"},
        {u"pp -1", u"pp:Fail", u"t2pp:Fail"},
        {u"pp 4294967298", u"pp:Fail", u"t2pp:Fail"},  // 2^32 + 2: beyond the recording, not second 2
        {u"playrepeat 2 4", u"Play Repeat Invalid Param", u"Play Repeat Invalid Param"},
        {u"playrepeat 2 2", u"Play Repeat Invalid Param", u"Play Repeat Invalid Param"},
        {u"playrepeat -1 2", u"Play Repeat Invalid Param", u"Play Repeat Invalid Param"},
    };
    for (const Case& c : cases) {
        window_.clear();
        run(t2(c.line));
        EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{second() ? c.second_reply : c.first_reply})
            << platform::to_utf8(c.line);
    }
    EXPECT_EQ(session_->PlayElapsedSeconds(), 0U);
    EXPECT_EQ(session_->PlayRepeatEndByte(), 3 * kSecond);
    run(t2(u"playrepeat 1"));
    EXPECT_TRUE(window_.wait_for_text(u"start:0, end:3", 0ms));
    run(t2(u"playrepeat"));
    EXPECT_TRUE(window_.wait_for_text(second() ? u"Usage(read)  : t2playrepeat" : u"Usage(read)  : playrepeat", 0ms));
}

TEST_P(PlayTest, GainIsSentWhenItChangesAndNeverForTheLastSecond) {
    open();
    // The loudest second is the first (all powers equal): play starts at its gain, 1 dB.
    open_for_play(write_recording("gains", 5, 0, {1.0F, 1.0F, 2.0F, 3.0F, 4.0F}));
    const std::size_t from = packets().size();
    start_play();
    ASSERT_TRUE(received_at_least(3 * 5 * kSecond));
    stop_play();
    std::vector<short> sent;
    const auto& all = packets();
    for (std::size_t i = from; i < all.size(); ++i) {
        if (all[i].cmd == TM_CMD_GAIN_CHANNEL && all[i].rw == TM_RW_GAIN && all[i].payload.size() == 2) {
            short tenths = 0;
            std::memcpy(&tenths, all[i].payload.data(), 2);
            sent.push_back(tenths);
        }
    }
    ASSERT_GE(sent.size(), 3U);
    const std::vector<short> cycle = {20, 30, 10};
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i], cycle[i % 3]) << "gain packet " << i;
    }
}

TEST_P(PlayTest, ARecordingShorterThanTwoSecondsSendsNoGain) {
    open();
    open_for_play(write_recording("short", 1, 0, {5.0F}));
    const std::size_t from = packets().size();
    start_play();
    ASSERT_TRUE(received_at_least(3 * kSecond));
    stop_play();
    const auto& all = packets();
    for (std::size_t i = from; i < all.size(); ++i) {
        EXPECT_FALSE(all[i].cmd == TM_CMD_GAIN_CHANNEL && all[i].rw == TM_RW_GAIN) << "gain packet " << i;
    }
}

TEST_P(PlayTest, AMissingSampleFileFailsTheStartAndLeavesTheModeIdle) {
    open();
    const std::u16string path = write_recording("gone", 2);
    open_for_play(path);
    std::filesystem::remove(root_ / "D/TamrelData/Record/gone.iqw");
    run(t2(u"play 1"));
    EXPECT_EQ(session_->CurrentMode(), TM_MODE_INIT);
    EXPECT_EQ(session_->RunStatus(), 0U);
    EXPECT_FALSE(session_->DataThreadsRunning());
    EXPECT_TRUE(window_.wait_for_text(u"File Open Error", 0ms));
    const auto report = wait_packet(TM_CMD_ERROR_REPORT, TM_RW_VALUE, 5s);
    ASSERT_TRUE(report.has_value());
    std::uint32_t status = 0;
    std::memcpy(&status, report->payload.data(), 4);
    EXPECT_EQ(status, 6912U);
    if (!second()) {
        EXPECT_FALSE(control::outputs().rf_out_enabled);
    }
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, PlayTest,
                         ::testing::Values(DeviceKind::first_generation, DeviceKind::second_generation),
                         GenerationName{});

// A set plays as one recording: its files end to end, then from the start again.
class PlaySetTest : public PlayTest {
protected:
    // Members of 2 s each with distinct counters: their bytes joined in set order, and the
    // "$File" lines that list them, each name followed by `after_name`.
    struct Members {
        std::vector<std::uint8_t> joined;
        std::u16string file_lines;
    };
    Members write_members(const std::vector<std::string>& titles, std::u16string_view after_name) {
        Members members;
        for (std::size_t i = 0; i < titles.size(); ++i) {
            write_recording(titles[i], 2, 0, {}, static_cast<std::uint32_t>(i) * 10'000'000U);
            const auto& bytes = recordings_[titles[i]];
            members.joined.insert(members.joined.end(), bytes.begin(), bytes.end());
            members.file_lines += u"$File," + platform::from_utf8(titles[i] + ".wpj") + std::u16string(after_name) + u"\r\n";
        }
        return members;
    }
    // Plays the opened set through twice and checks the sink got the members joined, cycled.
    void expect_played_end_to_end(const std::vector<std::uint8_t>& joined) {
        start_play();
        ASSERT_TRUE(received_at_least(joined.size() * 2));
        stop_play();
        const auto stats = control::play_stats();
        tamrel::sim::PlayHash expected;
        cyclic_hash(expected, joined, 0, joined.size(), 0, stats.received);
        EXPECT_EQ(stats.hash, expected.value()) << "a gap or a repeat at a file boundary";
        EXPECT_TRUE(window_.wait_for_text(u"Next BBR", 0ms));
        EXPECT_TRUE(window_.wait_for_text(u"File repeat", 0ms));
    }
};

TEST_P(PlaySetTest, ABlackBoxSetPlaysItsFilesEndToEndWithoutAGap) {
    open(/*paced=*/false);
    const Members members = write_members({"member0", "member1", "member2"}, u",");
    write_text("bbr_event_0000.bbr",
               u"$Ver,1,Total,3,Event,member0.wpj,Position,0,Mask,TRIGGER,,,,\r\n" + members.file_lines);
    open_for_play(u"D:\\TamrelData\\Record\\bbr_event_0000.bbr");
    EXPECT_EQ(session_->PlayFileInfo().Duration, 6U);
    expect_played_end_to_end(members.joined);
}

// Event sets are opened by t2playfile only: the second generation's.
class EventSetPlayTest : public PlaySetTest {};

TEST_P(EventSetPlayTest, AnEventSetPlaysLikeABlackBoxSet) {
    open(/*paced=*/false);
    const Members members = write_members({"20261210_120000", "20261211_120000"}, u"");
    write_text("20261210_115959.wev", u"$Ver,1,Total,2,Storm warning,\r\n" + members.file_lines);
    open_for_play(u"D:\\TamrelData\\Record\\20261210_115959.wev");
    EXPECT_EQ(session_->PlayFileInfo().Kind, 5);
    EXPECT_EQ(session_->PlayFileInfo().Duration, 4U);
    expect_played_end_to_end(members.joined);
}

INSTANTIATE_TEST_SUITE_P(SecondGeneration, EventSetPlayTest, ::testing::Values(DeviceKind::second_generation),
                         GenerationName{});

INSTANTIATE_TEST_SUITE_P(BothGenerations, PlaySetTest,
                         ::testing::Values(DeviceKind::first_generation, DeviceKind::second_generation),
                         GenerationName{});

// What the record path wrote plays back unchanged.
TEST_F(RecordTest, ARecordingMadeHerePlaysBackByteForByte) {
    open_connected(DeviceKind::second_generation);
    ASSERT_TRUE(control::set_play_pacing(tamrel::api::CapturePacing{true, 1.0}).ok());
    ASSERT_TRUE(control::set_record_iq_rate(kRate).ok());
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::RecordIQRate, kRate);
    control::set_capture_run_limit(13 * kBlock);  // 12 blocks after the dropped first one
    run(u"t2record 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_RECORD);
    const std::u16string sample = session_->CaptureFilePath();
    const std::u16string project = session_->CaptureProjectPath();
    ASSERT_TRUE(eventually([&] { return std::filesystem::file_size(posix(sample)) >= 12 * kBlock; }));
    run(u"t2record 0");
    const std::vector<std::uint8_t> recording = read_bytes(posix(sample));
    ASSERT_EQ(recording.size(), 12 * kBlock);

    run(u"t2playfile " + project);
    ASSERT_TRUE(wait_packet(TM_CMD_T2PLAYFILE, TM_RW_ACK, 5s).has_value());
    EXPECT_EQ(session_->PlayFileInfo().Duration, 3U);  // 12,582,912 bytes: 3 whole seconds
    run(u"t2play 1");
    ASSERT_EQ(session_->CurrentMode(), TM_MODE_PLAY);
    ASSERT_TRUE(eventually([&] { return control::play_stats().received >= 4 * recording.size(); }));
    run(u"t2play 0");
    const auto stats = control::play_stats();
    tamrel::sim::PlayHash expected;
    cyclic_hash(expected, recording, 0, 3 * kSecond, 0, stats.received);
    EXPECT_EQ(stats.hash, expected.value());
}

}  // namespace
