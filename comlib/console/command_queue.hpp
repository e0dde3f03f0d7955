#pragma once
// The command queue: lines of text waiting for the console thread, first in first out, at most
// 5,000. Producers (host, UDP receive thread, player-remote API, drive-removal handling) never
// wait; the console takes one line at a time and is woken at once when a line arrives.
//
// Thread-safety: every member may be called from any thread. The lock is held only for the
// length test, the append, the take and the clear — never while a command runs.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

class CommandQueue {
public:
    static constexpr std::size_t kCapacity = 5000;
    static constexpr unsigned kStatusQueueFull = 6915;

    // Appends `line`; 0, or 6915 (the line is dropped) when kCapacity lines are waiting.
    unsigned push(const std::u16string& line);
    // Takes the front line, waiting up to `timeout` for one; nothing when none came or when
    // wake() was called.
    std::optional<std::u16string> take(std::chrono::milliseconds timeout);
    // Ends a wait in take() now (used at shut-down).
    void wake();
    void clear();
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::u16string> lines_;
    bool woken_ = false;
};
