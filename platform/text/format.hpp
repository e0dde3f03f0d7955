#pragma once
// The wide printf of the system the code was written for (Windows swprintf), over UTF-16 text.
//
//   std::u16string line = platform::format(u"Boards Number=%d", count);
//   platform::format_to(line, u" %.3fM", mhz);          // appends to an existing string
//
// Every argument becomes a FormatArg (integers of any width, char16_t, bool, enums, float, double,
// long double, UTF-16 strings, pointers); the work is done by the non-template vformat.
//
// Conversions: d i u x X o c s f F e E g G a A p %%, flags '-' '+' ' ' '#' '0', width and
// precision as digits or '*' (taken from the next argument as an int; a negative '*' width means
// '-' and its magnitude, a negative '*' precision means none). Length modifiers hh h l ll L I64
// I32 I z j t w are accepted.
//
// Integer semantics are those of C on the system the code was written for (LLP64: int and long
// are 32 bits, long long, size_t, intmax_t and ptrdiff_t 64 bits):
//   - no modifier, l, w, I32: the argument is converted to 32 bits first, so %u of -1 gives
//     4294967295, %d of 4294967295u gives -1, %x of a 64-bit value shows its low 32 bits;
//   - ll, L, I64, I, z, j, t: the argument is taken as 64 bits (a signed argument sign-extended);
//   - h: 16 bits, hh: 8 bits.
//   d and i are signed conversions, u x X o unsigned. Precision is the minimum number of digits
//   ("%.0d" of 0 prints nothing), '0' is ignored when a precision is given or with '-', '#' gives
//   "0x"/"0X" before a non-zero hexadecimal value and a leading 0 in octal, '+' and ' ' apply to
//   d and i only.
// %c prints one UTF-16 unit: the low 16 bits of a character or integer argument.
// %s prints a UTF-16 string (const char16_t*, std::u16string, std::u16string_view); a null
//   pointer prints "(null)"; the precision is the maximum number of units. %S, %hs, %ls, %ws are
//   the same (there is no narrow text); %C is %c.
// %p prints the address as 16 upper-case hexadecimal digits without prefix (as Windows does).
// Floating conversions print exactly what C's printf prints in the C locale, whatever the
//   process or thread locale is: the double value goes through snprintf under the "C" locale
//   (uselocale), with the same flags, width and precision. A long double argument is printed as
//   a double; the L and l modifiers are accepted and ignored.
// Width and precision are clamped to 65535 (a larger number is taken as 65535).
//
// Robustness (no undefined behaviour, whatever the arguments):
//   - a conversion without an argument left prints nothing; a '*' without an argument left is as
//     if no width or precision had been given;
//   - an argument of the wrong kind is converted as best it can be:
//       integer conversions (d i u x X o) and '*': a floating value is truncated toward zero and
//         saturated (NaN gives 0), a pointer is its address, a string is 0;
//       floating conversions: an integer is converted to double, a string or pointer is 0.0;
//       %c: a string prints its first unit (nothing if empty or null), a floating value its
//         truncation;
//       %s: a number prints as with %d (signed), %u (unsigned) or %g (floating) and a character
//         argument as that character, then width, precision and '-' apply to that text; a pointer
//         argument prints as with %p, a null one as "(null)";
//       %p: an integer prints its 64-bit value in hexadecimal, a string the address of its data;
//   - an unknown conversion (for example %n, %y, %Z) is output literally from its '%' to its
//     conversion character, and takes no argument (an argument already taken by a '*' of it stays
//     taken); a directive cut short by the end of the format is output literally, and a lone
//     '%' at the end prints '%'; "%%" prints '%', whatever flags or width stand between.
// Nothing is allocated except the result string, which is reserved once from an estimate.
// Narrow strings (const char*) are refused at compile time: the system's text is UTF-16.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace platform {

class FormatArg {
public:
    enum class Kind : std::uint8_t {
        signed_int,    // value(): the value sign-extended to 64 bits
        unsigned_int,  // value(): the value zero-extended to 64 bits
        character,     // a char16_t; value(): the unit
        floating,      // floating()
        string,        // text(); is_null() for a null const char16_t*
        pointer,       // value(): the address; also nullptr
    };

    template <std::integral T>
    constexpr FormatArg(T v) noexcept {  // NOLINT(google-explicit-constructor): implicit by design
        if constexpr (std::is_same_v<T, char16_t>) {
            kind_ = Kind::character;
            bits_ = v;
        } else if constexpr (std::is_same_v<T, bool>) {
            kind_ = Kind::signed_int;  // promoted to int, as in C
            bits_ = v ? 1U : 0U;
        } else if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::signed_int;
            bits_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
        } else {
            kind_ = Kind::unsigned_int;
            bits_ = static_cast<std::uint64_t>(v);
        }
    }
    template <typename E>
    requires std::is_enum_v<E>
    constexpr FormatArg(E v) noexcept : FormatArg(static_cast<std::underlying_type_t<E>>(v)) {}

    constexpr FormatArg(float v) noexcept : kind_(Kind::floating), real_(static_cast<double>(v)) {}
    constexpr FormatArg(double v) noexcept : kind_(Kind::floating), real_(v) {}
    constexpr FormatArg(long double v) noexcept
        : kind_(Kind::floating), real_(static_cast<double>(v)) {}

    constexpr FormatArg(const char16_t* s) noexcept
        : kind_(Kind::string),
          data_(s),
          size_(s ? std::char_traits<char16_t>::length(s) : 0),
          null_(s == nullptr) {}
    constexpr FormatArg(std::u16string_view s) noexcept
        : kind_(Kind::string), data_(s.data()), size_(s.size()) {}
    FormatArg(const std::u16string& s) noexcept
        : kind_(Kind::string), data_(s.data()), size_(s.size()) {}

    FormatArg(const void* p) noexcept
        : kind_(Kind::pointer), bits_(reinterpret_cast<std::uintptr_t>(p)) {}
    constexpr FormatArg(std::nullptr_t) noexcept : kind_(Kind::pointer) {}

    // Narrow and 32-bit text is not the system's text: refuse it rather than print an address.
    FormatArg(const char*) = delete;
    FormatArg(const char8_t*) = delete;
    FormatArg(const char32_t*) = delete;
    FormatArg(const wchar_t*) = delete;

    constexpr Kind kind() const noexcept { return kind_; }
    constexpr std::uint64_t value() const noexcept { return bits_; }
    constexpr double floating() const noexcept { return real_; }
    constexpr std::u16string_view text() const noexcept { return {data_, size_}; }
    constexpr bool is_null() const noexcept { return null_; }

private:
    Kind kind_ = Kind::pointer;
    std::uint64_t bits_ = 0;
    double real_ = 0.0;
    const char16_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool null_ = false;
};

// The formatter: fmt with args[0 .. count) (count may be 0 and args null).
std::u16string vformat(std::u16string_view fmt, const FormatArg* args, std::size_t count);
// The same, appended to out (which keeps its capacity: a reused string allocates nothing).
void vformat_to(std::u16string& out, std::u16string_view fmt, const FormatArg* args,
                std::size_t count);

template <typename... A>
std::u16string format(std::u16string_view fmt, const A&... args) {
    if constexpr (sizeof...(A) == 0) {
        return vformat(fmt, nullptr, 0);
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return vformat(fmt, list, sizeof...(A));
    }
}

template <typename... A>
void format_to(std::u16string& out, std::u16string_view fmt, const A&... args) {
    if constexpr (sizeof...(A) == 0) {
        vformat_to(out, fmt, nullptr, 0);
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        vformat_to(out, fmt, list, sizeof...(A));
    }
}

}  // namespace platform
