// Key handling of the shell: the 70-character line, backspace, and the terminal being given
// back as it was when the shell ends.

#include <signal.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/boarddiag/boarddiag_process.hpp"

namespace {

using boarddiag_test::BoarddiagProcess;
using boarddiag_test::first_prompt;

const std::string prompt_head = "00000000/00000000,08000000/08000000>";

class BoarddiagLineEditing : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(shell_.started());
        ASSERT_TRUE(shell_.wait_for(first_prompt)) << shell_.output();
    }
    BoarddiagProcess shell_{boarddiag_test::Environment{}};
};

TEST_F(BoarddiagLineEditing, TheSeventyFirstCharacterIsDropped) {
    const std::string seventy = "bar2 4140 " + std::string(60, ' ');
    ASSERT_TRUE(shell_.type(seventy + "12345"));
    ASSERT_TRUE(shell_.type("\x7f"));
    // After the backspace the line holds 69 characters and a space erases the 70th.
    ASSERT_TRUE(shell_.wait_for(prompt_head + seventy.substr(0, 69) + " \r")) << shell_.output();
    EXPECT_EQ(shell_.output().find(seventy + "1"), std::string::npos);
    ASSERT_TRUE(shell_.type("\r"));
    EXPECT_TRUE(shell_.wait_for("rw(0x00004140):0x00000000\r\n")) << shell_.output();
}

TEST_F(BoarddiagLineEditing, BackspaceRemovesTheLastCharacter) {
    ASSERT_TRUE(shell_.type("gpo 123"));
    ASSERT_TRUE(shell_.wait_for(prompt_head + "gpo 123\r"));
    ASSERT_TRUE(shell_.type("\b"));
    ASSERT_TRUE(shell_.wait_for(prompt_head + "gpo 12 \r")) << shell_.output();
    ASSERT_TRUE(shell_.type("\x7f\r"));
    EXPECT_TRUE(shell_.wait_for("\n GPO:0x00000001\r\n")) << shell_.output();
}

TEST_F(BoarddiagLineEditing, BackspaceOnEmptyLineChangesNothing) {
    ASSERT_TRUE(shell_.type("\x7f\x7fgpo 7\r"));
    ASSERT_TRUE(shell_.wait_for(prompt_head + "g\r")) << shell_.output();
    EXPECT_EQ(shell_.output().find(prompt_head + " \r"), std::string::npos) << shell_.output();
    EXPECT_TRUE(shell_.wait_for("\n GPO:0x00000007\r\n")) << shell_.output();
}

TEST_F(BoarddiagLineEditing, ExitEndsWithZeroAndRestoresTheTerminal) {
    const termios before = shell_.settings_before();
    ASSERT_NE(before.c_lflag & ECHO, 0u);
    ASSERT_NE(before.c_lflag & ICANON, 0u);
    // While the shell runs, keys are read one by one without echo.
    const termios running = shell_.settings_now();
    EXPECT_EQ(running.c_lflag & (ECHO | ICANON), 0u);
    ASSERT_TRUE(shell_.type("x\r"));
    const auto code = shell_.wait_exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    const termios after = shell_.settings_now();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
}

TEST_F(BoarddiagLineEditing, SigtermRestoresTheTerminal) {
    const termios before = shell_.settings_before();
    ASSERT_EQ(::kill(shell_.pid(), SIGTERM), 0);
    const auto code = shell_.wait_exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 128 + SIGTERM);
    EXPECT_EQ(shell_.settings_now().c_lflag, before.c_lflag);
}

}  // namespace
