// Numbers in text fields, read as the C library's wcstol, _wcstoi64 and wcstod read them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "comlib/files/text_numbers.hpp"

namespace {

std::string narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t u : text) out.push_back(u < 0x80 ? static_cast<char>(u) : '?');
    return out;
}

TEST(TextNumbers, IntegersSkipBlanksStopAtTheFirstStrangerAndSaturate) {
    struct Case {
        std::u16string_view text;
        std::int32_t as_int32;
        std::int64_t as_int64;
    };
    const Case cases[] = {
        {u"10000000", 10'000'000, 10'000'000},
        {u"0\r", 0, 0},
        {u"1\r", 1, 1},
        {u" \t+42x", 42, 42},
        {u"-7 8", -7, -7},
        {u"", 0, 0},
        {u"abc", 0, 0},
        {u"-", 0, 0},
        {u"+ 5", 0, 0},
        {u"1.9", 1, 1},
        {u"0x10", 0, 0},  // decimal only
        {u"2147483647", 2'147'483'647, 2'147'483'647},
        {u"2147483648", 2'147'483'647, 2'147'483'648LL},
        {u"-2147483648", -2'147'483'647 - 1, -2'147'483'648LL},
        {u"-2147483649", -2'147'483'647 - 1, -2'147'483'649LL},
        {u"3000000000", 2'147'483'647, 3'000'000'000LL},
        {u"9223372036854775807", 2'147'483'647, std::numeric_limits<std::int64_t>::max()},
        {u"99999999999999999999", 2'147'483'647, std::numeric_limits<std::int64_t>::max()},
        {u"-9223372036854775808", -2'147'483'647 - 1, std::numeric_limits<std::int64_t>::min()},
        {u"-99999999999999999999", -2'147'483'647 - 1, std::numeric_limits<std::int64_t>::min()},
        {u"\u0661", 0, 0},  // only ASCII digits count
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_to_int32(c.text), c.as_int32) << narrow(c.text);
        EXPECT_EQ(text_to_int64(c.text), c.as_int64) << narrow(c.text);
    }
}

TEST(TextNumbers, FloatingTakesTheLongestNumberPrefix) {
    struct Case {
        std::u16string_view text;
        double value;
    };
    const Case cases[] = {
        {u"-39.7", -39.7}, {u"  -55.3\r", -55.3}, {u"1e", 1.0},   {u"-1.5e1,", -15.0},
        {u"", 0.0},        {u"x", 0.0},           {u"  ", 0.0},   {u".5", 0.5},
        {u"+0.0", 0.0},    {u"12abc", 12.0},
    };
    for (const Case& c : cases) EXPECT_EQ(text_to_double(c.text), c.value) << narrow(c.text);
    EXPECT_TRUE(std::isinf(text_to_double(u"1e999")));
}

}  // namespace
