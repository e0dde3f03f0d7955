#include "platform/text/format.hpp"

#include "locale_guard.hpp"
#include "platform/text/utf.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

using platform::format;
using platform::FormatArg;

struct Case {
    std::u16string_view fmt;
    std::vector<FormatArg> args;
    std::u16string_view expected;
};

std::string show(std::u16string_view s) {
    return platform::to_utf8(s);
}

void run(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(show(platform::vformat(c.fmt, c.args.data(), c.args.size())), show(c.expected))
            << "format \"" << show(c.fmt) << "\"";
    }
}

enum class Drive : int { A = 0, D = 3 };

TEST(Format, FormatsTheSystemUses) {
    const std::int64_t pos = -5000000000LL;
    const std::uint64_t big = 0x123456789ABCDEF0ULL;
    const std::u16string name = u"foo";
    run({
        {u"Boards Number=%d", {2}, u"Boards Number=2"},
        {u"Update Time : %u", {250u}, u"Update Time : 250"},
        {u"%d.%d.%d.%d", {192, 168, 0, 10}, u"192.168.0.10"},
        {u"%.3fM", {2400.5}, u"2400.500M"},
        {u"$GAIN,%.1f,POWER,%.1f,,,TIME,%d",
         {-12.26, 3.04, 17},
         u"$GAIN,-12.3,POWER,3.0,,,TIME,17"},
        {u"<DequeSize:%d,H:%d>", {5000, 12}, u"<DequeSize:5000,H:12>"},
        {u"%08X", {0xABCDu}, u"0000ABCD"},
        {u"%08X", {0xDEADBEEFu}, u"DEADBEEF"},
        {u"%08x", {0xBEEFu}, u"0000beef"},
        {u"bar2:0x%X:0x%08X", {0x4018u, 7u}, u"bar2:0x4018:0x00000007"},
        {u"%02X", {0xAu}, u"0A"},
        {u"%04X", {0x1Fu}, u"001F"},
        {u"%x", {255}, u"ff"},
        {u"%lx", {0xFFul}, u"ff"},
        {u"%lX", {0xABCul}, u"ABC"},
        {u"No Command(%s)", {name}, u"No Command(foo)"},
        {u"No Command(%s)", {u"bar"}, u"No Command(bar)"},
        {u"No Command(%s)", {std::u16string_view(u"bazz", 3)}, u"No Command(baz)"},
        {u"%c: Removed", {u'D'}, u"D: Removed"},
        {u"%c:\\", {'A' + 3}, u"D:\\"},
        {u"Curr Position :\t%I64d", {pos}, u"Curr Position :\t-5000000000"},
        {u"%lld", {pos}, u"-5000000000"},
        {u"%I64d", {std::numeric_limits<std::int64_t>::min()}, u"-9223372036854775808"},
        {u"%I64u", {std::numeric_limits<std::uint64_t>::max()}, u"18446744073709551615"},
        {u"%llu", {std::numeric_limits<std::uint64_t>::max()}, u"18446744073709551615"},
        {u"0x%I64X and 0x%I64X", {1ULL, big}, u"0x1 and 0x123456789ABCDEF0"},
        {u"0x%I64d and 0x%I64d", {1LL, 3LL}, u"0x1 and 0x3"},
        {u"\nrw(0x%08x):0x%016llx\r\n", {0x10u, big}, u"\nrw(0x00000010):0x123456789abcdef0\r\n"},
        {u"%ld", {123456L}, u"123456"},
        {u"Found %ld matching device%s", {3L, u"s"}, u"Found 3 matching devices"},
        {u"%2ld. Vendor", {1L}, u" 1. Vendor"},
        {u"%02d:%02d:%04d", {5, 30, 2017}, u"05:30:2017"},
        {u"%d GB", {931}, u"931 GB"},
        {u"%u Hz", {2400000000u}, u"2400000000 Hz"},
        {u"%d X 0.1dBm", {-300}, u"-300 X 0.1dBm"},
        {u"u4_CurrPlayIdx:%u", {7u}, u"u4_CurrPlayIdx:7"},
        {u"hdr_iqrate:%lf", {744187.5}, u"hdr_iqrate:744187.500000"},
        {u"%f", {1.5}, u"1.500000"},
        {u"%.1f", {0.05}, u"0.1"},
        {u"%.1f", {-0.04}, u"-0.0"},
        {u"100%%", {}, u"100%"},
        {u"%%d", {5}, u"%d"},
        {u"Drive %d", {Drive::D}, u"Drive 3"},
        {u"%d%d", {true, false}, u"10"},
    });
}

