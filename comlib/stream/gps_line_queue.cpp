#include "comlib/stream/gps_line_queue.hpp"

std::size_t GpsLineQueue::size() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

void GpsLineQueue::push(std::u16string sentence) {
    std::lock_guard lock(mutex_);
    if (lines_.size() >= kLimit) lines_.pop_front();
    lines_.push_back(std::move(sentence));
}

std::optional<std::u16string> GpsLineQueue::take() {
    std::lock_guard lock(mutex_);
    if (lines_.empty()) return std::nullopt;
    std::u16string front = std::move(lines_.front());
    lines_.pop_front();
    return front;
}

void GpsLineQueue::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}
