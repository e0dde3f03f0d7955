#include "platform/sys/event.hpp"

#include <chrono>

namespace platform {

void Event::set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    if (reset_ == Reset::manual) {
        cv_.notify_all();
    } else {
        cv_.notify_one();
    }
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::is_set() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool Event::wait_for(std::uint32_t ms) {
    std::unique_lock lock(mutex_);
    const bool seen =
        cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return signalled_; });
    if (seen && reset_ == Reset::automatic) signalled_ = false;
    return seen;
}

}  // namespace platform
