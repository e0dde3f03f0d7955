#include "platform/text/scan.hpp"

#include "locale_guard.hpp"
#include "platform/text/utf.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

using platform::scan;
using platform::ScanType;

std::string show(std::u16string_view s) {
    return platform::to_utf8(s);
}

// ---- the console's forms --------------------------------------------------------------------

enum class Form { dd, uu, uuu, ff, x };

std::u16string_view form_text(Form f) {
    switch (f) {
        case Form::dd: return u" %d %d";
        case Form::uu: return u" %u %u";
        case Form::uuu: return u" %u %u %u";
        case Form::ff: return u" %lf %lf";
        case Form::x: return u" %x";
    }
    return u"";
}

constexpr double kUnset = -777.25;  // a value no row stores: what untouched outputs show

struct Row {
    Form form;
    std::u16string_view text;
    int result;
    double v[3];  // values after the scan (kUnset: not assigned)
};

constexpr double U = kUnset;

// Every form across empty text, only blanks, too few, exact, surplus, garbage and garbage after
// the first value.
const Row kRows[] = {
    {Form::dd, u"", -1, {U, U}},
    {Form::dd, u"   ", -1, {U, U}},
    {Form::dd, u" \t\r\n", -1, {U, U}},
    {Form::dd, u" 5", 1, {5, U}},
    {Form::dd, u" 5 7", 2, {5, 7}},
    {Form::dd, u" -5 +7", 2, {-5, 7}},
    {Form::dd, u"5\t\t7", 2, {5, 7}},
    {Form::dd, u" 5 7 9", 2, {5, 7}},
    {Form::dd, u" 5 7x", 2, {5, 7}},
    {Form::dd, u" x", 0, {U, U}},
    {Form::dd, u" -", 0, {U, U}},
    {Form::dd, u" 5 x", 1, {5, U}},
    {Form::dd, u" 5,7", 1, {5, U}},
    {Form::dd, u" 5 ", 1, {5, U}},
    {Form::dd, u" 12abc", 1, {12, U}},

    {Form::uu, u"", -1, {U, U}},
    {Form::uu, u"  ", -1, {U, U}},
    {Form::uu, u" 3", 1, {3, U}},
    {Form::uu, u" 3 4", 2, {3, 4}},
    {Form::uu, u" 3 4 5", 2, {3, 4}},
    {Form::uu, u" ?", 0, {U, U}},
    {Form::uu, u" 3 ?", 1, {3, U}},
    {Form::uu, u" -1 +2", 2, {4294967295.0, 2}},

    {Form::uuu, u"", -1, {U, U, U}},
    {Form::uuu, u"    ", -1, {U, U, U}},
    {Form::uuu, u" 1", 1, {1, U, U}},
    {Form::uuu, u" 1 2", 2, {1, 2, U}},
    {Form::uuu, u" 1 2 3", 3, {1, 2, 3}},
    {Form::uuu, u" 1 2 3 4", 3, {1, 2, 3}},
    {Form::uuu, u" a", 0, {U, U, U}},
    {Form::uuu, u" 1 a 3", 1, {1, U, U}},
    {Form::uuu, u" 1 2 a", 2, {1, 2, U}},

    {Form::ff, u"", -1, {U, U}},
    {Form::ff, u"   ", -1, {U, U}},
    {Form::ff, u" 2.5", 1, {2.5, U}},
    {Form::ff, u" 2.5 -1e3", 2, {2.5, -1000}},
    {Form::ff, u" 2.5 3 4", 2, {2.5, 3}},
    {Form::ff, u" .", 0, {U, U}},
    {Form::ff, u" abc", 0, {U, U}},
    {Form::ff, u" 2.5 abc", 1, {2.5, U}},
    {Form::ff, u" +4.25 .5", 2, {4.25, 0.5}},
    {Form::ff, u" 744187.5 5.", 2, {744187.5, 5}},

    {Form::x, u"", -1, {U}},
    {Form::x, u" ", -1, {U}},
    {Form::x, u" 4018", 1, {0x4018}},
    {Form::x, u" 0x4018 1", 1, {0x4018}},
    {Form::x, u" 0XfF", 1, {255}},
    {Form::x, u" g", 0, {U}},
    {Form::x, u" -1", 1, {4294967295.0}},
    {Form::x, u" 1g", 1, {1}},
};

