#include "tamrelapi/sim/presence.hpp"

#include "tamrelapi/status.hpp"

namespace tamrel::sim {

using api::DeviceKind;

void Presence::reset(DeviceKind kind) {
    std::lock_guard lock(mutex_);
    kind_ = kind;
    board_count_ = kind == DeviceKind::none ? 0U : 1U;
    open_ = false;
}

void Presence::set_board_count(unsigned count) {
    std::lock_guard lock(mutex_);
    board_count_ = kind_ == DeviceKind::none ? 0U : count;
    if (board_count_ == 0) open_ = false;
}

DeviceKind Presence::kind() const {
    std::lock_guard lock(mutex_);
    return kind_;
}

unsigned Presence::count(DeviceKind kind) const {
    std::lock_guard lock(mutex_);
    return kind == kind_ ? board_count_ : 0U;
}

bool Presence::is_open() const {
    std::lock_guard lock(mutex_);
    return open_;
}

unsigned Presence::admit(Needs needs) const {
    std::lock_guard lock(mutex_);
    return admit_locked(needs);
}

unsigned Presence::admit_locked(Needs needs) const {
    if (needs == Needs::nothing) return api::status_ok;
    if (kind_ == DeviceKind::none || board_count_ == 0) return api::status_no_device;
    const bool first = kind_ == DeviceKind::first_generation;
    switch (needs) {
        case Needs::first_board:
        case Needs::first_open:
            if (!first) return api::status_wrong_generation;
            break;
        case Needs::second_board:
        case Needs::second_open:
            if (first) return api::status_wrong_generation;
            break;
        default:
            break;
    }
    const bool needs_open = needs == Needs::first_open || needs == Needs::second_open ||
                            needs == Needs::either_open;
    if (needs_open && !open_) return api::status_not_open;
    return api::status_ok;
}

unsigned Presence::open(DeviceKind kind, unsigned board) {
    std::lock_guard lock(mutex_);
    const Needs needs =
        kind == DeviceKind::first_generation ? Needs::first_board : Needs::second_board;
    if (const unsigned refused = admit_locked(needs); refused != api::status_ok) return refused;
    if (board >= board_count_) return api::status_invalid_argument;
    open_ = true;
    return api::status_ok;
}

void Presence::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
}

}  // namespace tamrel::sim
