#include "tamrelapi/sim/call_log.hpp"

namespace tamrel::sim {

void CallLog::record(std::string_view operation, std::string arguments) {
    std::lock_guard lock(mutex_);
    ++total_;
    if (capacity_ == 0) return;
    if (records_.size() == capacity_) records_.pop_front();
    records_.push_back(CallRecord{total_, std::string(operation), std::move(arguments)});
}

std::vector<CallRecord> CallLog::snapshot() const {
    std::lock_guard lock(mutex_);
    return {records_.begin(), records_.end()};
}

std::uint64_t CallLog::total() const {
    std::lock_guard lock(mutex_);
    return total_;
}

void CallLog::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
    total_ = 0;
}

}  // namespace tamrel::sim
