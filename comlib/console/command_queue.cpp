#include "comlib/console/command_queue.hpp"

unsigned CommandQueue::push(const std::u16string& line) {
    {
        std::lock_guard lock(mutex_);
        if (lines_.size() >= kCapacity) return kStatusQueueFull;
        lines_.push_back(line);
    }
    arrived_.notify_one();
    return 0;
}

std::optional<std::u16string> CommandQueue::take(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [this] { return !lines_.empty() || woken_; });
    woken_ = false;
    if (lines_.empty()) return std::nullopt;
    std::u16string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

void CommandQueue::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    arrived_.notify_all();
}

void CommandQueue::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

std::size_t CommandQueue::size() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}