TEST(Scan, ConsoleFormsTable) {
    for (const Row& r : kRows) {
        int result = 0;
        double got[3] = {U, U, U};
        switch (r.form) {
            case Form::dd: {
                int a = -777, b = -777;
                result = scan(r.text, u" %d %d", &a, &b);
                got[0] = a == -777 ? U : a;
                got[1] = b == -777 ? U : b;
                break;
            }
            case Form::uu: {
                unsigned a = 777777, b = 777777;
                result = scan(r.text, u" %u %u", &a, &b);
                got[0] = a == 777777 ? U : a;
                got[1] = b == 777777 ? U : b;
                break;
            }
            case Form::uuu: {
                unsigned a = 777777, b = 777777, c = 777777;
                result = scan(r.text, u" %u %u %u", &a, &b, &c);
                got[0] = a == 777777 ? U : a;
                got[1] = b == 777777 ? U : b;
                got[2] = c == 777777 ? U : c;
                break;
            }
            case Form::ff: {
                double a = U, b = U;
                result = scan(r.text, u" %lf %lf", &a, &b);
                got[0] = a;
                got[1] = b;
                break;
            }
            case Form::x: {
                unsigned a = 777777;
                result = scan(r.text, u" %x", &a);
                got[0] = a == 777777 ? U : a;
                break;
            }
        }
        const std::string where = show(form_text(r.form)) + " on \"" + show(r.text) + "\"";
        EXPECT_EQ(result, r.result) << where;
        const int values = r.form == Form::uuu ? 3 : r.form == Form::x ? 1 : 2;
        for (int k = 0; k < values; ++k) EXPECT_EQ(got[k], r.v[k]) << where << " value " << k;
    }
}

// ---- integers --------------------------------------------------------------------------------

TEST(Scan, UnsignedAcceptsASignAndWraps) {
    struct Case {
        std::u16string_view text;
        unsigned expected;
    };
    const Case cases[] = {
        {u"-1", 4294967295u},
        {u"+5", 5u},
        {u"4294967295", 4294967295u},
        {u"4294967296", 0u},
        {u"4294967297", 1u},
        {u"-4294967295", 1u},
        {u"-0", 0u},
        {u"18446744073709551617", 1u},  // 2^64 + 1, accumulated modulo 2^64
    };
    for (const Case& c : cases) {
        unsigned v = 7;
        EXPECT_EQ(scan(c.text, u"%u", &v), 1) << show(c.text);
        EXPECT_EQ(v, c.expected) << show(c.text);
    }
    unsigned v = 7;
    EXPECT_EQ(scan(u"-", u"%u", &v), 0);
    EXPECT_EQ(scan(u"+ 1", u"%u", &v), 0);
    EXPECT_EQ(scan(u"--1", u"%u", &v), 0);
    EXPECT_EQ(v, 7u);
}

TEST(Scan, SignedWrapsModulo2To32) {
    struct Case {
        std::u16string_view text;
        int expected;
    };
    const Case cases[] = {
        {u"2147483647", INT_MAX},
        {u"2147483648", INT_MIN},
        {u"-2147483648", INT_MIN},
        {u"-2147483649", INT_MAX},
        {u"4294967295", -1},
        {u"4294967296", 0},
        {u"99999999999", static_cast<int>(99999999999LL - 23LL * 4294967296LL)},
        {u"+0012", 12},
    };
    for (const Case& c : cases) {
        int v = 7;
        EXPECT_EQ(scan(c.text, u"%d", &v), 1) << show(c.text);
        EXPECT_EQ(v, c.expected) << show(c.text);
    }
}

