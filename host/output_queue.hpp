#pragma once
// OutputQueue: lines the session's threads hand to the host for printing. Producers never wait
// (the session blocks in its window messages until they return, so printing must not be done
// there); the host's main loop is woken through an eventfd and prints in order.
//
// Thread-safety: push() from any thread; take_all() and fd() from the main loop.

#include <deque>
#include <mutex>
#include <string>

class OutputQueue {
public:
    OutputQueue();
    ~OutputQueue();
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    bool ok() const { return event_fd_ >= 0; }
    void push(std::string line);
    // Every line waiting, in order; clears the wake-up.
    std::deque<std::string> take_all();
    // Readable while lines wait.
    int fd() const { return event_fd_; }

private:
    std::mutex mutex_;
    std::deque<std::string> lines_;
    int event_fd_ = -1;
};
