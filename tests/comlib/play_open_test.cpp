// Opening recordings for play with "playfile", "playfileex" and "t2playfile": the selection the
// session takes from a project file or a black-box set, the play gain and gain range it sets on
// the board, the first spectrum, and what the host hears when a file is refused.

#include <array>

#include "play_files_fixture.hpp"

namespace {

using tamrel::api::DeviceKind;
namespace control = tamrel::sim::control;
using namespace std::chrono_literals;

constexpr unsigned kRate = 10'000'000;
constexpr std::uint64_t kSecondBytes = 40'000'000;  // at kRate
constexpr unsigned kDeviceFault = 0xE00F;

// A second whose power is the loudest of its recording when `loud`.
RecordedSecond second_with(float gain_db, bool loud) { return RecordedSecond{gain_db, loud ? -20.5 : -45.0, {}}; }

std::vector<std::u16string> texts_of(const std::vector<ReceivedPacket>& packets) {
    std::vector<std::u16string> texts;
    for (const ReceivedPacket& p : packets) texts.push_back(p.text());
    return texts;
}

// ---- The play file gain of a first-generation opening ---------------------------------------

struct GainCase {
    const char* name;
    int agc;
    float expected_gain_db;
    short expected_tenths;
    unsigned expected_third;  // the compensation's third value: the power, or the AGC ramp speed
};
void PrintTo(const GainCase& c, std::ostream* os) { *os << c.name; }

class PlayFileGainTest : public PlayFilesTest, public ::testing::WithParamInterface<GainCase> {};

// Ten seconds, gain 1 + s dB in second s, the loudest power in second 4, a GPS sentence after
// every gain line.
RecordingPlan ten_seconds(int agc) {
    RecordingPlan plan;
    plan.title = u"ten";
    plan.agc = agc;
    plan.seconds = PlayFilesTest::seconds_of(
        10, [](unsigned s) { return second_with(1.0F + static_cast<float>(s), s == 4); }, true);
    return plan;
}

TEST_P(PlayFileGainTest, PlayfileSetsTheGainOfTheRecordingAndSendsItsWholeLog) {
    open_connected(DeviceKind::first_generation);
    const RecordingPlan plan = ten_seconds(GetParam().agc);
    const std::u16string path = write_recording(plan);
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(u"playfile " + path);

    EXPECT_EQ(window_.texts_of(), (std::vector<std::u16string>{u"Tamrel Project File:Ok", u"IQ Rate:10000000 Hz",
                                                               u"Update Time : 100"}));
    EXPECT_FLOAT_EQ(session_->PlayFileGainDb(), GetParam().expected_gain_db);
    const auto gain = only(sent, TM_CMD_GAIN_CHANNEL, TM_RW_GAIN);
    ASSERT_EQ(gain.size(), 1U);
    EXPECT_EQ(short_payload(gain[0]), GetParam().expected_tenths);
    const auto read_back = only(sent, TM_CMD_GAIN_CHANNEL, TM_RW_PLAY_GAIN);
    ASSERT_EQ(read_back.size(), 1U);
    EXPECT_EQ(short_payload(read_back[0]), GetParam().expected_tenths);
    const auto applied = control::outputs().captured_gain;
    ASSERT_TRUE(applied.has_value());
    EXPECT_EQ(*applied, (tamrel::sim::CapturedGainCompensation{0, GetParam().expected_tenths, GetParam().expected_third}));
    EXPECT_TRUE(only(sent, TM_CMD_INFO, TM_RW_PLAY_GAIN_RANGE).empty()) << "only playfileex reports a gain range";

    // The whole log went out while the file was read: every gain line and every GPS sentence,
    // each without its line end, after both graphs were cleared.
    std::vector<std::u16string> gains, sentences;
    for (const std::u16string& line : log_lines(plan)) (line.starts_with(u"$GAIN") ? gains : sentences).push_back(line);
    EXPECT_EQ(texts_of(only(sent, TM_CMD_GAIN_CHANNEL, TM_RW_LOG_GAIN_LINE)), gains);
    EXPECT_EQ(texts_of(only(sent, TM_CMD_GPS_CHANNEL, TM_RW_LOG_GPS_LINE)), sentences);

    // Order: acknowledgement, graph resets, log, gain, read-back, spectrum notices.
    const std::array order = {
        index_of(sent, TM_CMD_PLAYFILE, TM_RW_ACK),           index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_GRAPH_RESET),
        index_of(sent, TM_CMD_GPS_CHANNEL, TM_RW_GRAPH_RESET), index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_LOG_GAIN_LINE),
        index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_GAIN),       index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_PLAY_GAIN),
        index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_FIRST_SPECTRUM_SENT),
        index_of(sent, TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK),
    };
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_NE(order[i], npos) << "packet " << i << " of the opening is missing";
        if (i > 0) {
            EXPECT_LT(order[i - 1], order[i]) << "packet " << i << " out of order";
        }
    }
    EXPECT_TRUE(error_reports(sent).empty());
}

