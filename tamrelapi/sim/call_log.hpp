#pragma once
// The log of operations the session called, in call order, for tests that prove what the session
// asked of the board. It keeps the most recent calls only, so a long run never grows without
// bound.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tamrel::sim {

struct CallRecord {
    std::uint64_t sequence = 0;  // 1 for the first call after a clear, then counting up
    std::string operation;       // "Tm2Open", "CPLXIO::read_reg"
    std::string arguments;       // "board=0", "space=1 offset=0x8004"; empty for getters
};

// Thread-safety: every member may be called from any thread; records of concurrent calls appear
// in the order they took the log's lock.
class CallLog {
public:
    static constexpr std::size_t default_capacity = 10000;

    explicit CallLog(std::size_t capacity = default_capacity) : capacity_(capacity) {}

    void record(std::string_view operation, std::string arguments);
    // The kept records, oldest first.
    std::vector<CallRecord> snapshot() const;
    // Calls recorded since the last clear, including those no longer kept.
    std::uint64_t total() const;
    void clear();
    std::size_t capacity() const { return capacity_; }

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<CallRecord> records_;
    std::uint64_t total_ = 0;
};

}  // namespace tamrel::sim
