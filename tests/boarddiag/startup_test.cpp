// boarddiag's start-up against simulated buses: the board listing, the choice among several
// boards, the design check and the interrupt lines of the listing.

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "tests/boarddiag/boarddiag_process.hpp"

namespace {

using boarddiag_test::BoarddiagProcess;
using boarddiag_test::first_prompt;

const std::string banner = "\n>h(help functions)\n ex)h\n";

std::string board_listing(int number, int bus) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "\n%2d. Vendor ID: 0x1172, Device ID: 0xE001\n    Location: Bus 0x%x, Slot 0x0, "
                  "Function 0x0\n",
                  number, static_cast<unsigned>(bus));
    return text;
}

TEST(BoarddiagStartup, OneBoardIsListedAndTakenWithoutAsking) {
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_BOARDS", "1"}});
    ASSERT_TRUE(shell.started());
    ASSERT_TRUE(shell.wait_for(banner + "\nFound 1 matching device [ Vendor ID 0x1172, Device ID "
                                        "0xE001 ]:\n" + board_listing(1, 1) +
                               "    Interrupt: IRQ 16\n"
                               "    Interrupt Options (supported interrupts):\n"
                               "        Message-Signaled Interrupt (MSI)\n"
                               "    Memory range [BAR 0]: base 0xC0000000, size 0x20000000\n"
                               "    Memory range [BAR 2]: base 0xE0000000, size 0x8000000\n\n"))
        << shell.output();
    ASSERT_TRUE(shell.wait_for(first_prompt)) << shell.output();
    EXPECT_EQ(shell.output().find("Select a device"), std::string::npos);
}

TEST(BoarddiagStartup, NoBoardPrintsTheSearchAndFails) {
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_BOARDS", "0"}});
    ASSERT_TRUE(shell.started());
    EXPECT_TRUE(shell.wait_for(banner +
                               "No matching device was found for search criteria (Vendor ID "
                               "0x1172, Device ID 0xE001)\nThis is not SOPC/Qsys design\n"))
        << shell.output();
    const auto code = shell.wait_exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_NE(*code, 0);
}

TEST(BoarddiagStartup, WrongDesignNibbleFailsTheDesignCheck) {
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_DESIGN", "1"}});
    ASSERT_TRUE(shell.started());
    EXPECT_TRUE(shell.wait_for("\nThis is not SOPC/Qsys design\n")) << shell.output();
    const auto code = shell.wait_exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_NE(*code, 0);
    EXPECT_EQ(shell.output().find(first_prompt), std::string::npos);
}

TEST(BoarddiagStartup, BoardConsoleTextIsRelayedBeforeThePrompt) {
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_CONSOLE", "Nios ready\\r\\n"}});
    ASSERT_TRUE(shell.started());
    EXPECT_TRUE(shell.wait_for("\n\nNios ready\r\n" + first_prompt)) << shell.output();
}

struct SelectionCase {
    const char* answer;
    const char* reply;  // what follows the selection prompt
    bool opens;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.answer; }

class BoarddiagSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(BoarddiagSelection, ThreeBoardsAskForAChoice) {
    const SelectionCase& c = GetParam();
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_BOARDS", "3"}});
    ASSERT_TRUE(shell.started());
    ASSERT_TRUE(shell.wait_for("Found 3 matching devices [ Vendor ID 0x1172, Device ID 0xE001 ]:\n"))
        << shell.output();
    ASSERT_TRUE(shell.wait_for(board_listing(1, 1)));
    ASSERT_TRUE(shell.wait_for(board_listing(2, 2)));
    ASSERT_TRUE(shell.wait_for(board_listing(3, 3)));
    ASSERT_TRUE(shell.wait_for("\nSelect a device (1 - 3):  (to cancel press 'x'): "))
        << shell.output();
    ASSERT_TRUE(shell.type(std::string(c.answer) + "\n"));
    if (c.opens) {
        EXPECT_TRUE(shell.wait_for(first_prompt)) << shell.output();
        return;
    }
    EXPECT_TRUE(shell.wait_for(std::string(c.reply) + "This is not SOPC/Qsys design\n"))
        << shell.output();
    const auto code = shell.wait_exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_NE(*code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BoarddiagSelection,
    testing::Values(SelectionCase{"x", "x\n", false},
                    SelectionCase{"4", "4\nInvalid input: Input must be between 0x1 and 0x3\n", false},
                    SelectionCase{"abc", "abc\nInvalid input\n", false},
                    SelectionCase{"2", "", true}),
    [](const testing::TestParamInfo<SelectionCase>& param_info) {
        return "Answer_" + std::string(param_info.param.answer);
    });

struct InterruptCase {
    const char* options;
    const char* lines;  // the lines after "Interrupt Options (supported interrupts):\n"
};

void PrintTo(const InterruptCase& c, std::ostream* os) { *os << c.options; }

class BoarddiagInterruptLines : public testing::TestWithParam<InterruptCase> {};

TEST_P(BoarddiagInterruptLines, OptionsSelectTheKindLines) {
    const InterruptCase& c = GetParam();
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_INT_OPTIONS", c.options}});
    ASSERT_TRUE(shell.started());
    EXPECT_TRUE(shell.wait_for(std::string("    Interrupt Options (supported interrupts):\n") +
                               c.lines + "    Memory range [BAR 0]"))
        << shell.output();
}

INSTANTIATE_TEST_SUITE_P(
    Options, BoarddiagInterruptLines,
    testing::Values(
        InterruptCase{"11", "        Message-Signaled Interrupt (MSI)\n        Level-Sensitive Interrupt\n"},
        InterruptCase{"20", "        Extended Message-Signaled Interrupt (MSI-X)\n"},
        InterruptCase{"1", "        Level-Sensitive Interrupt\n"},
        InterruptCase{"0", "        Edge-Triggered Interrupt\n"}),
    [](const testing::TestParamInfo<InterruptCase>& param_info) {
        return "Options_" + std::string(param_info.param.options);
    });

TEST(BoarddiagStartup, BoardWithoutInterruptListsOnlyItsMemory) {
    BoarddiagProcess shell(boarddiag_test::Environment{{"WDC_SIM_INT_OPTIONS", "none"}});
    ASSERT_TRUE(shell.started());
    ASSERT_TRUE(shell.wait_for("Function 0x0\n    Memory range [BAR 0]")) << shell.output();
    EXPECT_EQ(shell.output().find("Interrupt"), std::string::npos);
}

}  // namespace