TEST(Format, IntegerSizesFollowTheLlp64System) {
    run({
        {u"%u", {-1}, u"4294967295"},
        {u"%d", {4294967295u}, u"-1"},
        {u"%d", {std::int64_t{5000000000}}, u"705032704"},  // low 32 bits
        {u"%I64d", {std::int64_t{5000000000}}, u"5000000000"},
        {u"%x", {std::uint64_t{0x123456789ABCDEF0}}, u"9abcdef0"},
        {u"%llx", {std::uint64_t{0x123456789ABCDEF0}}, u"123456789abcdef0"},
        {u"%ld", {long{0x100000005}}, u"5"},  // long is 32 bits there
        {u"%lu", {-1L}, u"4294967295"},
        {u"%lld", {-1}, u"-1"},  // int sign-extended
        {u"%llu", {-1}, u"18446744073709551615"},
        {u"%llu", {4294967295u}, u"4294967295"},  // unsigned zero-extended
        {u"%I32d", {std::int64_t{-1}}, u"-1"},
        {u"%zu", {std::size_t{5000000000}}, u"5000000000"},
        {u"%jd", {std::int64_t{-5000000000}}, u"-5000000000"},
        {u"%hd", {65535}, u"-1"},
        {u"%hu", {-1}, u"65535"},
        {u"%hx", {0x12345}, u"2345"},
        {u"%hhu", {257}, u"1"},
        {u"%hhd", {255}, u"-1"},
        {u"%d", {std::numeric_limits<int>::min()}, u"-2147483648"},
        {u"%u", {u'A'}, u"65"},
        {u"%d", {static_cast<unsigned char>(200)}, u"200"},
        {u"%d", {static_cast<signed char>(-3)}, u"-3"},
        {u"%o", {8}, u"10"},
    });
}

TEST(Format, FlagsWidthAndPrecision) {
    run({
        {u"%5d|%-5d|%+d|% d|%05d", {42, 42, 42, 42, 42}, u"   42|42   |+42| 42|00042"},
        {u"%+d|% d|%+ d", {-42, -42, 7}, u"-42|-42|+7"},
        {u"%+u|% u", {5u, 5u}, u"5|5"},
        {u"%-05d|", {3}, u"3    |"},
        {u"%04d", {-5}, u"-005"},
        {u"%.0d|%.0x|%#.0o", {0, 0, 0}, u"||0"},
        {u"%.5d|%08.3d|%-8.3d|", {-42, 7, 7}, u"-00042|     007|007     |"},
        {u"%#x|%#X|%#o|%#x|%#o", {255, 255, 8, 0, 0}, u"0xff|0XFF|010|0|0"},
        {u"%#010x|%#.3x", {255, 1}, u"0x000000ff|0x001"},
        {u"%*d|%-*d|%*d", {5, 42, 4, 7, -4, 7}, u"   42|7   |7   "},
        {u"%.*d|%.*d", {3, 5, -1, 5}, u"005|5"},
        {u"%.*f", {2, 3.14159}, u"3.14"},
        {u"%*.*f|", {8, 3, 2.5}, u"   2.500|"},
        {u"%s|%.2s|%-6s|%6s|%.0s|",
         {u"abc", u"abcdef", u"ab", u"ab", u"xyz"},
         u"abc|ab|ab    |    ab||"},
        {u"%05s", {u"ab"}, u"   ab"},
        {u"%3c|%-3c|", {u'x', u'y'}, u"  x|y  |"},
        {u"%ls %hs %ws %S", {u"a", u"b", u"c", u"d"}, u"a b c d"},
        {u"%lc%hc%wc%C", {u'a', u'b', u'c', u'd'}, u"abcd"},
        {u"%c", {0x10041}, u"A"},  // the low 16 bits
        {u"%c", {u'\u20AC'}, u"\u20AC"},
        {u"%s", {u"\U0001F600"}, u"\U0001F600"},
    });
}

