#include "platform/net/interruptible_fd.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace platform {

namespace {

void close_quietly(int fd) {
    if (fd >= 0) {
        // Linux releases the descriptor even when close reports EINTR; retrying could close a
        // number another thread has just been given.
        (void)::close(fd);
    }
}

}  // namespace

InterruptibleFd::Use::Use(Use&& other) noexcept
    : owner_(other.owner_), fd_(other.fd_), wake_fd_(other.wake_fd_) {
    other.owner_ = nullptr;
    other.fd_ = -1;
    other.wake_fd_ = -1;
}

InterruptibleFd::Use::~Use() {
    if (owner_ != nullptr) owner_->leave();
}

Result<short> InterruptibleFd::Use::wait(short events, int timeout_ms) const {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    for (;;) {
        int wait_ms = -1;
        if (timeout_ms >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd fds[2] = {{fd_, events, 0}, {wake_fd_, POLLIN, 0}};
        const int n = ::poll(fds, 2, wait_ms);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Status::from_errno(errno, "poll");
        }
        // The wake-up wins over a ready descriptor: once close() has begun, nothing more is done.
        if (fds[1].revents != 0) return Status(Errc::closed, "closed while waiting");
        if (fds[0].revents != 0) return fds[0].revents;
        if (n == 0 && wait_ms >= 0 && Clock::now() >= deadline) {
            return Status(Errc::timeout, "no event within the time limit");
        }
    }
}

InterruptibleFd::~InterruptibleFd() {
    close();
    std::unique_lock lock(mutex_);
    drained_.wait(lock, [this] { return in_flight_ == 0 && fd_ < 0; });
}

Status InterruptibleFd::adopt(int fd, const char* what) {
    if (fd < 0) return Status(Errc::invalid_argument, std::string(what) + ": no descriptor");
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) {
        close_quietly(fd);
        return Status(Errc::exists, std::string(what) + ": already open");
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        const int err = errno;
        close_quietly(fd);
        return Status::from_errno(err, std::string(what) + ": eventfd");
    }
    fd_ = fd;
    wake_fd_ = wake;
    closing_ = false;
    return ok_status();
}

bool InterruptibleFd::is_open() const {
    std::lock_guard lock(mutex_);
    return fd_ >= 0 && !closing_;
}

Result<InterruptibleFd::Use> InterruptibleFd::use() {
    std::lock_guard lock(mutex_);
    if (fd_ < 0 || closing_) return Status(Errc::closed, "not open");
    ++in_flight_;
    return Use(this, fd_, wake_fd_);
}

void InterruptibleFd::close(std::chrono::milliseconds drain_wait) {
    std::unique_lock lock(mutex_);
    if (fd_ < 0 || closing_) return;
    closing_ = true;
    // The counter is never read back: the eventfd stays readable, so every wait that is in
    // progress or still to come in an operation already admitted returns at once.
    const std::uint64_t one = 1;
    ssize_t written = 0;
    do {
        written = ::write(wake_fd_, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
    // A failed write (only possible if the counter overflowed, which one write per close cannot
    // do) would leave waiters to their time limits; the release below is still safe.
    if (drained_.wait_for(lock, drain_wait, [this] { return in_flight_ == 0; })) {
        release_locked();
    }
}

void InterruptibleFd::leave() {
    std::lock_guard lock(mutex_);
    --in_flight_;
    if (in_flight_ == 0) {
        if (closing_ && fd_ >= 0) release_locked();
        drained_.notify_all();
    }
}

void InterruptibleFd::release_locked() {
    close_quietly(fd_);
    close_quietly(wake_fd_);
    fd_ = -1;
    wake_fd_ = -1;
    closing_ = false;
    drained_.notify_all();
}

}  // namespace platform
