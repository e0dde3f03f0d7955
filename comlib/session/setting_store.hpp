#pragma once
// SettingStore: the session's settings block, shared by every thread of the session.
// Single fields are read and written as atomic words (std::atomic_ref), so the threads that read
// a setting while the console changes it need no lock and see either the old or the new value.
// Writers also take a mutex, so that a whole-block snapshot (the search, connect and syncdata
// replies) never mixes two writes of a field sequence halfway.
//
// Thread-safety: every member may be called from any thread.

#include <atomic>
#include <cstring>
#include <mutex>

#include "comlib/session/settings_block.hpp"

class SettingStore {
public:
    template <typename T>
    T get(T _TmSettingBlock_t::*field) const {
        return std::atomic_ref<T>(const_cast<T&>(block_.*field)).load(std::memory_order_relaxed);
    }

    template <typename T, typename V>
    void set(T _TmSettingBlock_t::*field, V value) {
        std::lock_guard lock(mutex_);
        std::atomic_ref<T>(block_.*field).store(static_cast<T>(value), std::memory_order_relaxed);
    }

    // Copies `bytes` into the serial-number field (at most its 10 bytes, the rest zeroed).
    void set_serial(const char* bytes, std::size_t size) {
        std::lock_guard lock(mutex_);
        std::memset(block_.SerialNum, 0, sizeof block_.SerialNum);
        std::memcpy(block_.SerialNum, bytes, size < sizeof block_.SerialNum ? size : sizeof block_.SerialNum);
    }

    _TmSettingBlock_t snapshot() const {
        std::lock_guard lock(mutex_);
        _TmSettingBlock_t copy;
        std::memcpy(&copy, &block_, sizeof copy);
        return copy;
    }

private:
    mutable std::mutex mutex_;
    _TmSettingBlock_t block_{};
};
