#pragma once
// GpsLineQueue: GPS sentences handed from the push thread (which takes the receiver's newest
// sentence once per second of samples) to the pop thread (which writes one per gain line).
// It keeps at most `limit` sentences; when the pop side falls that far behind the oldest is
// dropped, since only the sentence of the current second matters to a recording.
//
// Thread-safety: every member may be called from any thread; each takes the queue's own lock
// and nothing else.

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

class GpsLineQueue {
public:
    static constexpr std::size_t kLimit = 64;

    std::size_t size() const;
    void push(std::u16string sentence);
    std::optional<std::u16string> take();
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<std::u16string> lines_;
};
