#include "tamrelapi/sim/registers.hpp"

#include "tamrelapi/status.hpp"

namespace tamrel::sim {

unsigned RegisterFile::check_address(unsigned space, unsigned offset) {
    if (space >= space_count || offset >= window_bytes || offset % 4 != 0) {
        return api::status_invalid_argument;
    }
    return api::status_ok;
}

unsigned RegisterFile::read(unsigned space, unsigned offset, unsigned& value) const {
    if (const unsigned refused = check_address(space, offset); refused != api::status_ok) {
        return refused;
    }
    std::lock_guard lock(mutex_);
    const auto& registers = spaces_[space];
    const auto found = registers.find(offset);
    value = found == registers.end() ? 0U : found->second;
    return api::status_ok;
}

unsigned RegisterFile::write(unsigned space, unsigned offset, unsigned value) {
    if (const unsigned refused = check_address(space, offset); refused != api::status_ok) {
        return refused;
    }
    std::lock_guard lock(mutex_);
    if (read_only_.contains({space, offset})) return api::status_ok;
    spaces_[space][offset] = value;
    return api::status_ok;
}

unsigned RegisterFile::poke(unsigned space, unsigned offset, unsigned value) {
    if (const unsigned refused = check_address(space, offset); refused != api::status_ok) {
        return refused;
    }
    std::lock_guard lock(mutex_);
    spaces_[space][offset] = value;
    return api::status_ok;
}

void RegisterFile::set_read_only(unsigned space, unsigned offset) {
    if (check_address(space, offset) != api::status_ok) return;
    std::lock_guard lock(mutex_);
    read_only_.insert({space, offset});
}

void RegisterFile::clear() {
    std::lock_guard lock(mutex_);
    for (auto& registers : spaces_) registers.clear();
    read_only_.clear();
}

}  // namespace tamrel::sim
