#pragma once
// Short argument texts for the call log ("space=1 offset=0x8004 value=0x105").

#include <string>
#include <string_view>

namespace tamrel::sim {

// "0x" and upper-case hex digits.
std::string hex(unsigned value);

// "name=value"
std::string arg(std::string_view name, long long value);
std::string arg_hex(std::string_view name, unsigned value);

}  // namespace tamrel::sim
