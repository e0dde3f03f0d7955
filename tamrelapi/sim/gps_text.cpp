#include "tamrelapi/sim/gps_text.hpp"

#include <algorithm>

namespace tamrel::sim {

std::size_t GpsText::feed(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    const std::size_t kept = std::min(bytes.size(), capacity_ - bytes_.size());
    const auto* first = reinterpret_cast<const unsigned char*>(bytes.data());
    bytes_.insert(bytes_.end(), first, first + kept);
    dropped_ += bytes.size() - kept;
    return kept;
}

std::size_t GpsText::take(unsigned char* buffer, std::size_t count) {
    std::lock_guard lock(mutex_);
    const std::size_t taken = std::min(count, bytes_.size());
    const auto end = bytes_.begin() + static_cast<std::ptrdiff_t>(taken);
    std::copy(bytes_.begin(), end, buffer);
    bytes_.erase(bytes_.begin(), end);
    return taken;
}

std::size_t GpsText::waiting() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

std::uint64_t GpsText::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

void GpsText::clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
    dropped_ = 0;
}

}  // namespace tamrel::sim
