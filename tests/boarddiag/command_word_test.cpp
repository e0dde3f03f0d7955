// Splitting the command line into its word and arguments, and the line buffer's limits.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "boarddiag/shell/command_line.hpp"
#include "boarddiag/shell/command_word.hpp"

namespace {

using boarddiag::CommandLine;
using boarddiag::split_command;

struct SplitCase {
    const char* line;
    const char* word;
    const char* rest;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.line; }

class CommandWordSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandWordSplit, ArgumentsStartAtTheRealEndOfTheWord) {
    const SplitCase& c = GetParam();
    const auto parts = split_command(c.line);
    EXPECT_EQ(parts.word, c.word);
    EXPECT_EQ(parts.rest, c.rest);
}

std::string split_case_name(const testing::TestParamInfo<SplitCase>& param_info) {
    static const char* const names[] = {"Plain", "LeadingBlanks", "DoubledBlank",
                                        "WordOnly", "Blank", "Empty"};
    return names[param_info.index];
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandWordSplit,
                         testing::Values(SplitCase{"bar2 4140", "bar2", " 4140"},
                                         SplitCase{"  bar2 4140", "bar2", " 4140"},
                                         SplitCase{"bar2  4140 1", "bar2", "  4140 1"},
                                         SplitCase{"x", "x", ""}, SplitCase{"   ", "", ""},
                                         SplitCase{"", "", ""}),
                         split_case_name);

TEST(CommandLineBuffer, KeepsSeventyCharacters) {
    CommandLine line;
    for (int i = 0; i < 75; ++i) line.append('a');
    EXPECT_EQ(line.length(), 70);
    EXPECT_EQ(std::string(line.text()), std::string(70, 'a'));
}

TEST(CommandLineBuffer, EraseLeavesASpaceUntilTerminated) {
    CommandLine line;
    EXPECT_FALSE(line.erase_last());
    line.append('a');
    line.append('b');
    ASSERT_TRUE(line.erase_last());
    EXPECT_EQ(std::string(line.text()), "a ");
    line.terminate();
    EXPECT_EQ(std::string(line.text()), "a");
}

}  // namespace
