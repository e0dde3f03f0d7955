#pragma once
// Parsing a console line: the command word, its row in the command table, and the argument forms
// every handler uses.

#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>

// The command word: leading blanks (U+0020 only) skipped, then up to the next blank or the end.
struct CommandWord {
    std::u16string_view word;
    std::size_t end = 0;  // index just after the word
};
CommandWord split_command_word(std::u16string_view line);

// The row of the first table entry whose name equals `word` exactly (UTF-16 code units,
// case-sensitive); TM_CONSOLE_CMD_COUNT (132) when none does.
std::size_t find_command_row(std::u16string_view word);

// The text numeric arguments are scanned from: everything after the command word.
inline std::u16string_view argument_text(std::u16string_view line, std::size_t word_end) {
    return line.substr(word_end);
}

// A file or folder argument: the rest of the line after the first blank that follows the command
// word (blanks inside stay); empty when the word is the whole line.
std::u16string file_argument(std::u16string_view line, std::size_t word_end);

// Which form of a command a scan result selects: -1 (text ended before the first value) the
// read form, exactly `expected` values the write form, anything else the usage reply.
enum class ArgumentForm { read, write, usage };
ArgumentForm argument_form(int scan_result, int expected);

// The argument of a command that takes one number: the form the scan selects (" %d %d" counts
// as ever) and the number at its full size, so a value beyond 32 bits is compared as it is,
// never wrapped into a command's range; a number of more digits than 64 bits hold is
// saturated. (The 32-bit scan of the system the commands were written for would turn
// "4394967296" into 100,000,000.)
struct NumberArgument {
    ArgumentForm form;
    std::int64_t value;
};
NumberArgument scan_number(std::u16string_view arguments);
