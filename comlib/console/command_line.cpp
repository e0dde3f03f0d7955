#include "comlib/console/command_line.hpp"

#include "comlib/console/command_table.hpp"
#include "platform/text/scan.hpp"

#include <limits>

CommandWord split_command_word(std::u16string_view line) {
    std::size_t start = 0;
    while (start < line.size() && line[start] == u' ') ++start;
    std::size_t end = start;
    while (end < line.size() && line[end] != u' ') ++end;
    return {line.substr(start, end - start), end};
}

std::size_t find_command_row(std::u16string_view word) {
    for (std::size_t row = 0; row < TM_CONSOLE_CMD_COUNT; ++row) {
        if (std::u16string_view(gt_TmCACC[row].name) == word) return row;
    }
    return TM_CONSOLE_CMD_COUNT;
}

std::u16string file_argument(std::u16string_view line, std::size_t word_end) {
    const std::size_t blank = line.find(u' ', word_end);
    if (blank == std::u16string_view::npos) return {};
    return std::u16string(line.substr(blank + 1));
}

ArgumentForm argument_form(int scan_result, int expected) {
    if (scan_result == -1) return ArgumentForm::read;
    if (scan_result == expected) return ArgumentForm::write;
    return ArgumentForm::usage;
}

NumberArgument scan_number(std::u16string_view arguments) {
    long long value = 0;
    long long second = 0;
    const int scanned = platform::scan(arguments, u" %lld %lld", &value, &second);
    NumberArgument result{argument_form(scanned, 1), static_cast<std::int64_t>(value)};
    // More digits than 18 cannot be trusted after the scan's modulo-2^64 arithmetic.
    std::size_t at = 0;
    while (at < arguments.size() && (arguments[at] == u' ' || (arguments[at] >= u'\t' && arguments[at] <= u'\r'))) ++at;
    bool negative = false;
    if (at < arguments.size() && (arguments[at] == u'+' || arguments[at] == u'-')) negative = arguments[at++] == u'-';
    std::size_t digits = 0;
    while (at + digits < arguments.size() && arguments[at + digits] >= u'0' && arguments[at + digits] <= u'9') ++digits;
    if (digits > 18) {
        result.value = negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    }
    return result;
}
