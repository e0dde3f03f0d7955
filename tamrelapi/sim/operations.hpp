#pragma once
// The names of the operations the instrument answers, as faults and the call log name them. The
// control interface refuses a fault for a name not listed here, so a misspelt name in a test
// fails loudly instead of never firing. An operation added to the instrument is added here too.

#include <span>
#include <string_view>

namespace tamrel::sim {

std::span<const std::string_view> known_operations();
bool is_known_operation(std::string_view name);

}  // namespace tamrel::sim