TEST(Scan, IntegerSizesAndBases) {
    long long ll = 0;
    unsigned long long ull = 0;
    std::int64_t i64 = 0;
    std::uint64_t u64 = 0;
    EXPECT_EQ(scan(u"-5000000000", u"%lld", &ll), 1);
    EXPECT_EQ(ll, -5000000000LL);
    EXPECT_EQ(scan(u"-5000000000", u"%I64d", &ll), 1);
    EXPECT_EQ(ll, -5000000000LL);
    EXPECT_EQ(scan(u"9223372036854775808", u"%I64d", &i64), 1);  // int64_t* too
    EXPECT_EQ(i64, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(scan(u"18446744073709551615", u"%llu", &ull), 1);
    EXPECT_EQ(ull, std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(scan(u"18446744073709551616", u"%I64u", &u64), 1);
    EXPECT_EQ(u64, 0u);
    EXPECT_EQ(scan(u"-1", u"%llu", &ull), 1);
    EXPECT_EQ(ull, std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(scan(u"123456789abcdef0", u"%llx", &ull), 1);
    EXPECT_EQ(ull, 0x123456789abcdef0ULL);

    long l = 0;
    unsigned long ul = 0;
    EXPECT_EQ(scan(u"4294967295", u"%ld", &l), 1);  // long is 32 bits on the original system
    EXPECT_EQ(l, -1L);
    EXPECT_EQ(scan(u"-1", u"%lu", &ul), 1);
    EXPECT_EQ(ul, 4294967295UL);
    EXPECT_EQ(scan(u"-123456", u"%ld", &l), 1);
    EXPECT_EQ(l, -123456L);

    short h = 0;
    unsigned short uh = 0;
    signed char hh = 0;
    unsigned char uhh = 0;
    EXPECT_EQ(scan(u"70000 -1", u"%hd %hu", &h, &uh), 2);
    EXPECT_EQ(h, static_cast<short>(70000 - 65536));
    EXPECT_EQ(uh, 65535);
    EXPECT_EQ(scan(u"255 257", u"%hhd %hhu", &hh, &uhh), 2);
    EXPECT_EQ(hh, -1);
    EXPECT_EQ(uhh, 1);

    int i = 0;
    unsigned u = 0;
    struct Base {
        std::u16string_view text;
        int expected;
        int used;
    };
    const Base bases[] = {
        {u"0x10", 16, 4}, {u"010", 8, 3}, {u"10", 10, 2}, {u"-0x10", -16, 5},
        {u"08", 0, 1},    {u"0", 0, 1},   {u"0xZ", 0, 2}, {u"+0X1f", 31, 5},
    };
    for (const Base& b : bases) {
        int used = -1;
        EXPECT_EQ(scan(b.text, u"%i%n", &i, &used), 1) << show(b.text);
        EXPECT_EQ(i, b.expected) << show(b.text);
        EXPECT_EQ(used, b.used) << show(b.text);
    }
    EXPECT_EQ(scan(u"17 -7", u"%o %o", &u, &u), 2);
    EXPECT_EQ(u, 0u - 7u);
    EXPECT_EQ(scan(u"0x", u"%x", &u), 1);  // "0x" without digits: 0, as glibc
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(scan(u"FfZ", u"%X", &u), 1);
    EXPECT_EQ(u, 255u);
}

TEST(Scan, WidthsSuppressionCountAndLiterals) {
    int a = 0, b = 0, n = 0;
    EXPECT_EQ(scan(u"12345", u"%3d%d", &a, &b), 2);
    EXPECT_EQ(a, 123);
    EXPECT_EQ(b, 45);
    EXPECT_EQ(scan(u"-12", u"%2d%d", &a, &b), 2);  // the sign counts in the width
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, 2);

    EXPECT_EQ(scan(u"1 2", u" %*d %d", &a), 1);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(scan(u"1", u" %*d %d", &a), 0);  // a conversion completed, then the text ended
    EXPECT_EQ(scan(u"", u" %*d %d", &a), -1);

    EXPECT_EQ(scan(u"123  x", u"%d%n %n", &a, &n, &b), 1);  // %n is not counted
    EXPECT_EQ(n, 3);
    EXPECT_EQ(b, 5);
    EXPECT_EQ(scan(u"", u"%n", &n), 0);
    EXPECT_EQ(n, 0);

    EXPECT_EQ(scan(u"50%", u"%d%%", &a), 1);
    EXPECT_EQ(scan(u"50 %x", u"%d %% x", &a), 1);
    EXPECT_EQ(scan(u"x=5,y=6", u"x=%d,y=%d", &a, &b), 2);
    EXPECT_EQ(b, 6);
    EXPECT_EQ(scan(u"x=5;y=6", u"x=%d,y=%d", &a, &b), 1);
    EXPECT_EQ(scan(u"b5", u"a%d", &a), 0);
    EXPECT_EQ(scan(u"", u"a%d", &a), -1);
    EXPECT_EQ(scan(u"x=", u"x=%d", &a), -1);
    EXPECT_EQ(scan(u"5", u"%dabc", &a), 1);  // end of text inside a literal after a field
    EXPECT_EQ(scan(u"anything", u""), 0);
    EXPECT_EQ(scan(u"\v\f5", u" %d", &a), 1);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(scan(u"7", u"%d", &a), 1);  // no blank in the format: fine at the start
}

TEST(Scan, CharactersStringsAndSets) {
    char16_t c = 0;
    EXPECT_EQ(scan(u" a", u"%c", &c), 1);  // no white-space skip
    EXPECT_EQ(c, u' ');
    EXPECT_EQ(scan(u" a", u" %c", &c), 1);
    EXPECT_EQ(c, u'a');
    EXPECT_EQ(scan(u"", u"%c", &c), -1);
    EXPECT_EQ(scan(u"\u20AC", u"%lc", &c), 1);
    EXPECT_EQ(c, u'\u20AC');

    std::u16string s1, s2, s3, s4;
    EXPECT_EQ(scan(u"  hello  w\u00F6rld  ", u"%s %s", &s1, &s2), 2);
    EXPECT_EQ(s1, u"hello");
    EXPECT_EQ(s2, u"w\u00F6rld");
    EXPECT_EQ(scan(u"abcdef", u"%3s%s", &s1, &s2), 2);
    EXPECT_EQ(s1, u"abc");
    EXPECT_EQ(s2, u"def");
    EXPECT_EQ(scan(u"abcdef", u"%4c", &s3), 1);
    EXPECT_EQ(s3, u"abcd");
    EXPECT_EQ(scan(u"ab", u"%4c", &s3), -1);  // fewer units than the width

    // The remote string command's split into up to four words.
    EXPECT_EQ(scan(u"set freq 100", u"%s %s %s %s", &s1, &s2, &s3, &s4), 3);
    EXPECT_EQ(s3, u"100");
    EXPECT_EQ(scan(u"", u"%s %s %s %s", &s1, &s2, &s3, &s4), -1);
    EXPECT_EQ(scan(u"   ", u"%s %s %s %s", &s1, &s2, &s3, &s4), -1);

    int n = 0;
    EXPECT_EQ(scan(u"abc,5", u"%[^,],%d", &s1, &n), 2);
    EXPECT_EQ(s1, u"abc");
    EXPECT_EQ(n, 5);
    EXPECT_EQ(scan(u"a-c]x", u"%[]a-c-]", &s1), 1);
    EXPECT_EQ(s1, u"a-c]");
    EXPECT_EQ(scan(u"q", u"%[a-c]", &s1), 0);
    EXPECT_EQ(scan(u"bbbx", u"%2[a-c]", &s1), 1);
    EXPECT_EQ(s1, u"bb");
}

// ---- floating --------------------------------------------------------------------------------

TEST(Scan, FloatingForms) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::u16string_view text;
        double expected;  // NaN: expect a NaN
        int used;         // units the field takes
    };
    const Case cases[] = {
        {u"inf", inf, 3},
        {u"-INF", -inf, 4},
        {u"Infinity", inf, 8},
        {u"+iNfInItYx", inf, 9},
        {u"infin", inf, 3},
        {u"nan", NAN, 3},
        {u"NaN(123)", NAN, 8},
        {u"-nan", NAN, 4},
        {u"nan(", NAN, 3},
        {u"1e3", 1000, 3},
        {u"-2.5E-3", -0.0025, 7},
        {u"+4.25", 4.25, 5},
        {u".5", 0.5, 2},
        {u"5.", 5, 2},
        {u"1e", 1, 1},
        {u"1e+", 1, 1},
        {u"1,5", 1, 1},
        {u"0x1p4", 16, 5},
        {u"0x1.8p1", 3, 7},
        {u"-0X.8", -0.5, 5},
        {u"0xA", 10, 3},
        {u"0x", 0, 1},
        {u"0xg", 0, 1},
        {u"0xinf", 0, 1},
        {u"1e400", inf, 5},
        {u"-1e400", -inf, 6},
        {u"1e-400", 0, 6},
        {u"4.9e-324", 4.9e-324, 8},
        {u"2.2250738585072014e-308", 2.2250738585072014e-308, 23},
        {u"007", 7, 3},
        {u"1.5-2", 1.5, 3},
    };
    for (const Case& c : cases) {
        double v = kUnset;
        int used = -1;
        EXPECT_EQ(scan(c.text, u"%lf%n", &v, &used), 1) << show(c.text);
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(v)) << show(c.text);
        } else {
            EXPECT_EQ(v, c.expected) << show(c.text);
            EXPECT_EQ(std::signbit(v), std::signbit(c.expected)) << show(c.text);
        }
        EXPECT_EQ(used, c.used) << show(c.text);
    }
    double v = kUnset;
    EXPECT_EQ(scan(u"-1e-400", u"%lf", &v), 1);
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(std::signbit(v));
    for (std::u16string_view bad : {u"abc", u"- 1", u"+", u"--1", u"+-1", u".e1", u"in", u"na"}) {
        v = kUnset;
        EXPECT_EQ(scan(bad, u"%lf", &v), 0) << show(bad);
        EXPECT_EQ(v, kUnset) << show(bad);
    }
    EXPECT_EQ(scan(u"12345", u"%3lf%lf", &v, &v), 2);
    EXPECT_EQ(v, 45.0);
    std::u16string long_number(400, u'0');
    long_number += u"1.25";
    EXPECT_EQ(scan(long_number, u"%lf", &v), 1);  // longer than the stack buffer
    EXPECT_EQ(v, 1.25);

    float f = 0;
    EXPECT_EQ(scan(u"0.1", u"%f", &f), 1);
    EXPECT_EQ(f, 0.1f);
    EXPECT_EQ(scan(u"1e39", u"%e", &f), 1);
    EXPECT_TRUE(std::isinf(f));
    long double ld = 0;
    EXPECT_EQ(scan(u"0.1", u"%Lf", &ld), 1);
    EXPECT_EQ(ld, 0.1L);
    EXPECT_EQ(scan(u"1 2", u"%*g %lg", &v), 1);
    EXPECT_EQ(v, 2.0);
}