// Without AGC the gain is that of the loudest second (4: 5.0 dB) and the third value its power
// (-20.5 dBm: -205 + 0.5 truncated toward zero, -204); with AGC the first second's gain and the
// 250 ms ramp.
INSTANTIATE_TEST_SUITE_P(Table, PlayFileGainTest,
                         ::testing::Values(GainCase{"AgcOff", 0, 5.0F, 50, static_cast<unsigned>(-204)},
                                           GainCase{"AgcOn", 1, 2.0F, 20, 250U}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- The gain range of "playfileex" ------------------------------------------------------------

struct RangeCase {
    const char* name;
    float loudest_gain_db;  // what the board then reads back, in tenths
    std::int32_t maximum, minimum;
};
void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class PlayFileExRangeTest : public PlayFilesTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(PlayFileExRangeTest, TheRangeFollowsTheReadBackGain) {
    open_connected(DeviceKind::first_generation);
    RecordingPlan plan;
    plan.title = u"range";
    plan.seconds = {second_with(1.0F, false), second_with(GetParam().loudest_gain_db, true), second_with(2.0F, false)};
    const std::vector<ReceivedPacket> sent = packets_of(u"playfileex " + write_recording(plan));

    ASSERT_EQ(only(sent, TM_CMD_PLAYFILEEX, TM_RW_ACK).size(), 1U);
    const auto read_back = only(sent, TM_CMD_GAIN_CHANNEL, TM_RW_PLAY_GAIN);
    ASSERT_EQ(read_back.size(), 1U);
    EXPECT_EQ(short_payload(read_back[0]), static_cast<short>(GetParam().loudest_gain_db * 10.0F));
    const auto range = only(sent, TM_CMD_INFO, TM_RW_PLAY_GAIN_RANGE);
    ASSERT_EQ(range.size(), 1U);
    ASSERT_EQ(range[0].payload.size(), 8U);
    EXPECT_EQ(value_at<std::int32_t>(range[0].payload, 0), GetParam().maximum);
    EXPECT_EQ(value_at<std::int32_t>(range[0].payload, 4), GetParam().minimum);
    EXPECT_EQ(session_->PlayGainRangeMax(), GetParam().maximum);
    EXPECT_EQ(session_->PlayGainRangeMin(), GetParam().minimum);
    EXPECT_TRUE(only(sent, TM_CMD_GAIN_CHANNEL, TM_RW_LOG_GAIN_LINE).empty()) << "playfileex sends no log";
}

INSTANTIATE_TEST_SUITE_P(Table, PlayFileExRangeTest,
                         ::testing::Values(RangeCase{"ReadBack120", 12.0F, 180, -300},
                                           RangeCase{"ReadBackMinus700", -70.0F, 300, -200},
                                           RangeCase{"ReadBackMinus100", -10.0F, 300, -300}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- Second generation -------------------------------------------------------------------------

struct SecondCase {
    const char* name;
    std::vector<float> gains;     // one gain line each; the first is the play file gain
    std::uint64_t sample_bytes;   // 0: one whole second per gain line
    unsigned centre_hz;
    short offset_gain;            // the board's play offset gain, 0.1 dB
    std::int32_t maximum, minimum;
};
void PrintTo(const SecondCase& c, std::ostream* os) { *os << c.name; }

class SecondGenerationOpenTest : public PlayFilesTest, public ::testing::WithParamInterface<SecondCase> {};

TEST_P(SecondGenerationOpenTest, T2playfileSetsThePlayPathAndReportsTheGainRange) {
    const SecondCase& c = GetParam();
    open_connected_with(DeviceKind::second_generation, [&] {
        auto calibration = control::calibration();
        calibration.play_offset_gain = c.offset_gain;
        control::set_calibration(calibration);
    });
    ASSERT_EQ(session_->PlayOffsetGain(), c.offset_gain);
    constexpr short kLogGainBase = -50;
    CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::PlayGain, kLogGainBase);
    RecordingPlan plan;
    plan.title = u"second";
    plan.second_generation = true;
    plan.centre_hz = c.centre_hz;
    plan.sample_bytes = c.sample_bytes;
    for (float g : c.gains) plan.seconds.push_back(RecordedSecond{g, -30.0, {}});
    const std::vector<ReceivedPacket> sent = packets_of(u"t2playfile " + write_recording(plan));

    ASSERT_EQ(only(sent, TM_CMD_T2PLAYFILE, TM_RW_ACK).size(), 1U);
    const auto e = static_cast<short>(c.gains.front() * 10.0F);
    EXPECT_FLOAT_EQ(session_->PlayFileGainDb(), c.gains.front());
    const auto settings = control::play_settings();
    EXPECT_EQ(settings.tm2_iq_rate, std::optional<unsigned>(kRate));
    EXPECT_EQ(settings.tm2_freq, std::optional<unsigned>(c.centre_hz));
    EXPECT_EQ(settings.file_power_gain, std::optional<short>(e));
    EXPECT_EQ(settings.user_gain, std::optional<short>(0));
    EXPECT_EQ(control::outputs().play_log_gain, std::optional<short>(static_cast<short>(e + kLogGainBase)));
    for (TM_RW_ID_e rw : {TM_RW_GAIN, TM_RW_PLAY_GAIN}) {
        const auto gain = only(sent, TM_CMD_GAIN_CHANNEL, rw);
        ASSERT_EQ(gain.size(), 1U) << "kind " << rw;
        EXPECT_EQ(short_payload(gain[0]), e) << "kind " << rw;
    }
    const auto range = only(sent, TM_CMD_INFO, TM_RW_T2_PLAY_GAIN_RANGE);
    ASSERT_EQ(range.size(), 1U);
    ASSERT_EQ(range[0].payload.size(), 8U);
    EXPECT_EQ(value_at<std::int32_t>(range[0].payload, 0), c.maximum);
    EXPECT_EQ(value_at<std::int32_t>(range[0].payload, 4), c.minimum);
    EXPECT_TRUE(only(sent, TM_CMD_INFO, TM_RW_PLAY_GAIN_RANGE).empty());
    EXPECT_TRUE(error_reports(sent).empty());
}

// Loudest recorded gain 10.0 dB at 100 MHz: 30 + 200 - 100 = 130, -900 - 100 raised to -300;
// below 48 MHz the headroom is 100; the offset gain lowers both ends; a recording without a whole
// second counts its loudest gain as 0 dB.
INSTANTIATE_TEST_SUITE_P(
    Table, SecondGenerationOpenTest,
    ::testing::Values(SecondCase{"Loudest10dB", {2.0F, 10.0F, 5.0F}, 0, 100'000'000, 0, 130, -300},
                      SecondCase{"LowBand", {2.0F, 10.0F, 5.0F}, 0, 40'000'000, 0, 200, -300},
                      SecondCase{"OffsetGain", {-75.0F, -70.0F, -80.0F}, 0, 100'000'000, 50, 300, -250},
                      SecondCase{"NoWholeSecond", {10.0F}, 1'048'576, 100'000'000, 0, 230, -300}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- What the commands answer --------------------------------------------------------------------

struct CommandCase {
    const char* name;
    DeviceKind kind;
    const char16_t* command;  // the command word and a blank
    const char16_t* file;     // in D's recording folder; empty for no argument
    std::vector<std::u16string> lines;
    TM_CMD_ID_e row;
    int acknowledgement;      // TM_RW_ACK, TM_RW_NAK, or 0 for none at all
    std::vector<std::uint32_t> errors;
};
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class PlayFileCommandTest : public PlayFilesTest, public ::testing::WithParamInterface<CommandCase> {
protected:
    // GOOD.WPJ (capitals) with GOOD.iqw; bad.wpj whose AGC value is refused; notes.txt.
    void write_files() {
        RecordingPlan good;
        good.title = u"GOOD";
        good.second_generation = GetParam().kind == DeviceKind::second_generation;
        good.seconds = {second_with(3.0F, true)};
        write_recording(good);
        std::filesystem::rename(record_file(u"GOOD.wpj"), record_file(u"GOOD.WPJ"));
        write_sample(u"bad.iqw", kSecondBytes, 2);
        write_text(u"bad.wpj", header_line(u"bad.iqw", kRate, false, 50'000'000, 2));
        write_text(u"notes.txt", u"not a recording\r\n");
    }
};

TEST_P(PlayFileCommandTest, LinesAcknowledgementAndErrorReports) {
    const CommandCase& c = GetParam();
    open_connected(c.kind);
    write_files();
    window_.clear();
    const std::u16string file = *c.file == u'\0' ? std::u16string() : record_path(c.file);
    const std::vector<ReceivedPacket> sent = packets_of(c.command + file);

    EXPECT_EQ(window_.texts_of(), c.lines);
    EXPECT_EQ(only(sent, c.row, TM_RW_ACK).size(), c.acknowledgement == TM_RW_ACK ? 1U : 0U);
    EXPECT_EQ(only(sent, c.row, TM_RW_NAK).size(), c.acknowledgement == TM_RW_NAK ? 1U : 0U);
    EXPECT_EQ(error_reports(sent), c.errors);
    const bool opened = c.acknowledgement == TM_RW_ACK;
    EXPECT_EQ(session_->PlayProjectPath(), opened ? file : std::u16string());
    EXPECT_EQ(index_of(sent, TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK) != npos, opened);
}

// An opening's lines: the file accepted, its rate, and the update period the spectrum size sets.
const std::vector<std::u16string> kOpened = {u"Tamrel Project File:Ok", u"IQ Rate:10000000 Hz", u"Update Time : 100"};
const std::vector<std::u16string> kOpenedT2 = {u"Tamrel Project File:Ok", u"IQ Rate:10000000 Hz", u"Update Time : 85"};
const std::vector<std::u16string> kFail = {u"Playfile:Fail"};
constexpr std::uint32_t kPlayFile = CTamrelComMFC::kStatusPlayFile;

INSTANTIATE_TEST_SUITE_P(
    Table, PlayFileCommandTest,
    ::testing::Values(
        CommandCase{"CapitalExtension", DeviceKind::first_generation, u"playfile ", u"GOOD.WPJ", kOpened,
                    TM_CMD_PLAYFILE, TM_RW_ACK, {}},
        CommandCase{"CapitalExtensionEx", DeviceKind::first_generation, u"playfileex ", u"GOOD.WPJ", kOpened,
                    TM_CMD_PLAYFILEEX, TM_RW_ACK, {}},
        CommandCase{"CapitalExtensionT2", DeviceKind::second_generation, u"t2playfile ", u"GOOD.WPJ", kOpenedT2,
                    TM_CMD_T2PLAYFILE, TM_RW_ACK, {}},
        CommandCase{"MissingFileGivesNoLine", DeviceKind::first_generation, u"playfile ", u"missing.wpj", {},
                    TM_CMD_PLAYFILE, 0, {}},
        CommandCase{"MissingFileEx", DeviceKind::first_generation, u"playfileex ", u"missing.wpj", kFail,
                    TM_CMD_PLAYFILEEX, TM_RW_NAK, {kPlayFile}},
        CommandCase{"MissingFileT2", DeviceKind::second_generation, u"t2playfile ", u"missing.wpj", kFail,
                    TM_CMD_T2PLAYFILE, TM_RW_NAK, {kPlayFile}},
        CommandCase{"OtherExtension", DeviceKind::first_generation, u"playfile ", u"notes.txt", kFail,
                    TM_CMD_PLAYFILE, TM_RW_NAK, {kPlayFile}},
        CommandCase{"OtherExtensionEx", DeviceKind::first_generation, u"playfileex ", u"notes.txt", kFail,
                    TM_CMD_PLAYFILEEX, TM_RW_NAK, {kPlayFile}},
        // A refused header is told once: one NAK, one error report, one failure line.
        CommandCase{"RefusedHeader", DeviceKind::first_generation, u"playfile ", u"bad.wpj", kFail,
                    TM_CMD_PLAYFILE, TM_RW_NAK, {kPlayFile}},
        CommandCase{"RefusedHeaderEx", DeviceKind::first_generation, u"playfileex ", u"bad.wpj", kFail,
                    TM_CMD_PLAYFILEEX, TM_RW_NAK, {kPlayFile}},
        CommandCase{"RefusedHeaderT2", DeviceKind::second_generation, u"t2playfile ", u"bad.wpj", kFail,
                    TM_CMD_T2PLAYFILE, TM_RW_NAK, {kPlayFile}},
        CommandCase{"NoArgumentReportsTheSelection", DeviceKind::first_generation, u"playfile", u"",
                    {u"Playfile:"}, TM_CMD_PLAYFILE, 0, {}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(PlayFilesTest, PlayfileWhileRecordingReportsTheSelectionAndOpensNothing) {
    open_connected(DeviceKind::first_generation);
    RecordingPlan first;
    first.title = u"first";
    first.seconds = {second_with(1.0F, true)};
    const std::u16string selected = write_recording(first);
    run(u"playfile " + selected);
    ASSERT_EQ(session_->PlayProjectPath(), selected);
    RecordingPlan other = first;
    other.title = u"other";
    const std::u16string other_path = write_recording(other);

    run(u"record 1");
    ASSERT_NE(session_->RunStatus(), 0U);
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(u"playfile " + other_path);
    const std::vector<std::u16string> lines = window_.texts_of();
    run(u"record 0");

    EXPECT_NE(std::find(lines.begin(), lines.end(), u"Playfile:" + selected), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), u"Tamrel Project File:Ok"), lines.end());
    EXPECT_EQ(session_->PlayProjectPath(), selected);
    EXPECT_TRUE(only(sent, TM_CMD_PLAYFILE, TM_RW_ACK).empty());
    EXPECT_TRUE(only(sent, TM_CMD_PLAYFILE, TM_RW_NAK).empty());
}

// ---- A refused file leaves the selection ------------------------------------------------------

struct SnapshotOfSelection {
    std::vector<std::uint8_t> description;
    std::u16string sample, project;
    std::array<std::uint32_t, 6> settings{};
    std::uint64_t repeat_start_byte = 0, repeat_end_byte = 0;
    float gain_db = 0.0F;

    static SnapshotOfSelection of(const CTamrelComMFC& session) {
        SnapshotOfSelection s;
        const _TmFileInfo_t info = session.PlayFileInfo();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&info);
        s.description.assign(bytes, bytes + sizeof info);
        s.sample = session.PlaySamplePath();
        s.project = session.PlayProjectPath();
        const _TmSettingBlock_t b = session.SettingBlock();
        s.settings = {b.PlayBW, b.PlayFreq, b.PlayIQRate, b.PlayFileLength, b.PlayRepeatStart, b.PlayRepeatEnd};
        s.repeat_start_byte = session.PlayRepeatStartByte();
        s.repeat_end_byte = session.PlayRepeatEndByte();
        s.gain_db = session.PlayFileGainDb();
        return s;
    }
    friend bool operator==(const SnapshotOfSelection&, const SnapshotOfSelection&) = default;
};

struct RefusedCase {
    const char* name;
    const char16_t* command;
    const char16_t* file;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedOpenTest : public PlayFilesTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedOpenTest, LeavesThePreviousSelectionWhole) {
    open_connected(DeviceKind::first_generation);
    RecordingPlan kept;
    kept.title = u"kept";
    kept.iq_rate = 30'000'000;
    kept.centre_hz = 70'000'000;
    kept.seconds = {second_with(4.0F, false), second_with(6.5F, true)};
    const std::u16string kept_path = write_recording(kept);
    run(u"playfileex " + kept_path);
    const SnapshotOfSelection before = SnapshotOfSelection::of(*session_);
    ASSERT_EQ(before.project, kept_path);
    ASSERT_EQ(before.settings[3], 2U);

    // Refused candidates: a header with AGC 2, a sample file under 1 MiB, a set that lists
    // fewer members than its total.
    write_sample(u"agc.iqw", kSecondBytes, 3);
    write_text(u"agc.wpj", header_line(u"agc.iqw", kRate, false, 90'000'000, 2));
    write_sample(u"short.iqw", 1'048'575, 4);
    write_text(u"short.wpj", header_line(u"short.iqw", kRate, false, 90'000'000, 0));
    RecordingPlan member;
    member.title = u"member";
    member.seconds = {second_with(1.0F, true)};
    write_recording(member);
    write_text(u"partial.bbr",
               u"$Ver,1,Total,2,Event,member.wpj,Position,0,Mask,TRIGGER,,,,\r\n$File,member.wpj,\r\n");

    const std::vector<ReceivedPacket> sent = packets_of(GetParam().command + record_path(GetParam().file));
    EXPECT_EQ(error_reports(sent), std::vector<std::uint32_t>{CTamrelComMFC::kStatusPlayFile});
    EXPECT_TRUE(SnapshotOfSelection::of(*session_) == before) << "the refused file changed the selection";
    window_.clear();
    run(u"playfile");
    EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"Playfile:" + kept_path});
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedOpenTest,
                         ::testing::Values(RefusedCase{"AgcValue", u"playfile ", u"agc.wpj"},
                                           RefusedCase{"AgcValueEx", u"playfileex ", u"agc.wpj"},
                                           RefusedCase{"ShortSample", u"playfileex ", u"short.wpj"},
                                           RefusedCase{"IncompleteSet", u"playfileex ", u"partial.bbr"},
                                           RefusedCase{"IncompleteSetPlayfile", u"playfile ", u"partial.bbr"}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- The selection, the settings block and the windows ----------------------------------------

struct SelectionCase {
    const char* name;
    unsigned iq_rate, centre_hz, seconds;
    std::uint32_t bandwidth;
    const char16_t* rate_line;
    const char16_t* bw_window;
};
void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class SelectionTest : public PlayFilesTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectionTest, OpeningFillsThePlaySettingsAndTheWindows) {
    const SelectionCase& c = GetParam();
    open_connected(DeviceKind::first_generation);
    platform::RecordingHostWindow file_window, freq_window, bw_window;
    session_->TmSetStaticWinID(TM_STATIC_PLAY_FILE, &file_window);
    session_->TmSetStaticWinID(TM_STATIC_PLAY_FREQ, &freq_window);
    session_->TmSetStaticWinID(TM_STATIC_PLAY_BW, &bw_window);
    RecordingPlan plan;
    plan.title = u"selected";
    plan.iq_rate = c.iq_rate;
    plan.centre_hz = c.centre_hz;
    plan.seconds = seconds_of(c.seconds, [](unsigned s) { return second_with(static_cast<float>(s), s == 1); });
    window_.clear();
    run(u"playfileex " + write_recording(plan));

    const _TmSettingBlock_t b = session_->SettingBlock();
    EXPECT_EQ(b.PlayIQRate, c.iq_rate);
    EXPECT_EQ(b.PlayFreq, c.centre_hz);
    EXPECT_EQ(b.PlayBW, c.bandwidth);
    EXPECT_EQ(b.PlayFileLength, c.seconds);
    EXPECT_EQ(b.PlayRepeatStart, 0U);
    EXPECT_EQ(b.PlayRepeatEnd, c.seconds);
    EXPECT_EQ(session_->PlayElapsedSeconds(), 0U);
    EXPECT_EQ(session_->PlayRepeatStartByte(), 0U);
    EXPECT_EQ(session_->PlayRepeatEndByte(), bytes_per_second(c.iq_rate) * c.seconds);
    const _TmFileInfo_t info = session_->PlayFileInfo();
    EXPECT_EQ(info.Kind, TM_FILE_KIND_PROJECT);
    EXPECT_EQ(info.Duration, c.seconds);
    EXPECT_EQ(info.SampleSize, bytes_per_second(c.iq_rate) * c.seconds);
    EXPECT_EQ(session_->PlaySamplePath(), record_path(u"selected.iqw"));
    EXPECT_EQ(session_->PlayProjectPath(), record_path(u"selected.wpj"));
    const auto lines = window_.texts_of();
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::u16string(c.rate_line)), lines.end());
    EXPECT_EQ(file_window.window_text(), u"File Name:selected.wpj");
    EXPECT_EQ(freq_window.window_text(), u"Frequency:" + platform::format(u"%u Hz", c.centre_hz));
    EXPECT_EQ(bw_window.window_text(), std::u16string(c.bw_window));
    // The board plays at the recording's rate and frequency.
    const auto settings = control::play_settings();
    EXPECT_EQ(settings.bandwidth, c.bandwidth);
    EXPECT_EQ(settings.iq_rate, c.iq_rate);
    EXPECT_EQ(settings.center_freq, c.centre_hz);
}

INSTANTIATE_TEST_SUITE_P(Table, SelectionTest,
                         ::testing::Values(SelectionCase{"TenMegasamples", 10'000'000, 50'000'000, 10, 0,
                                                         u"IQ Rate:10000000 Hz", u"BW:8.000 MHz"},
                                           SelectionCase{"ThirtyMegasamples", 30'000'000, 70'000'000, 3, 1,
                                                         u"IQ Rate:30000000 Hz", u"BW:24.000 MHz"}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- The first spectrum -----------------------------------------------------------------------

TEST_F(PlayFilesTest, OpeningSendsTheSampleFilesFirstBytesTwiceThenTheNotices) {
    open_connected(DeviceKind::first_generation);
    RecordingPlan plan;
    plan.title = u"spectrum";
    plan.seed = 9;
    plan.seconds = {second_with(1.0F, true), second_with(2.0F, false)};
    const std::vector<ReceivedPacket> sent = packets_of(u"playfile " + write_recording(plan));

    const std::vector<ReceivedPacket> chunks = raw_chunks(sent);
    ASSERT_EQ(chunks.size(), 2 * kChunksPerSpectrum);
    const std::vector<std::uint8_t> expected = sample_pattern(kSpectrumBytes, plan.seed);
    for (std::size_t copy = 0; copy < 2; ++copy) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < kChunksPerSpectrum; ++i) {
            const ReceivedPacket& chunk = chunks[copy * kChunksPerSpectrum + i];
            EXPECT_EQ(chunk.rw, TM_RW_RAW_FIRST + i);
            bytes.insert(bytes.end(), chunk.payload.begin(), chunk.payload.end());
        }
        EXPECT_TRUE(bytes == expected) << "copy " << copy << " is not the sample file's first bytes";
    }
    const std::size_t ready = index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_FIRST_SPECTRUM_SENT);
    const std::size_t log = index_of(sent, TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK);
    ASSERT_NE(ready, npos);
    ASSERT_NE(log, npos);
    EXPECT_LT(ready, log);
    std::size_t last_chunk = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        if (sent[i].cmd == TM_CMD_RAW_CAPTURE || sent[i].cmd == TM_CMD_RAW_PLAY) last_chunk = i;
    }
    EXPECT_LT(last_chunk, ready);
    EXPECT_EQ(session_->LogPosition(), 0U);
}

