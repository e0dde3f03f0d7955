#pragma once
// Conversions between the system's text (UTF-16, std::u16string, as on the wire and on disk) and
// UTF-8, which only the terminal, POSIX file names and log output use. Malformed input never
// fails: an unpaired surrogate or an invalid UTF-8 sequence becomes U+FFFD.

#include <string>
#include <string_view>

namespace platform {

std::string to_utf8(std::u16string_view text);
std::u16string from_utf8(std::string_view text);

// Latin-1 / ASCII bytes to UTF-16 one unit per byte (the conversion the system applies to device
// texts and serial bytes, which are 8-bit).
std::u16string from_latin1(std::string_view bytes);

}  // namespace platform
