#pragma once
// Every status-returning operation of the device library as a test case: called with sentinel
// out-parameters, it reports whether the call left them (and the board) untouched. Tests run the
// whole table through the no-device, not-open, wrong-generation and fault rules.

#include <functional>
#include <string_view>
#include <vector>

#include "tamrelapi/device_select.hpp"

namespace tamrel::test {

enum class Family { first, second, common };

struct OperationCase {
    std::string_view name;  // as faults and the call log name it
    Family family;
    bool needs_open;
    // Makes the call; `untouched` is true when no out-parameter changed and the call had no
    // effect on the board.
    std::function<unsigned(bool& untouched)> call;
};

// Whether the operation acts on a board of that kind (first, second or none).
bool belongs_to(const OperationCase& op, api::DeviceKind kind);

// All operations except the counts, which return a number rather than a status.
const std::vector<OperationCase>& operation_cases();

}  // namespace tamrel::test