TEST(Scan, FloatingIgnoresTheProcessLocale) {
    test_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma could be made";
    ASSERT_EQ(std::strtod("1,5", nullptr), 1.5);  // the locale took effect
    double a = 0, b = 0;
    EXPECT_EQ(scan(u" 1.5 2,5", u" %lf %lf", &a, &b), 2);
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, 2.0);
    EXPECT_EQ(scan(u"1e400", u"%lf", &a), 1);  // the out-of-range path too
    EXPECT_TRUE(std::isinf(a));
    comma.use_for_thread();
    EXPECT_EQ(scan(u"0.25", u"%lf", &a), 1);
    EXPECT_EQ(a, 0.25);
}

// ---- type checks -----------------------------------------------------------------------------

TEST(Scan, RunTimeFormatsRefuseMismatchedPointers) {
    int i = 7;
    unsigned u = 7;
    double d = 7;
    long long ll = 7;
    float f = 7;
    std::u16string s = u"keep";
    char16_t c = u'k';
    const std::u16string_view dfmt = u"%d";
    EXPECT_EQ(scan(u"5", dfmt, &u), 0);
    EXPECT_EQ(u, 7u);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%u"), &i), 0);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%x"), &i), 0);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%lf"), &f), 0);
    EXPECT_EQ(f, 7.0f);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%f"), &d), 0);
    EXPECT_EQ(d, 7.0);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%lld"), &i), 0);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%d"), &ll), 0);
    EXPECT_EQ(ll, 7);
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%s"), &c), 0);
    EXPECT_EQ(scan(u"ab", std::u16string_view(u"%2c"), &c), 0);  // one char16_t has no room
    EXPECT_EQ(c, u'k');
    EXPECT_EQ(scan(u"5", std::u16string_view(u"%d"), &s), 0);
    EXPECT_EQ(s, u"keep");

    // The scan stops at the mismatch and returns the count so far.
    int a = 0, b = 7;
    const std::u16string fmt = u" %d %u";
    EXPECT_EQ(scan(u"1 2", fmt, &a, &b), 1);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 7);
    // Too few pointers: stops there; unknown conversion: stops there.
    EXPECT_EQ(scan(u"1 2", std::u16string_view(u"%d %d"), &a), 1);
    EXPECT_EQ(scan(u"1 2", std::u16string_view(u"%d %y"), &a, &b), 1);
    EXPECT_EQ(scan(u"1 2", std::u16string_view(u"%d %"), &a, &b), 1);
    EXPECT_EQ(scan(u"1 2", std::u16string_view(u"%d %[abc"), &a, &s), 1);

    // The core refuses a null pointer and a null target array.
    const platform::ScanTarget null_target{ScanType::int_, nullptr};
    EXPECT_EQ(platform::vscan(u"5", u"%d", &null_target, 1), 0);
    EXPECT_EQ(platform::vscan(u"5", u"%d", nullptr, 3), 0);
    EXPECT_EQ(platform::vscan(u"", u"%d", nullptr, 0), 0);  // refused before reading
}

