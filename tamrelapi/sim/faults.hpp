#pragma once
// Faults tests inject: the next N calls of a named operation fail with a given status, or every
// call until the fault is cleared. Operations are named as the calling code names them
// ("Tm2Open", "CPLXIO::read_reg"). The instrument asks take() before an operation has any
// effect, so a failed call changes nothing and writes no out-parameter.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel::sim {

// Thread-safety: every member may be called from any thread; take() consumes a counted fault
// exactly once even when several threads call the operation at once.
class FaultPlan {
public:
    // `status` must not be 0; a count of 0 removes the operation's fault.
    void fail_next(std::string_view operation, unsigned count, unsigned status);
    void fail_always(std::string_view operation, unsigned status);
    void clear(std::string_view operation);
    void clear_all();

    // The status this call of `operation` must fail with, if any.
    std::optional<unsigned> take(std::string_view operation);

private:
    struct Fault {
        unsigned status = 0;
        std::optional<unsigned> remaining;  // empty: until cleared
    };

    std::mutex mutex_;
    std::map<std::string, Fault, std::less<>> faults_;
};

}  // namespace tamrel::sim
