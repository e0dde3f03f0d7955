#pragma once
// Event: the signalled/non-signalled object the code was written against, with manual or
// automatic reset, and a wait that is always bounded by a time limit.
//
// Thread-safety: every member may be called from any thread.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class Event {
public:
    enum class Reset { manual, automatic };

    explicit Event(Reset reset = Reset::manual, bool signalled = false)
        : reset_(reset), signalled_(signalled) {}

    void set();
    void reset();
    bool is_set() const;
    // Waits up to `ms` for the event; true when it was (or became) signalled. An automatic-reset
    // event is reset by the wait that sees it.
    bool wait_for(std::uint32_t ms);

private:
    const Reset reset_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_;
};

}  // namespace platform
