// The shell's commands, typed key by key on a pseudo-terminal against one simulated board.

#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/boarddiag/boarddiag_process.hpp"

namespace {

using boarddiag_test::BoarddiagProcess;
using boarddiag_test::first_prompt;

class BoarddiagCommands : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(shell_.started());
        ASSERT_TRUE(shell_.wait_for(first_prompt)) << shell_.output();
    }
    // Types `line` and Enter; the reply starts after the prompt's last drawing and "\r\n".
    void run(const std::string& line) { ASSERT_TRUE(shell_.type(line + "\r")); }
    bool reply(const std::string& text) { return shell_.wait_for(text); }

    BoarddiagProcess shell_{boarddiag_test::Environment{}};
};

TEST_F(BoarddiagCommands, HelpPrintsTheHelpText) {
    run("help");
    EXPECT_TRUE(reply("\r\n\n********** help functions **********\n"
                      ">help(Print this message)\n ex)h\n"
                      ">spi(SPI module access)\n"
                      ">bar0(bar0 read/write with 32bit address and 64bit data)\n"
                      ">bar2(bar2 read/write with 32bit address and 32bit data)\n"
                      ">x(Exit)\n ex)x\n"
                      "****************************\n"))
        << shell_.output();
}

TEST_F(BoarddiagCommands, SingleLetterHIsNotACommand) {
    run("h");
    run("help");
    ASSERT_TRUE(reply(">h\r\r\n")) << shell_.output();
    EXPECT_TRUE(reply(first_prompt)) << shell_.output();
    EXPECT_TRUE(reply(">help\r\r\n\n*****")) << shell_.output();
}

struct RegisterCase {
    const char* write;
    const char* read;
    const char* reply;
};

void PrintTo(const RegisterCase& c, std::ostream* os) { *os << c.write; }

class BoarddiagRegisters : public BoarddiagCommands,
                           public testing::WithParamInterface<RegisterCase> {};

TEST_P(BoarddiagRegisters, WriteThenReadBack) {
    const RegisterCase& c = GetParam();
    run(c.write);
    ASSERT_TRUE(reply(c.reply)) << shell_.output();
    run(c.read);
    EXPECT_TRUE(reply(c.reply)) << shell_.output();
}

std::string register_case_name(const testing::TestParamInfo<RegisterCase>& param_info) {
    static const char* const names[] = {"Bar2Gpo", "Bar2LeadingBlanks", "Bar0Memory",
                                        "Bar0LeadingBlank"};
    return names[param_info.index];
}

INSTANTIATE_TEST_SUITE_P(
    Windows, BoarddiagRegisters,
    testing::Values(
        RegisterCase{"bar2 4140 80000000", "bar2 4140", "\r\n\nrw(0x00004140):0x80000000\r\n"},
        RegisterCase{"bar2 10004 1234", "  bar2   10004", "\r\n\nrw(0x00010004):0x00001234\r\n"},
        RegisterCase{"bar0 10000000 1122334455667788", "bar0 10000000",
                     "\r\n\nrw(0x10000000):0x1122334455667788\r\n"},
        RegisterCase{" bar0  20 ffffffffffffffff", "bar0 20",
                     "\r\n\nrw(0x00000020):0xffffffffffffffff\r\n"}),
    register_case_name);

TEST_F(BoarddiagCommands, Bar2WithoutAddressPrintsItsUsage) {
    run("bar2");
    EXPECT_TRUE(reply("\r\n>bar2(bar2 read/write with 32bit address and 32bit data)\n"))
        << shell_.output();
}

TEST_F(BoarddiagCommands, ClearFillsBoardMemoryAndPrintsUsage) {
    run("bar0 10000010 1");
    ASSERT_TRUE(reply("rw(0x10000010):0x0000000000000001\r\n"));
    run("clear 0 10");
    ASSERT_TRUE(reply("\r\n\nUsage: clear [Start DRAM offset] [End DRAM offset]\r\n"))
        << shell_.output();
    run("bar0 10000000");
    EXPECT_TRUE(reply("rw(0x10000000):0x5555aaaa5555aaaa\r\n")) << shell_.output();
    run("bar0 10000008");
    EXPECT_TRUE(reply("rw(0x10000008):0x5555aaaa5555aaaa\r\n")) << shell_.output();
    run("bar0 10000010");  // the end is not filled
    EXPECT_TRUE(reply("rw(0x10000010):0x0000000000000001\r\n")) << shell_.output();
}

