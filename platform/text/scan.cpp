#include "platform/text/scan.hpp"

#include <locale.h>  // newlocale (POSIX 2008)
#include <stdlib.h>  // strtod_l, strtof_l, strtold_l (glibc)
#include <charconv>
#include <clocale>  // LC_ALL_MASK

namespace platform {
namespace {

using scan_detail::Conv;
using scan_detail::is_space;

locale_t c_locale() noexcept {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Digit value of c in base (or base if c is not such a digit).
unsigned digit_of(char16_t c, unsigned base) noexcept {
    unsigned d = base;
    if (c >= u'0' && c <= u'9') {
        d = static_cast<unsigned>(c - u'0');
    } else if (c >= u'a' && c <= u'z') {
        d = static_cast<unsigned>(c - u'a') + 10;
    } else if (c >= u'A' && c <= u'Z') {
        d = static_cast<unsigned>(c - u'A') + 10;
    }
    return d < base ? d : base;
}

// An integer field in text[pos, limit): optional sign, optional prefix, digits. The value is
// modulo 2^64. Returns false (matching failure) without digits.
bool read_integer(std::u16string_view text, std::size_t& pos, std::size_t limit, unsigned base,
                  std::uint64_t& value) {
    std::size_t p = pos;
    bool negative = false;
    if (p < limit && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    bool any = false;
    if ((base == 0 || base == 16) && p < limit && text[p] == u'0') {
        any = true;
        ++p;
        if (p < limit && (text[p] == u'x' || text[p] == u'X')) {
            base = 16;
            ++p;
        } else if (base == 0) {
            base = 8;
        }
    }
    if (base == 0) base = 10;
    std::uint64_t v = 0;
    for (; p < limit; ++p) {
        const unsigned d = digit_of(text[p], base);
        if (d >= base) break;
        v = v * base + d;
        any = true;
    }
    if (!any) return false;
    pos = p;
    value = negative ? std::uint64_t{0} - v : v;
    return true;
}

void store_integer(const ScanTarget& t, std::uint64_t v, int bits, bool is_signed) {
    // Truncate to the conversion's size, then sign- or zero-extend.
    if (bits < 64) {
        const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
        v &= mask;
        if (is_signed && (v >> (bits - 1)) != 0) v |= ~mask;
    }
    const auto s = static_cast<std::int64_t>(v);
    switch (t.type) {
        case ScanType::schar:
            *static_cast<signed char*>(t.ptr) = static_cast<signed char>(s);
            break;
        case ScanType::uchar:
            *static_cast<unsigned char*>(t.ptr) = static_cast<unsigned char>(v);
            break;
        case ScanType::short_: *static_cast<short*>(t.ptr) = static_cast<short>(s); break;
        case ScanType::ushort:
            *static_cast<unsigned short*>(t.ptr) = static_cast<unsigned short>(v);
            break;
        case ScanType::int_: *static_cast<int*>(t.ptr) = static_cast<int>(s); break;
        case ScanType::uint: *static_cast<unsigned*>(t.ptr) = static_cast<unsigned>(v); break;
        case ScanType::long_: *static_cast<long*>(t.ptr) = static_cast<long>(s); break;
        case ScanType::ulong:
            *static_cast<unsigned long*>(t.ptr) = static_cast<unsigned long>(v);
            break;
        case ScanType::llong: *static_cast<long long*>(t.ptr) = static_cast<long long>(s); break;
        case ScanType::ullong:
            *static_cast<unsigned long long*>(t.ptr) = static_cast<unsigned long long>(v);
            break;
        default: break;  // accepts() lets no other type through
    }
}

bool is_number_char(char16_t c) noexcept {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c == u'.' || c == u'+' || c == u'-' || c == u'(' || c == u')' || c == u'_';
}

bool is_hex_digit(char c) noexcept {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename T>
T strto_c(const char* s, locale_t loc);
template <>
float strto_c<float>(const char* s, locale_t loc) {
    return strtof_l(s, nullptr, loc);
}
template <>
double strto_c<double>(const char* s, locale_t loc) {
    return strtod_l(s, nullptr, loc);
}
template <>
long double strto_c<long double>(const char* s, locale_t loc) {
    return strtold_l(s, nullptr, loc);
}

// Parses the number in buf[0, n) (no sign; NUL at buf[n]); returns the characters used (0: no
// number).
template <typename T>
std::size_t parse_unsigned_floating(char* buf, std::size_t n, T& value) {
    if (n == 0 || buf[0] == '+' || buf[0] == '-') return 0;
    const char* const end = buf + n;
    std::from_chars_result r{buf, std::errc::invalid_argument};
    const char* begin = buf;
    if (n >= 3 && buf[0] == '0' && (buf[1] == 'x' || buf[1] == 'X') &&
        (is_hex_digit(buf[2]) || (buf[2] == '.' && n >= 4 && is_hex_digit(buf[3])))) {
        begin = buf + 2;
        r = std::from_chars(begin, end, value, std::chars_format::hex);
    }
    if (r.ec == std::errc::invalid_argument) {  // not hexadecimal ("0x" alone reads 0 here)
        begin = buf;
        r = std::from_chars(buf, end, value, std::chars_format::general);
    }
    if (r.ec == std::errc::invalid_argument) return 0;
    const auto used = static_cast<std::size_t>(r.ptr - buf);
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: the value strtod gives (+-HUGE_VAL, 0 or a subnormal).
        const char saved = buf[used];
        buf[used] = '\0';
        if (const locale_t loc = c_locale()) {
            value = strto_c<T>(buf, loc);
        } else {
            value = static_cast<T>(0);
        }
        buf[used] = saved;
    }
    return used;
}

// A floating field in text[pos, limit) into *out.
template <typename T>
bool read_floating(std::u16string_view text, std::size_t& pos, std::size_t limit, T* out) {
    std::size_t p = pos;
    bool negative = false;
    if (p < limit && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    std::size_t q = p;
    while (q < limit && is_number_char(text[q])) ++q;
    const std::size_t n = q - p;
    char small[128];
    std::string large;
    char* buf = small;
    if (n + 1 > sizeof small) {
        large.resize(n + 1);
        buf = large.data();
    }
    for (std::size_t k = 0; k < n; ++k) buf[k] = static_cast<char>(text[p + k]);  // ASCII
    buf[n] = '\0';
    T value{};
    const std::size_t used = parse_unsigned_floating(buf, n, value);
    if (used == 0) return false;
    *out = negative ? -value : value;
    pos = p + used;
    return true;
}

bool in_set(std::u16string_view set, char16_t c) noexcept {
    for (std::size_t k = 0; k < set.size(); ++k) {
        if (k + 2 < set.size() && set[k + 1] == u'-') {  // a range a-z ('-' last is literal)
            const char16_t lo = set[k];
            const char16_t hi = set[k + 2];
            if (lo <= hi ? (c >= lo && c <= hi) : (c == lo || c == u'-' || c == hi)) return true;
            k += 2;
            continue;
        }
        if (set[k] == c) return true;
    }
    return false;
}

}  // namespace

int vscan(std::u16string_view text, std::u16string_view fmt, const ScanTarget* targets,
          std::size_t count) {
    if (targets == nullptr) count = 0;
    std::size_t pos = 0;
    std::size_t next = 0;
    int assigned = 0;
    bool converted = false;  // a conversion (suppressed or not) has completed
    const auto input_failure = [&] { return converted ? assigned : -1; };
    const auto skip_space = [&] {
        while (pos < text.size() && is_space(text[pos])) ++pos;
    };

    std::size_t i = 0;
    while (i < fmt.size()) {
        const char16_t f = fmt[i];
        if (is_space(f)) {
            while (i < fmt.size() && is_space(fmt[i])) ++i;
            skip_space();
            continue;
        }
        if (f != u'%') {
            if (pos >= text.size()) return input_failure();
            if (text[pos] != f) return assigned;
            ++pos;
            ++i;
            continue;
        }
        Conv c;
        i = scan_detail::parse_conv(fmt, i, c);
        if (c.kind == 0) return assigned;  // not a conversion: stop
        if (c.kind == u'%') {
            skip_space();
            if (pos >= text.size()) return input_failure();
            if (text[pos] != u'%') return assigned;
            ++pos;
            continue;
        }
        const ScanTarget* t = nullptr;
        if (!c.suppress) {
            if (next >= count || !scan_detail::accepts(c, targets[next].type) ||
                targets[next].ptr == nullptr) {
                return assigned;  // missing pointer or one of the wrong type: stop
            }
            t = &targets[next++];
        }
        if (c.kind == u'n') {
            if (t) store_integer(*t, pos, scan_detail::int_bits(c.len), true);
            continue;
        }
        if (c.kind != u'c' && c.kind != u'[') skip_space();
        if (pos >= text.size()) return input_failure();
        const std::size_t room = text.size() - pos;
        const std::size_t limit = pos + (c.width != 0 && c.width < room ? c.width : room);

        switch (c.kind) {
            case u'd':
            case u'i':
            case u'u':
            case u'o':
            case u'x': {
                const unsigned base = c.kind == u'd' || c.kind == u'u' ? 10U
                                      : c.kind == u'o'                 ? 8U
                                      : c.kind == u'x'                 ? 16U
                                                                       : 0U;
                std::uint64_t v = 0;
                if (!read_integer(text, pos, limit, base, v)) return assigned;
                if (t) store_integer(*t, v, scan_detail::int_bits(c.len), c.is_signed);
                break;
            }
            case u'f': {
                bool ok = false;
                if (t == nullptr) {
                    double ignored = 0;
                    ok = read_floating(text, pos, limit, &ignored);
                } else if (t->type == ScanType::float_) {
                    ok = read_floating(text, pos, limit, static_cast<float*>(t->ptr));
                } else if (t->type == ScanType::double_) {
                    ok = read_floating(text, pos, limit, static_cast<double*>(t->ptr));
                } else {
                    ok = read_floating(text, pos, limit, static_cast<long double*>(t->ptr));
                }
                if (!ok) return assigned;
                break;
            }
            case u'c': {
                const std::size_t n = c.width != 0 ? c.width : 1;
                if (room < n) return input_failure();
                if (t && t->type == ScanType::char16) {
                    *static_cast<char16_t*>(t->ptr) = text[pos];
                } else if (t) {
                    static_cast<std::u16string*>(t->ptr)->assign(text.substr(pos, n));
                }
                pos += n;
                break;
            }
            case u's': {
                std::size_t e = pos;
                while (e < limit && !is_space(text[e])) ++e;
                if (t) static_cast<std::u16string*>(t->ptr)->assign(text.substr(pos, e - pos));
                pos = e;
                break;
            }
            case u'[': {
                const std::u16string_view set = fmt.substr(c.set_begin, c.set_end - c.set_begin);
                std::size_t e = pos;
                while (e < limit && in_set(set, text[e]) != c.set_negated) ++e;
                if (e == pos) return assigned;
                if (t) static_cast<std::u16string*>(t->ptr)->assign(text.substr(pos, e - pos));
                pos = e;
                break;
            }
            default: return assigned;
        }
        converted = true;
        if (t) ++assigned;
    }
    return assigned;
}

}  // namespace platform