TEST(Format, FloatingIsCPrintf) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    run({
        {u"%f", {0.0}, u"0.000000"},
        {u"%f|%F", {inf, -inf}, u"inf|-INF"},
        {u"%.1f|%5.1F", {nan, nan}, u"nan|  NAN"},
        {u"%e", {12345.678}, u"1.234568e+04"},
        {u"%E", {0.000123}, u"1.230000E-04"},
        {u"%g|%g|%g", {0.0001, 100000.0, 1000000.0}, u"0.0001|100000|1e+06"},
        {u"%G", {1e-10}, u"1E-10"},
        {u"%#g|%#.0f", {1.0, 2.0}, u"1.00000|2."},
        {u"%10.2f|%-10.2f|", {3.14159, 3.14159}, u"      3.14|3.14      |"},
        {u"%+.1f|% .1f", {2.0, 2.0}, u"+2.0| 2.0"},
        {u"%010.3f", {-1.5}, u"-00001.500"},
        {u"%.0f|%.0f|%.0f", {0.5, 1.5, 2.5}, u"0|2|2"},  // exact ties to even, as glibc
        {u"%f", {0.1f}, u"0.100000"},
        {u"%Lf|%lf", {2.5L, 2.5}, u"2.500000|2.500000"},
        {u"%a", {1.0}, u"0x1p+0"},
        {u"%.2e", {-0.0}, u"-0.00e+00"},
        {u"%f", {1e20}, u"100000000000000000000.000000"},
    });
}

TEST(Format, LongFloatingOutputGoesPastTheStackBuffer) {
    const std::u16string s = format(u"[%.600f]", 1.0);
    ASSERT_EQ(s.size(), 604U);
    EXPECT_EQ(s.substr(0, 4), u"[1.0");
    EXPECT_EQ(s.back(), u']');
    EXPECT_EQ(s.find_first_not_of(u'0', 3), 603U);

    const std::u16string huge = format(u"%f|", 1e300);
    ASSERT_EQ(huge.size(), 301U + 7U + 1U);
    EXPECT_EQ(huge.substr(huge.size() - 8), u".000000|");
    EXPECT_EQ(huge.substr(0, 4), u"1000");  // 1e300 is 1000000000000000052504760255204...

    const std::u16string wide = format(u"ab%700.1fcd", 2.0);
    ASSERT_EQ(wide.size(), 704U);
    EXPECT_EQ(wide.substr(wide.size() - 5), u"2.0cd");
    EXPECT_EQ(wide.substr(0, 3), u"ab ");
}

TEST(Format, WrongOrMissingArgumentsAreHandled) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const char16_t* null_text = nullptr;
    run({
        {u"%d %d|", {1}, u"1 |"},         // missing argument: nothing
        {u"%s|%f|%c|%*d|", {}, u"||||"},  // '*' without argument: no width
        {u"%d", {u"str"}, u"0"},          // string for a number: 0
        {u"%x|%f", {u"str", u"s"}, u"0|0.000000"},
        {u"%s|%s|%s|%s", {42, -7, 4294967295u, 2.5}, u"42|-7|4294967295|2.5"},
        {u"%5s|%-4s|%.1s", {42, 7, 123}, u"   42|7   |1"},
        {u"%s", {u'Z'}, u"Z"},
        {u"%s", {null_text}, u"(null)"},
        {u"%s", {nullptr}, u"(null)"},
        {u"%c|%c", {u"hey", u""}, u"h|"},
        {u"%f", {3}, u"3.000000"},
        {u"%.1f", {-2}, u"-2.0"},
        {u"%d|%d|%d", {2.9, -2.9, nan}, u"2|-2|0"},
        {u"%u", {1e30}, u"4294967295"},     // saturated to 64 bits, then low 32 bits
        {u"%y|%5y|%n", {1}, u"%y|%5y|%n"},  // unknown: literal, no argument taken
        {u"%n%d", {9}, u"%n9"},
        {u"abc%", {}, u"abc%"},
        {u"%-", {1}, u"%-"},
        {u"%5.2l", {1}, u"%5.2l"},
        {u"%5%|%-%", {}, u"%|%"},
        {u"%", {}, u"%"},
        {u"", {1, 2}, u""},
    });
}

