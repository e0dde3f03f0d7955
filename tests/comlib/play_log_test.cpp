// "logrequest": the gain log of the recording selected for play, sent page by page (60 lines a
// page) from where the last page ended, for a project file and across the files of a black-box
// set.

#include "play_files_fixture.hpp"

namespace {

using tamrel::api::DeviceKind;
using namespace std::chrono_literals;

// What one "logrequest" sent: its log lines in order (gain lines and GPS sentences as they
// came), how many of each, and the packet that closed it.
struct LogPage {
    std::vector<std::u16string> lines;
    unsigned gains = 0, sentences = 0;
    std::uint32_t closing_cmd = 0, closing_rw = 0;
    unsigned closings = 0;  // packets 57/155 and 13/139 together; one per request
};

class LogRequestTest : public PlayFilesTest {
protected:
    void SetUp() override {
        PlayFilesTest::SetUp();
        open_connected(DeviceKind::first_generation);
    }

    LogPage request_page() {
        window_.clear();
        LogPage page;
        for (const ReceivedPacket& p : packets_of(u"logrequest")) {
            const bool gain = p.cmd == TM_CMD_GAIN_CHANNEL && p.rw == TM_RW_LOG_GAIN_LINE;
            const bool gps = p.cmd == TM_CMD_GPS_CHANNEL && p.rw == TM_RW_LOG_GPS_LINE;
            if (gain || gps) {
                page.lines.push_back(p.text());
                page.gains += gain ? 1U : 0U;
                page.sentences += gps ? 1U : 0U;
            }
            const bool more = p.cmd == TM_CMD_LOGREQUEST && p.rw == TM_RW_LOG_BLOCK;
            const bool done = p.cmd == TM_CMD_GAIN_CHANNEL && p.rw == TM_RW_LOG_DONE;
            if (more || done) {
                page.closing_cmd = p.cmd;
                page.closing_rw = p.rw;
                ++page.closings;
            }
        }
        EXPECT_EQ(window_.texts_of(), std::vector<std::u16string>{u"log request:Ok"});
        return page;
    }

