#include "comlib/stream/block_queue.hpp"

BlockQueue::BlockQueue(std::size_t capacity) : slots_(capacity == 0 ? 1 : capacity, nullptr) {}

std::size_t BlockQueue::size() const {
    std::lock_guard lock(mutex_);
    return count_;
}

bool BlockQueue::push(std::uint8_t* block) {
    {
        std::lock_guard lock(mutex_);
        if (count_ == slots_.size()) return false;
        slots_[(head_ + count_) % slots_.size()] = block;
        ++count_;
    }
    changed_.notify_all();
    return true;
}

std::uint8_t* BlockQueue::front() const {
    std::lock_guard lock(mutex_);
    return count_ == 0 ? nullptr : slots_[head_];
}

void BlockQueue::pop_front() {
    {
        std::lock_guard lock(mutex_);
        if (count_ == 0) return;
        head_ = (head_ + 1) % slots_.size();
        --count_;
    }
    changed_.notify_all();
}

void BlockQueue::clear() {
    {
        std::lock_guard lock(mutex_);
        head_ = 0;
        count_ = 0;
    }
    changed_.notify_all();
}

bool BlockQueue::wait_for_item(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    const std::uint64_t wakes = wakes_;
    changed_.wait_for(lock, limit, [&] { return count_ > 0 || wakes_ != wakes; });
    return count_ > 0;
}

bool BlockQueue::wait_for_space(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    const std::uint64_t wakes = wakes_;
    changed_.wait_for(lock, limit, [&] { return count_ < slots_.size() || wakes_ != wakes; });
    return count_ < slots_.size();
}

void BlockQueue::wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakes_;
    }
    changed_.notify_all();
}