class FirstSpectrumTest : public PlayFilesTest, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(FirstSpectrumTest, SentOnlyWhenTheSampleFileHoldsAWholeSpectrum) {
    open_connected(DeviceKind::first_generation);
    const std::uint64_t size = GetParam();
    write_sample(u"raw.iqw", size, 5);
    const std::size_t from = packets().size();
    EXPECT_EQ(session_->TmPlayFileSendFirstSpectrum(record_path(u"raw.iqw")), 0U);
    const std::size_t to = settle();
    ASSERT_NE(to, npos);
    const auto& all = packets();
    const std::vector<ReceivedPacket> sent(all.begin() + static_cast<std::ptrdiff_t>(from),
                                           all.begin() + static_cast<std::ptrdiff_t>(to));
    EXPECT_EQ(raw_chunks(sent).size(), size >= kSpectrumBytes ? 2 * kChunksPerSpectrum : 0U);
    const std::size_t ready = index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_FIRST_SPECTRUM_SENT);
    const std::size_t log = index_of(sent, TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK);
    ASSERT_NE(ready, npos);
    ASSERT_NE(log, npos);
    EXPECT_LT(ready, log);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FirstSpectrumTest,
                         ::testing::Values(std::uint64_t{0}, std::uint64_t{PlayFilesTest::kSpectrumBytes - 1},
                                           std::uint64_t{PlayFilesTest::kSpectrumBytes}, std::uint64_t{kSecondBytes}));

