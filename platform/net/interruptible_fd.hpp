#pragma once
// A descriptor that blocking operations wait on with poll() and that close() can end from any
// thread. Each operation holds a Use while it touches the descriptor. close() wakes every waiter
// through an eventfd and releases the descriptor only when no Use is left, so the number is never
// closed (and handed out again by the next open) under a thread that is still using it.
//
// The operations built on it never block inside the kernel except in Use::wait: the descriptor
// is non-blocking and each read or write is preceded by a wait. That is what makes close() prompt.
//
// Thread-safety: every member may be called from any thread at any time. The object must outlive
// the calls made on it; its destructor closes and then waits for operations still in flight
// (which the wake-up ends promptly).

#include "platform/status.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class InterruptibleFd {
public:
    // The right to use the descriptor for the duration of one operation.
    class Use {
    public:
        Use(Use&& other) noexcept;
        Use& operator=(Use&&) = delete;
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        ~Use();

        int fd() const { return fd_; }

        // Waits until the descriptor reports one of `events`, or an error or hang-up condition,
        // for at most timeout_ms (negative: no limit). Returns the events reported; Errc::timeout
        // when the time ran out; Errc::closed when close() was called.
        Result<short> wait(short events, int timeout_ms) const;

    private:
        friend class InterruptibleFd;
        Use(InterruptibleFd* owner, int fd, int wake_fd) : owner_(owner), fd_(fd), wake_fd_(wake_fd) {}

        InterruptibleFd* owner_;
        int fd_;
        int wake_fd_;
    };

    InterruptibleFd() = default;
    InterruptibleFd(const InterruptibleFd&) = delete;
    InterruptibleFd& operator=(const InterruptibleFd&) = delete;
    ~InterruptibleFd();

    // Takes ownership of fd, which should be non-blocking. On failure fd is closed. Fails with
    // Errc::exists while a descriptor is held (or still being released).
    Status adopt(int fd, const char* what);

    bool is_open() const;

    // Errc::closed when there is no descriptor or close() has begun.
    Result<Use> use();

    // Ends the waits in progress and refuses new uses. The descriptor is released at once when
    // nothing is in flight, else as soon as the last operation leaves; close() waits a bounded
    // time (drain_wait) for that so that, in practice, the descriptor is gone when it returns.
    // The default is long enough for any operation to notice the wake-up and return, short
    // enough that a caller is not held up noticeably if one does not.
    void close(std::chrono::milliseconds drain_wait = std::chrono::seconds(2));

private:
    void leave();
    void release_locked();

    mutable std::mutex mutex_;
    std::condition_variable drained_;
    int fd_ = -1;
    int wake_fd_ = -1;
    int in_flight_ = 0;
    bool closing_ = false;
};

}  // namespace platform
