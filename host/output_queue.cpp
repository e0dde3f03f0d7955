#include "host/output_queue.hpp"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

OutputQueue::OutputQueue() : event_fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

OutputQueue::~OutputQueue() {
    if (event_fd_ >= 0) ::close(event_fd_);
}

void OutputQueue::push(std::string line) {
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    const std::uint64_t one = 1;
    // The counter only needs to be non-zero; a full counter (EAGAIN) still wakes the loop.
    (void)!::write(event_fd_, &one, sizeof one);
}

std::deque<std::string> OutputQueue::take_all() {
    std::uint64_t count = 0;
    (void)!::read(event_fd_, &count, sizeof count);  // EAGAIN when nothing was signalled
    std::lock_guard lock(mutex_);
    std::deque<std::string> lines;
    lines.swap(lines_);
    return lines;
}
