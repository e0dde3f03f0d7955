#include "platform/text/format.hpp"

#include <locale.h>  // newlocale, uselocale (POSIX 2008)
#include <clocale>
#include <cmath>
#include <cstdio>

namespace platform {
namespace {

constexpr int kMaxWidth = 65535;  // width and precision clamp (documented in the header)

// The "C" locale, made once; null only if the C library cannot make it (out of memory).
locale_t c_locale() noexcept {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

struct Directive {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = 0;       // 0: none
    int precision = -1;  // -1: none
    int bits = 32;       // integer size after the length modifier
    char16_t conv = 0;
};

void put_fill(std::u16string& out, int n, char16_t c) {
    if (n > 0) out.append(static_cast<std::size_t>(n), c);
}

// The value of an argument as 64 bits, for the integer conversions (wrong kinds: see header).
std::uint64_t integer_bits(const FormatArg& a) {
    switch (a.kind()) {
        case FormatArg::Kind::floating: {
            const double d = a.floating();
            if (std::isnan(d)) return 0;
            if (d >= 18446744073709551616.0) return ~std::uint64_t{0};
            if (d >= 9223372036854775808.0) return static_cast<std::uint64_t>(d);
            if (d < -9223372036854775808.0) return std::uint64_t{1} << 63;
            return static_cast<std::uint64_t>(static_cast<std::int64_t>(d));
        }
        case FormatArg::Kind::string: return 0;
        default: return a.value();
    }
}

// An int taken from an argument for '*'.
int star_value(const FormatArg& a) {
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(integer_bits(a))));
}

double floating_value(const FormatArg& a) {
    switch (a.kind()) {
        case FormatArg::Kind::floating: return a.floating();
        case FormatArg::Kind::signed_int:
            return static_cast<double>(static_cast<std::int64_t>(a.value()));
        case FormatArg::Kind::unsigned_int:
        case FormatArg::Kind::character: return static_cast<double>(a.value());
        default: return 0.0;
    }
}

// d i u x X o p: the C rules for sign, prefix, precision, width and '0'.
void put_integer(std::u16string& out, const Directive& s, std::uint64_t bits) {
    const bool is_signed = s.conv == u'd' || s.conv == u'i';
    if (s.bits < 64) {
        const std::uint64_t mask = (std::uint64_t{1} << s.bits) - 1;
        bits &= mask;
        if (is_signed && (bits >> (s.bits - 1)) != 0) bits |= ~mask;  // sign-extend
    }
    const bool negative = is_signed && static_cast<std::int64_t>(bits) < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - bits : bits;

    unsigned base = 10;
    const char16_t* digit_set = u"0123456789abcdef";
    if (s.conv == u'x') {
        base = 16;
    } else if (s.conv == u'X' || s.conv == u'p') {
        base = 16;
        digit_set = u"0123456789ABCDEF";
    } else if (s.conv == u'o') {
        base = 8;
    }

    char16_t digits[24];
    int n = 0;
    if (!(magnitude == 0 && s.precision == 0)) {
        std::uint64_t v = magnitude;
        do {
            digits[n++] = digit_set[v % base];
            v /= base;
        } while (v != 0);
    }
    int zeros = s.precision > n ? s.precision - n : 0;
    if (s.conv == u'o' && s.alt && zeros == 0 && (n == 0 || digits[n - 1] != u'0')) zeros = 1;

    char16_t prefix[2];
    int prefix_len = 0;
    if (negative) {
        prefix[prefix_len++] = u'-';
    } else if (is_signed && s.plus) {
        prefix[prefix_len++] = u'+';
    } else if (is_signed && s.space) {
        prefix[prefix_len++] = u' ';
    } else if (s.alt && magnitude != 0 && (s.conv == u'x' || s.conv == u'X')) {
        prefix[prefix_len++] = u'0';
        prefix[prefix_len++] = s.conv;
    }

    int pad = s.width - (prefix_len + zeros + n);
    if (pad > 0 && !s.left && s.zero && s.precision < 0) {
        zeros += pad;
        pad = 0;
    }
    if (!s.left) put_fill(out, pad, u' ');
    out.append(prefix, static_cast<std::size_t>(prefix_len));
    put_fill(out, zeros, u'0');
    while (n > 0) out.push_back(digits[--n]);
    if (s.left) put_fill(out, pad, u' ');
}

// Text with width, precision (maximum units) and '-'.
void put_text(std::u16string& out, const Directive& s, std::u16string_view text) {
    if (s.precision >= 0 && text.size() > static_cast<std::size_t>(s.precision)) {
        text = text.substr(0, static_cast<std::size_t>(s.precision));
    }
    const int pad = s.width - static_cast<int>(text.size());
    if (!s.left) put_fill(out, pad, u' ');
    out.append(text);
    if (s.left) put_fill(out, pad, u' ');
}

void append_number(char* p, int& n, int v) {  // a small non-negative decimal into a narrow format
    char digits[8];
    int k = 0;
    do {
        digits[k++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (k > 0) p[n++] = digits[--k];
}

// f F e E g G a A: snprintf in the C locale with the same directive.
void put_floating(std::u16string& out, const Directive& s, double value) {
    char nf[32];
    int k = 0;
    nf[k++] = '%';
    if (s.left) nf[k++] = '-';
    if (s.plus) nf[k++] = '+';
    if (s.space) nf[k++] = ' ';
    if (s.alt) nf[k++] = '#';
    if (s.zero) nf[k++] = '0';
    if (s.width > 0) append_number(nf, k, s.width);
    if (s.precision >= 0) {
        nf[k++] = '.';
        append_number(nf, k, s.precision);
    }
    nf[k++] = static_cast<char>(s.conv);
    nf[k] = '\0';

    const locale_t c = c_locale();
    const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(nullptr);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, nf, value);
    if (n >= static_cast<int>(sizeof buf)) {
        // Longer than the stack buffer (a huge width or precision): print the narrow text into
        // the result's own new tail, then widen it in place from the end.
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(n));
        char16_t* wide = out.data() + at;
        char* narrow = reinterpret_cast<char*>(wide);  // 2n bytes, n + 1 needed
        n = std::snprintf(narrow, 2 * static_cast<std::size_t>(n), nf, value);
        if (previous) uselocale(previous);
        if (n < 0) {
            out.resize(at);
            return;
        }
        const auto len = static_cast<std::size_t>(n);
        for (std::size_t i = len; i-- > 0;) {
            const auto unit = static_cast<unsigned char>(narrow[i]);  // byte i lies before unit i
            wide[i] = unit;
        }
        out.resize(at + len);
        return;
    }
#pragma GCC diagnostic pop
    if (previous) uselocale(previous);
    for (int i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(buf[i]));
}

// %s of a value that is not a string (see header).
void put_non_string(std::u16string& out, const Directive& s, const FormatArg& a) {
    Directive plain;
    switch (a.kind()) {
        case FormatArg::Kind::character: {
            const auto unit = static_cast<char16_t>(a.value());
            put_text(out, s, std::u16string_view(&unit, 1));
            return;
        }
        case FormatArg::Kind::pointer:
            if (a.value() == 0) {
                put_text(out, s, u"(null)");
                return;
            }
            plain.conv = u'p';
            plain.bits = 64;
            plain.precision = 16;
            break;
        case FormatArg::Kind::signed_int:
            plain.conv = u'd';
            plain.bits = 64;
            break;
        case FormatArg::Kind::unsigned_int:
            plain.conv = u'u';
            plain.bits = 64;
            break;
        default: plain.conv = u'g'; break;
    }
    // Render at the end of the result, then apply precision, width and '-' to what was rendered.
    const std::size_t at = out.size();
    if (plain.conv == u'g') {
        put_floating(out, plain, a.floating());
    } else {
        put_integer(out, plain, a.value());
    }
    std::size_t len = out.size() - at;
    if (s.precision >= 0 && len > static_cast<std::size_t>(s.precision)) {
        len = static_cast<std::size_t>(s.precision);
        out.resize(at + len);
    }
    const int pad = s.width - static_cast<int>(len);
    if (pad > 0) {
        if (s.left) {
            put_fill(out, pad, u' ');
        } else {
            out.insert(at, static_cast<std::size_t>(pad), u' ');
        }
    }
}

// Parses digits at fmt[i..], clamped to kMaxWidth.
int parse_count(std::u16string_view fmt, std::size_t& i) {
    int v = 0;
    while (i < fmt.size() && fmt[i] >= u'0' && fmt[i] <= u'9') {
        v = v * 10 + (fmt[i] - u'0');
        if (v > kMaxWidth) v = kMaxWidth;
        ++i;
    }
    return v;
}

std::size_t estimate(std::u16string_view fmt, const FormatArg* args, std::size_t count) {
    std::size_t n = fmt.size();
    for (std::size_t k = 0; k < count; ++k) {
        n += args[k].kind() == FormatArg::Kind::string ? args[k].text().size() : 16;
    }
    return n;
}

}  // namespace