    // Opens `path` with "playfileex" (which sends no log of its own).
    void select(const std::u16string& path) {
        run(u"playfileex " + path);
        ASSERT_EQ(session_->PlayProjectPath(), path);
        ASSERT_EQ(session_->LogPosition(), 0U);
    }
};

bool is_more(const LogPage& page) { return page.closing_cmd == TM_CMD_LOGREQUEST && page.closing_rw == TM_RW_LOG_BLOCK; }
bool is_end(const LogPage& page) { return page.closing_cmd == TM_CMD_GAIN_CHANNEL && page.closing_rw == TM_RW_LOG_DONE; }

// ---- A project file ----------------------------------------------------------------------------

struct PagingCase {
    const char* name;
    unsigned seconds;
    // The seconds (from 1) followed by a GPS sentence.
    bool (*has_gps)(unsigned second);
    // Per request: gain lines and GPS sentences sent; the last request ends the log.
    std::vector<std::pair<unsigned, unsigned>> pages;
};
void PrintTo(const PagingCase& c, std::ostream* os) { *os << c.name; }

class ProjectLogTest : public LogRequestTest, public ::testing::WithParamInterface<PagingCase> {};

TEST_P(ProjectLogTest, PagesTheLogWithoutLosingOrRepeatingALine) {
    const PagingCase& c = GetParam();
    RecordingPlan plan;
    plan.title = u"log";
    plan.seconds = seconds_of(c.seconds, [&](unsigned s) {
        return RecordedSecond{static_cast<float>(s % 7), -30.0 - static_cast<double>(s % 5),
                              c.has_gps(s) ? gps_text(s) : std::u16string()};
    });
    select(write_recording(plan));

    std::vector<std::u16string> all;
    std::uint32_t gains_so_far = 0;
    for (std::size_t i = 0; i < c.pages.size(); ++i) {
        const LogPage page = request_page();
        EXPECT_EQ(page.gains, c.pages[i].first) << "request " << i;
        EXPECT_EQ(page.sentences, c.pages[i].second) << "request " << i;
        EXPECT_EQ(page.closings, 1U) << "request " << i;
        const bool last = i + 1 == c.pages.size();
        EXPECT_TRUE(last ? is_end(page) : is_more(page)) << "request " << i << " closed with " << page.closing_cmd
                                                          << "/" << page.closing_rw;
        gains_so_far += page.gains;
        EXPECT_EQ(session_->LogPosition(), gains_so_far) << "request " << i;
        all.insert(all.end(), page.lines.begin(), page.lines.end());
    }
    EXPECT_EQ(all, log_lines(plan)) << "the pages together are not the log, line for line";

    // Past the end only the end of the log is sent, and the position stays at the end.
    const LogPage after = request_page();
    EXPECT_TRUE(after.lines.empty());
    EXPECT_TRUE(is_end(after));
    EXPECT_EQ(after.closings, 1U);
    EXPECT_EQ(session_->LogPosition(), c.seconds);
}

bool no_gps(unsigned) { return false; }
bool every_second(unsigned) { return true; }
// Page 1 is seconds 1 and 2 with their sentences and seconds 3 to 58 without (60 lines), so it
// ends with the gain line of second 58, whose sentence the next page must start with.
bool first_two_and_from_58(unsigned s) { return s <= 2 || s >= 58; }

INSTANTIATE_TEST_SUITE_P(
    Table, ProjectLogTest,
    ::testing::Values(PagingCase{"GainLinesOnly", 130, no_gps, {{60, 0}, {60, 0}, {10, 0}}},
                      PagingCase{"GpsAfterEveryGainLine", 130, every_second,
                                 {{30, 30}, {30, 30}, {30, 30}, {30, 30}, {10, 10}}},
                      PagingCase{"PageEndsWithAGainLine", 70, first_two_and_from_58,
                                 {{58, 2}, {12, 13}}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// ---- Nothing to page ---------------------------------------------------------------------------

TEST_F(LogRequestTest, WithoutAPlayFileTheLogEndsAtOnce) {
    const LogPage page = request_page();
    EXPECT_TRUE(page.lines.empty());
    EXPECT_TRUE(is_end(page)) << "closed with " << page.closing_cmd << "/" << page.closing_rw;
    EXPECT_EQ(page.closings, 1U);
    EXPECT_EQ(session_->LogPosition(), 0U);
}

TEST_F(LogRequestTest, AProjectFileThatCannotBeReadEndsTheLogAndTheNextStartsAgain) {
    RecordingPlan plan;
    plan.title = u"gone";
    plan.seconds = seconds_of(80, [](unsigned s) { return RecordedSecond{1.0F, -30.0 - s, {}}; });
    const std::u16string path = write_recording(plan);
    select(path);
    ASSERT_EQ(request_page().gains, 60U);
    ASSERT_EQ(session_->LogPosition(), 60U);

    ASSERT_TRUE(std::filesystem::remove(record_file(u"gone.wpj")));
    const LogPage unreadable = request_page();
    EXPECT_TRUE(unreadable.lines.empty());
    EXPECT_TRUE(is_end(unreadable)) << "closed with " << unreadable.closing_cmd << "/" << unreadable.closing_rw;
    EXPECT_EQ(unreadable.closings, 1U);
    EXPECT_EQ(session_->LogPosition(), 0U);

    // Back again, the log starts from its first line.
    write_recording(plan);
    const LogPage again = request_page();
    ASSERT_FALSE(again.lines.empty());
    EXPECT_EQ(again.lines.front(), log_lines(plan).front());
    EXPECT_EQ(again.gains, 60U);
}

// ---- A black-box set ---------------------------------------------------------------------------

TEST_F(LogRequestTest, ASetPagesAcrossItsFilesAndNumbersTheSecondsOn) {
    // Three members of 25 seconds, each counting TIME from 1, a GPS sentence after every second.
    std::vector<std::u16string> titles;
    std::vector<std::u16string> expected;
    unsigned second_of_set = 0;
    for (int m = 0; m < 3; ++m) {
        RecordingPlan plan;
        plan.title = platform::format(u"bbr_record_%04d", m);
        plan.seconds = seconds_of(25, [&](unsigned s) {
            return RecordedSecond{static_cast<float>(m) + 0.5F, -40.0 + s, gps_text(static_cast<unsigned>(m) * 100 + s)};
        });
        write_recording(plan);
        titles.push_back(plan.title);
        for (const RecordedSecond& s : plan.seconds) {
            expected.push_back(gain_text(s.gain_db, s.power_db, static_cast<int>(++second_of_set)));
            expected.push_back(s.gps);
        }
    }
    select(write_black_box_set(u"bbr_event_0000.bbr", titles));

    std::vector<std::u16string> all;
    const std::vector<std::pair<unsigned, unsigned>> pages = {{30, 30}, {30, 30}, {15, 15}};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const LogPage page = request_page();
        EXPECT_EQ(page.gains, pages[i].first) << "request " << i;
        EXPECT_EQ(page.sentences, pages[i].second) << "request " << i;
        EXPECT_EQ(page.closings, 1U) << "request " << i;
        EXPECT_TRUE(i + 1 == pages.size() ? is_end(page) : is_more(page)) << "request " << i;
        all.insert(all.end(), page.lines.begin(), page.lines.end());
    }
    EXPECT_EQ(all, expected) << "the gain lines must carry TIME,1 to TIME,75 across the set";
    EXPECT_EQ(session_->LogPosition(), 75U);
    const LogPage after = request_page();
    EXPECT_TRUE(after.lines.empty());
    EXPECT_TRUE(is_end(after));
}

}  // namespace