TEST_F(BoarddiagCommands, ClearOutOfRangeFillsNothing) {
    run("clear 0 10000001");
    ASSERT_TRUE(reply("\r\n\r\n Parameter out of range!!" + first_prompt)) << shell_.output();
    run("bar0 10000000");
    EXPECT_TRUE(reply("rw(0x10000000):0x0000000000000000\r\n")) << shell_.output();
}

TEST_F(BoarddiagCommands, ClearWithoutRangePrintsOnlyUsage) {
    run("clear 5");
    EXPECT_TRUE(reply("\r\n\nUsage: clear [Start DRAM offset] [End DRAM offset]\r\n" +
                      first_prompt))
        << shell_.output();
}

TEST_F(BoarddiagCommands, GpoWritesAndReadsTheOutputRegister) {
    run("gpo");
    ASSERT_TRUE(reply("\r\n\n GPO:0x00000000\r\n")) << shell_.output();
    run("gpo 8000000f");
    ASSERT_TRUE(reply("\r\n\n GPO:0x8000000f\r\n")) << shell_.output();
    run("bar2 4140");
    EXPECT_TRUE(reply("rw(0x00004140):0x8000000f\r\n")) << shell_.output();
}

TEST_F(BoarddiagCommands, DspSendsTheTextAndPrintsTheBoardsAnswer) {
    run("dsp hello");
    // The text is echoed as it is sent; the board's processor answers with the line it got.
    EXPECT_TRUE(reply("\r\nhellohello\r\n" + first_prompt)) << shell_.output();
    run("dsp");
    EXPECT_TRUE(reply(">dsp\r\r\n\r\n" + first_prompt)) << shell_.output();
}

TEST_F(BoarddiagCommands, PromptWithoutValuePrintsTheReminder) {
    run("prompt");
    EXPECT_TRUE(reply("\r\n\r\n promt 1/0 = prompt display on/off \r\n")) << shell_.output();
}

TEST_F(BoarddiagCommands, PromptOffStillRedrawsOnBackspace) {
    run("prompt 0");
    ASSERT_TRUE(reply(">prompt 0\r\r\n"));
    ASSERT_TRUE(shell_.type("ab\x7f"));
    EXPECT_TRUE(reply("00000000/00000000,08000000/08000000>a \r")) << shell_.output();
    run("");
    run("prompt 1");
    EXPECT_TRUE(reply(first_prompt)) << shell_.output();
}

TEST_F(BoarddiagCommands, ResetShowsRingStartsInThePrompt) {
    run("reset");
    EXPECT_TRUE(reply(">reset\r\r\n" + first_prompt)) << shell_.output();
}

TEST_F(BoarddiagCommands, FOpenOfMissingFileFails) {
    run("f-open /nonexistent-dir/none.iqw");
    EXPECT_TRUE(reply("\r\nFile open error!!\r\n")) << shell_.output();
}

TEST_F(BoarddiagCommands, FOpenWithoutNameAndEmptyAnswerIsCancelled) {
    run("f-open");
    ASSERT_TRUE(reply("(*.iqw; empty line cancels): ")) << shell_.output();
    ASSERT_TRUE(shell_.type("\r"));
    EXPECT_TRUE(reply("\r\nFile open canceled!!\r\nFile open error!!\r\n")) << shell_.output();
    run("f-create");
    ASSERT_TRUE(reply("(*.iqw; empty line cancels): ")) << shell_.output();
    ASSERT_TRUE(shell_.type("\r"));
    EXPECT_TRUE(reply("\r\nFile creating canceled!!\r\nFile open error!!\r\n")) << shell_.output();
}

TEST(BoarddiagFiles, FCreateMakesTheFileAndFOpenReadsIt) {
    char dir_template[] = "/tmp/boarddiag-test-XXXXXX";
    ASSERT_NE(::mkdtemp(dir_template), nullptr);
    const std::string path = std::string(dir_template) + "/c.iqw";
    {
        BoarddiagProcess shell(boarddiag_test::Environment{});
        ASSERT_TRUE(shell.wait_for(first_prompt));
        ASSERT_TRUE(shell.type("f-create " + path + "\r"));
        ASSERT_TRUE(shell.wait_for(">f-create " + path + "\r\r\n" + first_prompt))
            << shell.output();
        ASSERT_TRUE(shell.type("f-close\rf-open " + path + "\rtxf-close\rx\r"));
        ASSERT_EQ(shell.wait_exit(), 0);
        EXPECT_EQ(shell.output().find("error"), std::string::npos) << shell.output();
    }
    EXPECT_EQ(::access(path.c_str(), F_OK), 0);
    ::unlink(path.c_str());
    ::rmdir(dir_template);
}

}  // namespace
