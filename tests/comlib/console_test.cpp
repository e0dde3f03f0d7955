// The command console: queue, lookup, argument forms and the console thread end to end.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "comlib/console/command_line.hpp"
#include "comlib/console/command_queue.hpp"
#include "comlib/console/command_table.hpp"
#include "session_fixture.hpp"

namespace {

using namespace std::chrono_literals;

TEST(CommandQueue, RefusesThe5001stLineAndAcceptsAgainAfterATake) {
    CommandQueue queue;
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(queue.push(u"line"), 0U);
    EXPECT_EQ(queue.push(u"one too many"), 6915U);
    EXPECT_EQ(queue.size(), 5000U);
    ASSERT_TRUE(queue.take(0ms).has_value());
    EXPECT_EQ(queue.push(u"fits again"), 0U);
}

TEST(CommandQueue, AQueuedLineWakesAWaitingTakeAtOnce) {
    CommandQueue queue;
    std::thread producer([&queue] { queue.push(u"record 1"); });
    const auto line = queue.take(10s);  // would time out only if the line never arrived
    producer.join();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, u"record 1");
}

TEST(CommandTable, EveryRowIsItsIndexWithA1024UnitName) {
    for (std::size_t row = 0; row < TM_CONSOLE_CMD_COUNT; ++row) {
        EXPECT_EQ(gt_TmCACC[row].id, row);
        EXPECT_EQ(gt_TmCACC[row].name[TM_CONSOLE_CMD_NAME_LEN - 1], u'\0');
    }
    EXPECT_EQ(sizeof gt_TmCACC, 132U * 2052U);
}

TEST(CommandLookup, FindsTheFirstExactCaseSensitiveRow) {
    struct Case {
        std::u16string_view line;
        std::size_t row;
    };
    const Case cases[] = {
        {u"search", 0},          {u"record 1", 5},        {u"play", 7},
        {u"preview 0", 11},      {u"t2recordfreq 1", 71}, {u"t2recordiqrate", 79},
        {u"hdr_play 1", 117},    {u"evtrecord", 126},     {u"None", 3},
        {u"   capturefreq 5", 31}, {u"Record", 132},      {u"", 132},
        {u"recordx", 132},       {u"evtgen x y", 130},
    };
    for (const auto& c : cases) {
        const CommandWord word = split_command_word(c.line);
        EXPECT_EQ(find_command_row(word.word), c.row) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(CommandLine, ArgumentsStartAfterTheRealEndOfTheWord) {
    const std::u16string_view line = u"  playfile D:\\Tamrel Data\\a b.wpj";
    const CommandWord word = split_command_word(line);
    EXPECT_EQ(word.word, u"playfile");
    EXPECT_EQ(word.end, 10U);
    EXPECT_EQ(file_argument(line, word.end), u"D:\\Tamrel Data\\a b.wpj");
    EXPECT_EQ(file_argument(u"playfile", 8), u"");
    EXPECT_EQ(file_argument(u"playfile ", 8), u"");
}

TEST(CommandLine, ScanResultSelectsTheForm) {
    EXPECT_EQ(argument_form(-1, 2), ArgumentForm::read);
    EXPECT_EQ(argument_form(2, 2), ArgumentForm::write);
    EXPECT_EQ(argument_form(1, 2), ArgumentForm::usage);
    EXPECT_EQ(argument_form(0, 1), ArgumentForm::usage);
}

class ConsoleTest : public SessionTest {};

TEST_F(ConsoleTest, UnknownWordsAreEchoedAnsweredAndClosedWithPrompt) {
    session_->BeginThread();
    for (const char16_t* line : {u"hello", u"Record", u"  None", u""}) {
        ASSERT_EQ(session_->TmTypeEditAddCmd(line), 0U);
    }
    ASSERT_TRUE(window_.wait_until(
        [](const auto& entries) {
            int prompts = 0;
            for (const auto& e : entries) prompts += e.text == u">" ? 1 : 0;
            return prompts == 4;
        },
        10s));
    const auto echoes = window_.texts_of(platform::kMsgCommandEcho);
    EXPECT_EQ(echoes, (std::vector<std::u16string>{u"hello", u"Record", u"  None", u""}));
    std::vector<std::u16string> lines;
    for (const auto& text : window_.texts_of(platform::kMsgStatusLine)) {
        if (text.rfind(u"Update Time", 0) != 0) lines.push_back(text);
    }
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"No Command(hello)", u">", u"No Command(Record)",
                                                  u">", u"No Command(None)", u">",
                                                  u"No Command()", u">"}));
}

TEST_F(ConsoleTest, ASecondBeginThreadStartsNoSecondSetAndShutDownLeavesNoThread) {
    session_->BeginThread();
    EXPECT_EQ(session_->RunningThreadCount(), 5U);
    session_->BeginThread();
    EXPECT_EQ(session_->RunningThreadCount(), 5U);
    session_->TerminateAllThread();
    EXPECT_EQ(session_->RunningThreadCount(), 0U);
    session_->TerminateAllThread();  // nothing left to stop: returns at once
    session_->TmSetPowerOff();
    EXPECT_EQ(session_->SampleBuffer(), nullptr);
}

TEST_F(ConsoleTest, TerminateWithNothingStartedReturnsAndPowerOffThenDestroyFreesOnce) {
    session_->TerminateAllThread();
    EXPECT_EQ(session_->RunningThreadCount(), 0U);
    EXPECT_NE(session_->SampleBuffer(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(session_->SampleBuffer()) % 4096, 0U);
    session_->TmSetPowerOff();
    EXPECT_EQ(session_->SampleBuffer(), nullptr);
    session_.reset();  // destroying after power-off stops and frees nothing twice
}

}  // namespace
