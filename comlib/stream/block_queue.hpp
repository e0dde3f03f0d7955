#pragma once
// BlockQueue: the hand-over of full 1 MiB blocks of the sample ring from the push thread to the
// pop thread. It holds block addresses only, in arrival order, at most `capacity` of them (the
// ring's block count), so the push thread can never overwrite a block the pop thread has not
// finished: it appends only while there is room.
//
// The pop thread reads the front, works on the block without the lock, then removes the front.
// Waiting for an element or for room is bounded and ends early on wake(), so a data thread that
// polls its run flag between waits never sleeps through a stop, and nothing spins.
//
// The storage is fixed at construction: nothing is allocated while blocks flow.
//
// Thread-safety: every member may be called from any thread; one producer and one consumer is
// the intended use. clear() is for when neither data thread runs.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class BlockQueue {
public:
    explicit BlockQueue(std::size_t capacity);

    std::size_t capacity() const { return slots_.size(); }
    std::size_t size() const;
    // Appends `block`; false (nothing changed) when the queue is full.
    bool push(std::uint8_t* block);
    // The oldest block, or null when the queue is empty.
    std::uint8_t* front() const;
    // Removes the oldest block (nothing when empty).
    void pop_front();
    void clear();

    // Wait up to `limit` for an element / for room; true when there is one.
    bool wait_for_item(std::chrono::milliseconds limit);
    bool wait_for_space(std::chrono::milliseconds limit);
    // Ends the current waits at once (they report what they see).
    void wake();

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint8_t*> slots_;
    std::size_t head_ = 0;   // index of the oldest element
    std::size_t count_ = 0;
    std::uint64_t wakes_ = 0;  // bumped by wake(), so a waiter can tell it was woken
};