TEST(Format, PointersPrintAsWindowsDoes) {
    int x = 0;
    const void* p = &x;
    char hex[32];
    std::snprintf(hex, sizeof hex, "%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
    EXPECT_EQ(show(format(u"(0x%p)", p)), std::string("(0x") + hex + ")");
    EXPECT_EQ(show(format(u"%p", nullptr)), "0000000000000000");
    EXPECT_EQ(show(format(u"%s", p)), hex);
}

TEST(Format, TemplatesAndAppending) {
    const std::u16string_view view = u"view";
    const std::u16string str = u"str";
    char16_t buffer[] = u"buf";
    EXPECT_EQ(format(u"%s %s %s %s", view, str, buffer, u"lit"), u"view str buf lit");
    EXPECT_EQ(format(u"plain"), u"plain");
    EXPECT_EQ(platform::vformat(u"%d", nullptr, 3), u"");

    std::u16string line = u">";
    platform::format_to(line, u" %d", 1);
    platform::format_to(line, u" %s", u"two");
    platform::format_to(line, u"!");
    EXPECT_EQ(line, u"> 1 two!");

    // A reused string keeps its capacity: formatting into it again allocates nothing new.
    line.clear();
    line.reserve(256);
    const char16_t* data = line.data();
    for (int k = 0; k < 10; ++k) {
        line.clear();
        platform::format_to(line, u"$GAIN,%.1f,POWER,%.1f,,,TIME,%d", -12.5, 3.25, k);
    }
    EXPECT_EQ(line.data(), data);
    EXPECT_EQ(line, u"$GAIN,-12.5,POWER,3.2,,,TIME,9");
}

// The same integer and floating directives as glibc's snprintf (whose int conversions are
// the C ones), over many flag, width and precision combinations.
TEST(Format, AgreesWithSnprintfOnCSpecifications) {
    const char* flags[] = {"", "-", "+", " ", "#", "0", "-0", "+0", "#0", "- ", "+#", "-+#0"};
    const char* widths[] = {"", "1", "6", "12"};
    const char* precisions[] = {"", ".", ".0", ".1", ".4", ".9"};
    const int ints[] = {0, 1, -1, 42, -42, 255, 123456, -2147483647 - 1, 2147483647};
    const double reals[] = {0.0, -0.0, 1.0, -2.5, 3.14159, 1e-7, 123456789.125, 1e21, 0.5};
    const char convs_int[] = {'d', 'i', 'u', 'x', 'X', 'o'};
    const char convs_real[] = {'f', 'F', 'e', 'E', 'g', 'G'};
    int checked = 0;
    // Every directive and value against snprintf, for one family of conversions.
    auto check_all = [&](const auto& conversions, const auto& values) {
        for (const char* f : flags) {
            for (const char* w : widths) {
                for (const char* p : precisions) {
                    for (const char c : conversions) {
                        const std::string directive = std::string("[%") + f + w + p + c + "]";
                        for (const auto v : values) {
                            char expected[128];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
                            std::snprintf(expected, sizeof expected, directive.c_str(), v);
#pragma GCC diagnostic pop
                            ASSERT_EQ(show(format(platform::from_utf8(directive), v)), expected) << directive;
                            ++checked;
                        }
                    }
                }
            }
        }
    };
    check_all(convs_int, ints);
    check_all(convs_real, reals);
    EXPECT_GT(checked, 30000);
}

TEST(Format, FloatingIgnoresTheProcessLocale) {
    test_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma could be made";
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, "%.3f", 2400.5);
    ASSERT_STREQ(narrow, "2400,500");  // the locale took effect
    EXPECT_EQ(format(u"%.3fM|%e|%g", 2400.5, 1.5, 0.25), u"2400.500M|1.500000e+00|0.25");
    EXPECT_EQ(format(u"%s", 2.5), u"2.5");

    // A thread locale with a decimal comma is also overridden, and restored afterwards.
    comma.use_for_thread();
    EXPECT_EQ(format(u"%.1f", 0.5), u"0.5");
    std::snprintf(narrow, sizeof narrow, "%.1f", 0.5);
    EXPECT_STREQ(narrow, "0,5");
}

}  // namespace
