#pragma once
// The wide scanf of the system the code was written for (swscanf), over UTF-16 text.
//
//   int a = 0, b = 0;
//   const int n = platform::scan(args, u" %d %d", &a, &b);   // -1, 0, 1 or 2
//
// Result: -1 (EOF) when the text ends (input failure) before the first conversion has completed
// (a suppressed %*d counts as a completed conversion, %n does not); otherwise the number of
// fields converted and assigned, which is 0 on a matching failure before any assignment. Text
// after the last directive is ignored.
//   " %d %d": u"" -> -1, u"   " -> -1, u" 5" -> 1, u" 5 7" -> 2, u" 5 7 9" -> 2, u" x" -> 0,
//   u" 5 x" -> 1.
//
// Directives:
//   - white space (space, \t \n \v \f \r) matches any amount of white space, none included;
//   - any other character but '%' must match exactly;
//   - %% skips white space, then matches '%';
//   - %[*][width][modifier]conversion; '*' converts without assigning (takes no pointer and is
//     not counted); the width is the maximum number of UTF-16 units the field reads.
// Every conversion but %c, %[ and %n first skips white space.
//
// Conversions and the pointer each needs (modifier -> pointer type):
//   d (decimal), i (base from the prefix: 0x/0X hexadecimal, 0 octal, else decimal):
//       none int*, hh signed char*, h short*, l long*, ll I64 L long long* (or std::int64_t*),
//       I32 int*, j intmax_t*, z I t ptrdiff_t*
//   u, o (octal), x X (hexadecimal, optional 0x/0X after the sign):
//       the unsigned counterparts: none unsigned*, hh unsigned char*, h unsigned short*,
//       l unsigned long*, ll I64 L unsigned long long* (or std::uint64_t*), I32 unsigned*,
//       j uintmax_t*, z I t size_t*
//   f F e E g G a A: none float*, l double*, L long double*
//   c: char16_t* (one unit, width 1 or none) or std::u16string* (width units, default 1); no
//       white-space skip; fewer units left than the width is an input failure
//   s: std::u16string*, a run of non-white-space units (h, l, w accepted and ignored)
//   [set], [^set]: std::u16string*, a non-empty run of units in (or not in) the set; a ']' first
//       in the set is part of it, a-z is a range
//   n: as d (int* without modifier): the number of units read so far; not counted
// A format given as a string literal is checked at compile time: a pointer that does not match
// its conversion, a missing or surplus pointer or an unknown conversion does not compile. A format
// given at run time (std::u16string_view, std::u16string) is checked as it is scanned: at such a
// conversion the scan stops and returns the count so far (nothing of the wrong size is written).
// A const char16_t* format must be wrapped in std::u16string_view.
//
// Integers: an optional '+' or '-' for every integer conversion, then at least one digit (else a
// matching failure). The value is accumulated modulo 2^64, negated modulo 2^64 after a '-', and
// truncated to the size of the conversion, which is that of the system the code was written for
// (LLP64): 32 bits for none, l and I32 ("-1" by %u gives 4294967295, "4294967296" by %d gives 0,
// "2147483648" by %d gives -2147483648); 64 bits for ll, I64, L, j, z, I, t; 16 for h, 8 for hh.
// The truncated value is sign-extended (d, i, n) or zero-extended (u, o, x) into the pointed-to
// type, so %ld stores a 32-bit value into a (64-bit) long. After "0x" with no hexadecimal digit
// the field is the value 0 and the "0x" is consumed (as glibc does).
//
// Floating: always the C numeric locale (decimal point '.'), whatever the process locale:
// an optional sign, then decimal digits with an optional '.' and exponent, or "0x"/"0X" and
// hexadecimal digits with an optional binary exponent "p", or "inf", "infinity", "nan",
// "nan(chars)", case-insensitively. The field is the longest prefix that is such a number, as
// strtod takes it ("1e" reads 1 and leaves "e"); a value too large is +-infinity, too small
// +-0 or a subnormal, as strtod gives.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace platform {

enum class ScanType : std::uint8_t {
    none,
    schar,
    uchar,
    short_,
    ushort,
    int_,
    uint,
    long_,
    ulong,
    llong,
    ullong,
    float_,
    double_,
    ldouble,
    char16,
    u16string,
};

// One out-pointer of a scan, with the type it points to.
struct ScanTarget {
    ScanType type;
    void* ptr;
};

// The scanner: text against fmt, storing into targets[0 .. count) in order (see above).
int vscan(std::u16string_view text, std::u16string_view fmt, const ScanTarget* targets,
          std::size_t count);