// ---- A black-box set --------------------------------------------------------------------------

struct SetCase {
    const char* name;
    std::vector<unsigned> loud;  // seconds of the set (from 1) with the loudest power
    unsigned expected_position;  // the second whose gain plays
};
void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }

class BlackBoxSetOpenTest : public PlayFilesTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(BlackBoxSetOpenTest, OpensAsOneRecordingWithTheLoudestSecondAcrossItsFiles) {
    open_connected(DeviceKind::first_generation);
    // Three members of 3, 4 and 5 seconds; second n of the set (counted across members) has the
    // gain 0.5 × n dB, and its TIME field restarts at 1 in every member.
    const std::array<unsigned, 3> lengths = {3, 4, 5};
    std::vector<std::u16string> titles;
    unsigned n = 0;
    for (std::size_t m = 0; m < lengths.size(); ++m) {
        RecordingPlan plan;
        plan.title = platform::format(u"bbr_record_%04d", static_cast<int>(m));
        plan.seed = static_cast<std::uint8_t>(20 + m);
        for (unsigned s = 0; s < lengths[m]; ++s) {
            ++n;
            const auto& loud = GetParam().loud;
            const bool is_loud = std::find(loud.begin(), loud.end(), n) != loud.end();
            plan.seconds.push_back(second_with(0.5F * static_cast<float>(n), is_loud));
        }
        write_recording(plan);
        titles.push_back(plan.title);
    }
    const std::u16string set_path = write_black_box_set(u"bbr_event_0000.bbr", titles);
    const std::vector<ReceivedPacket> sent = packets_of(u"playfileex " + set_path);