// What a literal format is checked against at compile time (scan_compile_check.cpp shows that a
// failing check stops the build).
constexpr platform::scan_detail::FormatError check_of(std::u16string_view fmt,
                                                      std::initializer_list<ScanType> types) {
    return platform::scan_detail::first_error(fmt, types.begin(), types.size());
}
using E = platform::scan_detail::FormatError;
static_assert(check_of(u" %d %d", {ScanType::int_, ScanType::int_}) == E::none);
static_assert(check_of(u" %u %u %u", {ScanType::uint, ScanType::uint, ScanType::uint}) == E::none);
static_assert(check_of(u" %lf %lf", {ScanType::double_, ScanType::double_}) == E::none);
static_assert(check_of(u" %x %X %o", {ScanType::uint, ScanType::uint, ScanType::uint}) == E::none);
static_assert(check_of(u" %d %I64d %d %d", {ScanType::int_, ScanType::llong, ScanType::int_,
                                            ScanType::int_}) == E::none);
static_assert(check_of(u"%ld%lu%lld%llu%I64u%hd%hu%hhd%hhu",
                       {ScanType::long_, ScanType::ulong, ScanType::llong, ScanType::ullong,
                        ScanType::ullong, ScanType::short_, ScanType::ushort, ScanType::schar,
                        ScanType::uchar}) == E::none);