namespace scan_detail {

template <typename T>
inline constexpr ScanType type_of = ScanType::none;
template <>
inline constexpr ScanType type_of<signed char> = ScanType::schar;
template <>
inline constexpr ScanType type_of<unsigned char> = ScanType::uchar;
template <>
inline constexpr ScanType type_of<short> = ScanType::short_;
template <>
inline constexpr ScanType type_of<unsigned short> = ScanType::ushort;
template <>
inline constexpr ScanType type_of<int> = ScanType::int_;
template <>
inline constexpr ScanType type_of<unsigned> = ScanType::uint;
template <>
inline constexpr ScanType type_of<long> = ScanType::long_;
template <>
inline constexpr ScanType type_of<unsigned long> = ScanType::ulong;
template <>
inline constexpr ScanType type_of<long long> = ScanType::llong;
template <>
inline constexpr ScanType type_of<unsigned long long> = ScanType::ullong;
template <>
inline constexpr ScanType type_of<float> = ScanType::float_;
template <>
inline constexpr ScanType type_of<double> = ScanType::double_;
template <>
inline constexpr ScanType type_of<long double> = ScanType::ldouble;
template <>
inline constexpr ScanType type_of<char16_t> = ScanType::char16;
template <>
inline constexpr ScanType type_of<std::u16string> = ScanType::u16string;

enum class Len : std::uint8_t { none, hh, h, l, ll, L, I32, j, z, t };

struct Conv {
    char16_t kind = 0;  // d i u o x f c s [ n %; 0: not a valid conversion
    bool is_signed = false;
    bool suppress = false;
    Len len = Len::none;
    std::size_t width = 0;      // 0: none
    std::size_t set_begin = 0;  // %[: the set is fmt[set_begin, set_end)
    std::size_t set_end = 0;
    bool set_negated = false;
};

constexpr bool is_space(char16_t c) noexcept {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Parses the conversion directive at fmt[i] == '%'; returns the index after it. c.kind is 0
// when it is not a valid one.
constexpr std::size_t parse_conv(std::u16string_view fmt, std::size_t i, Conv& c) noexcept {
    c = Conv{};
    ++i;
    if (i < fmt.size() && fmt[i] == u'*') {
        c.suppress = true;
        ++i;
    }
    while (i < fmt.size() && fmt[i] >= u'0' && fmt[i] <= u'9') {
        const auto d = static_cast<std::size_t>(fmt[i] - u'0');
        c.width = c.width > (SIZE_MAX - d) / 10 ? SIZE_MAX : c.width * 10 + d;
        ++i;
    }
    const std::u16string_view rest = fmt.substr(i);
    if (rest.starts_with(u"hh")) {
        c.len = Len::hh;
        i += 2;
    } else if (rest.starts_with(u"ll")) {
        c.len = Len::ll;
        i += 2;
    } else if (rest.starts_with(u"I64")) {
        c.len = Len::ll;
        i += 3;
    } else if (rest.starts_with(u"I32")) {
        c.len = Len::I32;
        i += 3;
    } else if (!rest.empty()) {
        switch (rest[0]) {
            case u'h':
                c.len = Len::h;
                ++i;
                break;
            case u'l':
            case u'w':
                c.len = Len::l;
                ++i;
                break;
            case u'L':
                c.len = Len::L;
                ++i;
                break;
            case u'j':
                c.len = Len::j;
                ++i;
                break;
            case u'z':
            case u'I':
                c.len = Len::z;
                ++i;
                break;
            case u't':
                c.len = Len::t;
                ++i;
                break;
            default: break;
        }
    }
    if (i >= fmt.size()) return i;
    const char16_t k = fmt[i++];
    switch (k) {
        case u'd':
        case u'i':
        case u'n':
            c.kind = k;
            c.is_signed = true;
            break;
        case u'u':
        case u'o':
        case u'x': c.kind = k; break;
        case u'X': c.kind = u'x'; break;
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A': c.kind = u'f'; break;
        case u'c':
        case u's':
        case u'%': c.kind = k; break;
        case u'[': {
            c.set_negated = i < fmt.size() && fmt[i] == u'^';
            if (c.set_negated) ++i;
            c.set_begin = i;
            if (i < fmt.size() && fmt[i] == u']') ++i;  // a leading ']' is a member
            while (i < fmt.size() && fmt[i] != u']') ++i;
            if (i >= fmt.size()) return i;  // no closing ']'
            c.set_end = i++;
            c.kind = u'[';
            break;
        }
        default: break;
    }
    if (c.kind == u'%' && (c.suppress || c.width != 0 || c.len != Len::none)) c.kind = 0;
    if (c.kind == u'n' && c.width != 0) c.kind = 0;
    return i;
}

// The number of bits an integer conversion keeps.
constexpr int int_bits(Len len) noexcept {
    switch (len) {
        case Len::hh: return 8;
        case Len::h: return 16;
        case Len::none:
        case Len::l:
        case Len::I32: return 32;
        default: return 64;
    }
}

// Whether a conversion (that assigns) may store through a pointer of type t.
constexpr bool accepts(const Conv& c, ScanType t) noexcept {
    switch (c.kind) {
        case u'd':
        case u'i':
        case u'n':
            switch (c.len) {
                case Len::none:
                case Len::I32: return t == ScanType::int_;
                case Len::hh: return t == ScanType::schar;
                case Len::h: return t == ScanType::short_;
                case Len::l: return t == ScanType::long_;
                case Len::ll:
                case Len::L: return t == ScanType::llong || t == type_of<std::int64_t>;
                case Len::j: return t == type_of<std::intmax_t>;
                case Len::z:
                case Len::t: return t == type_of<std::ptrdiff_t>;
            }
            return false;
        case u'u':
        case u'o':
        case u'x':
            switch (c.len) {
                case Len::none:
                case Len::I32: return t == ScanType::uint;
                case Len::hh: return t == ScanType::uchar;
                case Len::h: return t == ScanType::ushort;
                case Len::l: return t == ScanType::ulong;
                case Len::ll:
                case Len::L: return t == ScanType::ullong || t == type_of<std::uint64_t>;
                case Len::j: return t == type_of<std::uintmax_t>;
                case Len::z:
                case Len::t: return t == type_of<std::size_t>;
            }
            return false;
        case u'f':
            switch (c.len) {
                case Len::none: return t == ScanType::float_;
                case Len::l: return t == ScanType::double_;
                case Len::L: return t == ScanType::ldouble;
                default: return false;
            }
        case u'c':
            if (c.len != Len::none && c.len != Len::h && c.len != Len::l) return false;
            return t == ScanType::u16string || (t == ScanType::char16 && c.width <= 1);
        case u's':
        case u'[':
            if (c.len != Len::none && c.len != Len::h && c.len != Len::l) return false;
            return t == ScanType::u16string;
        default: return false;
    }
}

enum class FormatError : std::uint8_t {
    none,
    pointer_type_does_not_match_conversion,
    too_few_pointers,
    too_many_pointers,
    invalid_conversion,
};

// The first fault of fmt against out-pointers of types[0 .. count), or none.
constexpr FormatError first_error(std::u16string_view fmt, const ScanType* types,
                                  std::size_t count) noexcept {
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < fmt.size()) {
        if (fmt[i] != u'%') {
            ++i;
            continue;
        }
        Conv c;
        i = parse_conv(fmt, i, c);
        if (c.kind == 0) return FormatError::invalid_conversion;
        if (c.kind == u'%' || c.suppress) continue;
        if (next >= count) return FormatError::too_few_pointers;
        if (!accepts(c, types[next])) return FormatError::pointer_type_does_not_match_conversion;
        ++next;
    }
    return next == count ? FormatError::none : FormatError::too_many_pointers;
}

// Compile-time failures of a literal format: calling one of these makes the constant evaluation
// fail, and the compiler names the function in its error.
inline void scan_format_error_pointer_type_does_not_match_conversion() {}
inline void scan_format_error_too_few_pointers() {}
inline void scan_format_error_too_many_pointers() {}
inline void scan_format_error_invalid_conversion() {}

constexpr void check(std::u16string_view fmt, const ScanType* types, std::size_t count) {
    switch (first_error(fmt, types, count)) {
        case FormatError::none: break;
        case FormatError::pointer_type_does_not_match_conversion:
            scan_format_error_pointer_type_does_not_match_conversion();
            break;
        case FormatError::too_few_pointers: scan_format_error_too_few_pointers(); break;
        case FormatError::too_many_pointers: scan_format_error_too_many_pointers(); break;
        case FormatError::invalid_conversion: scan_format_error_invalid_conversion(); break;
    }
}

}  // namespace scan_detail