    ASSERT_EQ(only(sent, TM_CMD_PLAYFILEEX, TM_RW_ACK).size(), 1U);
    const _TmFileInfo_t info = session_->PlayFileInfo();
    EXPECT_EQ(info.Kind, TM_FILE_KIND_BLACK_BOX);
    EXPECT_EQ(info.Duration, 12U);
    EXPECT_EQ(info.SampleSize, 12 * kSecondBytes);
    EXPECT_EQ(name_of(info.ProjectName), u"bbr_event_0000.bbr");
    EXPECT_EQ(session_->PlaySamplePath(), set_path);
    EXPECT_EQ(session_->PlayProjectPath(), set_path);
    EXPECT_EQ(session_->SettingBlock().PlayFileLength, 12U);
    EXPECT_EQ(session_->SettingBlock().PlayRepeatEnd, 12U);
    EXPECT_EQ(session_->PlayRepeatEndByte(), 12 * kSecondBytes);

    const float expected_gain = 0.5F * static_cast<float>(GetParam().expected_position);
    EXPECT_FLOAT_EQ(session_->PlayFileGainDb(), expected_gain);
    const auto gain = only(sent, TM_CMD_GAIN_CHANNEL, TM_RW_GAIN);
    ASSERT_EQ(gain.size(), 1U);
    EXPECT_EQ(short_payload(gain[0]), static_cast<short>(expected_gain * 10.0F));