static_assert(check_of(u"%c%5c%s%[a]%n%*d%%%f%Lf",
                       {ScanType::char16, ScanType::u16string, ScanType::u16string,
                        ScanType::u16string, ScanType::int_, ScanType::float_,
                        ScanType::ldouble}) == E::none);
static_assert(check_of(u"%d", {ScanType::uint}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%u", {ScanType::int_}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%x", {ScanType::int_}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%lf", {ScanType::float_}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%f", {ScanType::double_}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%ld", {ScanType::int_}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%ld", {ScanType::llong}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%lld", {ScanType::int_}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%I64d", {ScanType::ullong}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%llu", {ScanType::llong}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%2c", {ScanType::char16}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%s", {ScanType::char16}) == E::pointer_type_does_not_match_conversion);
static_assert(check_of(u"%d %d", {ScanType::int_}) == E::too_few_pointers);
static_assert(check_of(u"%d", {ScanType::int_, ScanType::int_}) == E::too_many_pointers);
static_assert(check_of(u"%*d", {ScanType::int_}) == E::too_many_pointers);
static_assert(check_of(u"%y", {}) == E::invalid_conversion);
static_assert(check_of(u"%", {}) == E::invalid_conversion);
static_assert(check_of(u"%[ab", {ScanType::u16string}) == E::invalid_conversion);
static_assert(check_of(u"%5%", {}) == E::invalid_conversion);

}  // namespace
