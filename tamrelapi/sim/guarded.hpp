#pragma once
// Guarded<T>: a value that several threads read and replace, held under its own lock. The small
// models of the instrument (identity, calibration, readings, outputs) are plain structs kept in
// one of these, so a reader always sees a whole value, never half of an update.

#include <mutex>
#include <utility>

namespace tamrel::sim {

// Thread-safety: every member may be called from any thread; get() returns a copy.
template <typename T>
class Guarded {
public:
    Guarded() = default;
    explicit Guarded(T value) : value_(std::move(value)) {}

    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

    void set(T value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }

    // Runs `change` on the value under the lock (a field update that must not lose a concurrent
    // one). `change` must not call back into this object.
    template <typename F>
    auto update(F&& change) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(change)(value_);
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace tamrel::sim