// The format of a scan with out-pointers to P...: checked at compile time when it is a string
// literal, at run time otherwise.
template <typename... P>
class ScanFormat {
public:
    template <std::size_t N>
    consteval ScanFormat(const char16_t (&literal)[N])  // NOLINT: implicit by design
        : fmt_(literal, std::char_traits<char16_t>::length(literal)) {
        constexpr std::array<ScanType, sizeof...(P) + 1> types{scan_detail::type_of<P>...,
                                                               ScanType::none};
        scan_detail::check(fmt_, types.data(), sizeof...(P));
    }
    constexpr ScanFormat(std::u16string_view fmt) noexcept : fmt_(fmt) {}  // NOLINT
    ScanFormat(const std::u16string& fmt) noexcept : fmt_(fmt) {}          // NOLINT

    constexpr std::u16string_view get() const noexcept { return fmt_; }

private:
    std::u16string_view fmt_;
};

template <typename... P>
int scan(std::u16string_view text, ScanFormat<std::type_identity_t<P>...> fmt, P*... out) {
    static_assert(((scan_detail::type_of<P> != ScanType::none) && ...),
                  "scan: unsupported pointer type (see platform/text/scan.hpp)");
    const std::array<ScanTarget, sizeof...(P)> targets{
        ScanTarget{scan_detail::type_of<P>, static_cast<void*>(out)}...};
    return vscan(text, fmt.get(), targets.data(), targets.size());
}

}  // namespace platform
