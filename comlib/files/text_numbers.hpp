#pragma once
// The fields of the system's text files, and numbers read from them the way C's wcstol, _wcstoi64 and
// wcstod read them: leading blanks (space, \t \n \v \f \r) are skipped, the conversion stops at
// the first unit that does not fit (so a trailing CR or blank is harmless), and a field with
// nothing convertible reads as 0. Integers are decimal with an optional sign and saturate at the
// limits of their width, as those functions do; the long of the system the files come from is
// 32 bits.
//
// Thread-safety: free functions without state; safe from any thread.

#include <cstdint>
#include <string_view>
#include <vector>

std::int32_t text_to_int32(std::u16string_view text);   // wcstol(text, nullptr, 10)
std::int64_t text_to_int64(std::u16string_view text);   // _wcstoi64(text, nullptr, 10)
double text_to_double(std::u16string_view text);        // wcstod(text, nullptr), C locale

// The non-empty fields between commas, as the key/value walks of line 1 see them: consecutive
// commas give nothing, so "AGC,,1" is the key AGC with the value 1.
std::vector<std::u16string_view> non_empty_fields(std::u16string_view line);