    // The first spectrum is the first member's.
    const std::vector<ReceivedPacket> chunks = raw_chunks(sent);
    ASSERT_EQ(chunks.size(), 2 * kChunksPerSpectrum);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < kChunksPerSpectrum; ++i) {
        bytes.insert(bytes.end(), chunks[i].payload.begin(), chunks[i].payload.end());
    }
    EXPECT_TRUE(bytes == sample_pattern(kSpectrumBytes, 20)) << "the spectrum is not the first member's";
}

// The loudest second in the second member, at the very start of the set, and twice (the first
// of equal powers wins).
INSTANTIATE_TEST_SUITE_P(Table, BlackBoxSetOpenTest,
                         ::testing::Values(SetCase{"InTheSecondMember", {5}, 5},
                                           SetCase{"FirstSecondOfTheSet", {1}, 1},
                                           SetCase{"EqualPowersInTwoMembers", {3, 8}, 3}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- Device failures ----------------------------------------------------------------------------

struct FaultCase {
    const char* name;
    DeviceKind kind;
    const char16_t* command;
    TM_CMD_ID_e row;
    const char* operation;
    std::vector<std::uint32_t> errors;
    bool command_fails;
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class DeviceFaultTest : public PlayFilesTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DeviceFaultTest, IsReportedAndTheOpeningCompletes) {
    const FaultCase& c = GetParam();
    open_connected(c.kind);
    RecordingPlan plan;
    plan.title = u"fault";
    plan.second_generation = c.kind == DeviceKind::second_generation;
    plan.seconds = {second_with(1.0F, true), second_with(2.0F, false)};
    const std::u16string path = write_recording(plan);
    ASSERT_TRUE(control::fail_next(c.operation, 1, kDeviceFault).ok());
    window_.clear();
    const std::vector<ReceivedPacket> sent = packets_of(c.command + path);

    EXPECT_EQ(error_reports(sent), c.errors);
    EXPECT_EQ(only(sent, c.row, TM_RW_ACK).size(), 1U) << "the opener accepted the file";
    EXPECT_EQ(only(sent, c.row, TM_RW_NAK).size(), c.command_fails ? 1U : 0U);
    const auto lines = window_.texts_of();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), u"Playfile:Fail"), c.command_fails ? 1 : 0);
    // The opening went on to the end.
    EXPECT_EQ(session_->PlayProjectPath(), path);
    EXPECT_NE(index_of(sent, TM_CMD_GAIN_CHANNEL, TM_RW_FIRST_SPECTRUM_SENT), npos);
    EXPECT_NE(index_of(sent, TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK), npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceFaultTest,
    ::testing::Values(FaultCase{"CentreFrequencyEx", DeviceKind::first_generation, u"playfileex ", TM_CMD_PLAYFILEEX,
                                "PlaySetCenterFreq", {kDeviceFault, kDeviceFault}, true},
                      FaultCase{"CentreFrequency", DeviceKind::first_generation, u"playfile ", TM_CMD_PLAYFILE,
                                "PlaySetCenterFreq", {kDeviceFault, kPlayFile}, true},
                      FaultCase{"Bandwidth", DeviceKind::first_generation, u"playfileex ", TM_CMD_PLAYFILEEX,
                                "PlaySetBW", {kDeviceFault}, false},
                      FaultCase{"SecondFrequency", DeviceKind::second_generation, u"t2playfile ", TM_CMD_T2PLAYFILE,
                                "Tm2PlaySetFreq", {kDeviceFault, kDeviceFault}, true},
                      FaultCase{"SecondRate", DeviceKind::second_generation, u"t2playfile ", TM_CMD_T2PLAYFILE,
                                "Tm2PlaySetIQRate", {kDeviceFault}, false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