void vformat_to(std::u16string& out, std::u16string_view fmt, const FormatArg* args,
                std::size_t count) {
    if (args == nullptr) count = 0;
    out.reserve(out.size() + estimate(fmt, args, count));
    std::size_t next = 0;
    const auto take = [&]() -> const FormatArg* { return next < count ? &args[next++] : nullptr; };

    std::size_t i = 0;
    while (i < fmt.size()) {
        if (fmt[i] != u'%') {
            std::size_t j = fmt.find(u'%', i);
            if (j == std::u16string_view::npos) j = fmt.size();
            out.append(fmt.substr(i, j - i));
            i = j;
            continue;
        }
        const std::size_t start = i++;
        Directive s;
        for (; i < fmt.size(); ++i) {  // flags
            const char16_t f = fmt[i];
            if (f == u'-') {
                s.left = true;
            } else if (f == u'+') {
                s.plus = true;
            } else if (f == u' ') {
                s.space = true;
            } else if (f == u'#') {
                s.alt = true;
            } else if (f == u'0') {
                s.zero = true;
            } else {
                break;
            }
        }
        if (i < fmt.size() && fmt[i] == u'*') {  // width
            ++i;
            if (const FormatArg* a = take()) {
                int w = star_value(*a);
                if (w < 0) {
                    s.left = true;
                    w = w == INT32_MIN ? kMaxWidth : -w;
                }
                s.width = w > kMaxWidth ? kMaxWidth : w;
            }
        } else {
            s.width = parse_count(fmt, i);
        }
        if (i < fmt.size() && fmt[i] == u'.') {  // precision
            ++i;
            if (i < fmt.size() && fmt[i] == u'*') {
                ++i;
                if (const FormatArg* a = take()) {
                    const int p = star_value(*a);
                    s.precision = p < 0 ? -1 : (p > kMaxWidth ? kMaxWidth : p);
                }
            } else {
                s.precision = parse_count(fmt, i);
            }
        }
        if (i < fmt.size()) {  // length modifier
            const std::u16string_view rest = fmt.substr(i);
            if (rest.starts_with(u"hh")) {
                s.bits = 8;
                i += 2;
            } else if (rest.starts_with(u"ll")) {
                s.bits = 64;
                i += 2;
            } else if (rest.starts_with(u"I64")) {
                s.bits = 64;
                i += 3;
            } else if (rest.starts_with(u"I32")) {
                s.bits = 32;
                i += 3;
            } else {
                switch (rest[0]) {
                    case u'h':
                        s.bits = 16;
                        ++i;
                        break;
                    case u'l':
                    case u'w':
                        s.bits = 32;
                        ++i;
                        break;
                    case u'L':
                    case u'I':
                    case u'z':
                    case u'j':
                    case u't':
                        s.bits = 64;
                        ++i;
                        break;
                    default: break;
                }
            }
        }
        if (i >= fmt.size()) {  // cut short: literal
            out.append(fmt.substr(start));
            break;
        }
        s.conv = fmt[i++];
        switch (s.conv) {
            case u'%': out.push_back(u'%'); break;
            case u'd':
            case u'i':
            case u'u':
            case u'x':
            case u'X':
            case u'o':
                if (const FormatArg* a = take()) put_integer(out, s, integer_bits(*a));
                break;
            case u'p':
                if (const FormatArg* a = take()) {
                    s.bits = 64;
                    if (s.precision < 0) s.precision = 16;
                    s.alt = s.plus = s.space = false;
                    const std::uint64_t v = a->kind() == FormatArg::Kind::string
                                                ? reinterpret_cast<std::uintptr_t>(a->text().data())
                                                : integer_bits(*a);
                    put_integer(out, s, v);
                }
                break;
            case u'c':
            case u'C':
                if (const FormatArg* a = take()) {
                    Directive t = s;
                    t.precision = -1;
                    if (a->kind() == FormatArg::Kind::string) {
                        put_text(out, t, a->text().substr(0, a->text().empty() ? 0 : 1));
                    } else {
                        const auto unit = static_cast<char16_t>(integer_bits(*a));
                        put_text(out, t, std::u16string_view(&unit, 1));
                    }
                }
                break;
            case u's':
            case u'S':
                if (const FormatArg* a = take()) {
                    if (a->kind() != FormatArg::Kind::string) {
                        put_non_string(out, s, *a);
                    } else if (a->is_null()) {
                        put_text(out, s, u"(null)");
                    } else {
                        put_text(out, s, a->text());
                    }
                }
                break;
            case u'f':
            case u'F':
            case u'e':
            case u'E':
            case u'g':
            case u'G':
            case u'a':
            case u'A':
                if (const FormatArg* a = take()) put_floating(out, s, floating_value(*a));
                break;
            default:  // unknown conversion: literal
                out.append(fmt.substr(start, i - start));
                break;
        }
    }
}

std::u16string vformat(std::u16string_view fmt, const FormatArg* args, std::size_t count) {
    std::u16string out;
    vformat_to(out, fmt, args, count);
    return out;
}

}  // namespace platform
