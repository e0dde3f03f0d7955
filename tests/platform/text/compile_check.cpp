// Compiled by CTest with -fsyntax-only and -DCHECK_CASE=n: case 0 must compile, every other case
// must be refused by the compiler (a literal scan format that does not match its pointers, an
// unsupported pointer type, a narrow string given to the formatter).
#include "platform/text/format.hpp"
#include "platform/text/scan.hpp"

#include <string>

int check() {
    int i = 0;
    unsigned u = 0;
    float f = 0;
    double d = 0;
    long long ll = 0;
    std::u16string s;
    (void)i, (void)u, (void)f, (void)d, (void)ll, (void)s;
#if CHECK_CASE == 0
    const std::u16string line = platform::format(u"%d %s %.1f", 1, u"x", 2.0);
    return platform::scan(line, u" %d %d", &i, &i) + platform::scan(line, u" %u %x", &u, &u) +
           platform::scan(line, u" %lf %f %lld %s", &d, &f, &ll, &s);
#elif CHECK_CASE == 1
    return platform::scan(u"1", u" %d", &u);  // %d needs int*
#elif CHECK_CASE == 2
    return platform::scan(u"1", u" %lf", &f);  // %lf needs double*
#elif CHECK_CASE == 3
    return platform::scan(u"1 2", u" %d %d", &i);  // too few pointers
#elif CHECK_CASE == 4
    return platform::scan(u"1", u" %d", &i, &i);  // too many pointers
#elif CHECK_CASE == 5
    return platform::scan(u"1", u" %lld", &i);  // %lld needs long long*
#elif CHECK_CASE == 6
    char c = 0;
    return platform::scan(u"1", u" %c", &c);  // no narrow characters
#elif CHECK_CASE == 7
    return static_cast<int>(platform::format(u"%s", "narrow").size());  // no narrow strings
#elif CHECK_CASE == 8
    return platform::scan(u"1", u" %q", &i);  // unknown conversion
#endif
}
