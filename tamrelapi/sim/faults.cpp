#include "tamrelapi/sim/faults.hpp"

namespace tamrel::sim {

void FaultPlan::fail_next(std::string_view operation, unsigned count, unsigned status) {
    std::lock_guard lock(mutex_);
    if (count == 0) {
        if (auto found = faults_.find(operation); found != faults_.end()) faults_.erase(found);
        return;
    }
    faults_.insert_or_assign(std::string(operation), Fault{status, count});
}

void FaultPlan::fail_always(std::string_view operation, unsigned status) {
    std::lock_guard lock(mutex_);
    faults_.insert_or_assign(std::string(operation), Fault{status, std::nullopt});
}

void FaultPlan::clear(std::string_view operation) {
    std::lock_guard lock(mutex_);
    if (auto found = faults_.find(operation); found != faults_.end()) faults_.erase(found);
}

void FaultPlan::clear_all() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<unsigned> FaultPlan::take(std::string_view operation) {
    std::lock_guard lock(mutex_);
    auto found = faults_.find(operation);
    if (found == faults_.end()) return std::nullopt;
    const unsigned status = found->second.status;
    if (auto& remaining = found->second.remaining; remaining && --*remaining == 0) {
        faults_.erase(found);
    }
    return status;
}

}  // namespace tamrel::sim
