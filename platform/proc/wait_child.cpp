#include "platform/proc/child_process.hpp"

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <csignal>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace platform::proc_detail {

namespace {

using Clock = std::chrono::steady_clock;

// The child is not reaped until reap() below, so its pid cannot have been given to another
// process: killing by pid is safe.
void kill_child(pid_t pid) { (void)::kill(pid, SIGKILL); }

Result<ProcessOutcome> reap(pid_t pid, bool timed_out) {
    int status = 0;
    pid_t done = 0;
    do {
        done = ::waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done < 0) return Status::from_errno(errno, "collect the exit status of process " + std::to_string(pid));
    ProcessOutcome outcome;
    outcome.timed_out = timed_out;
    if (WIFSIGNALED(status)) {
        outcome.terminated_by_signal = true;
        outcome.signal = WTERMSIG(status);
        outcome.exit_code = -1;
    } else {
        outcome.exit_code = WEXITSTATUS(status);
    }
    return outcome;
}

// Waits on a pidfd with poll(): no thread and no SIGCHLD handler needed.
Result<ProcessOutcome> wait_with_pidfd(pid_t pid, int pidfd, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd exited{pidfd, POLLIN, 0};
        const int n = ::poll(&exited, 1, left > 0 ? static_cast<int>(left) : 0);
        if (n > 0) break;
        if (n == 0 && left <= 0) {
            kill_child(pid);
            ::close(pidfd);
            return reap(pid, true);
        }
        if (n < 0 && errno != EINTR) {
            const int err = errno;
            // No way left to wait within the limit: do not leave the child running.
            kill_child(pid);
            ::close(pidfd);
            (void)reap(pid, true);
            return Status::from_errno(err, "wait for process " + std::to_string(pid));
        }
    }
    ::close(pidfd);
    return reap(pid, false);
}

// For kernels without pidfd_open: a thread blocks in waitid() without reaping (WNOWAIT), so
// that until this function reaps, the pid stays the child's and the kill on time-out cannot
// hit a stranger.
Result<ProcessOutcome> wait_with_thread(pid_t pid, int timeout_ms) {
    std::mutex mutex;
    std::condition_variable changed;
    bool exited = false;
    std::thread waiter;
    try {
        waiter = std::thread([&] {
            siginfo_t info{};
            int rc = 0;
            do {
                rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
            } while (rc < 0 && errno == EINTR);
            // On failure (the child is not ours to wait for) reap() below reports it.
            std::lock_guard lock(mutex);
            exited = true;
            changed.notify_all();
        });
    } catch (const std::system_error& error) {
        kill_child(pid);
        (void)reap(pid, true);
        return Status(Errc::io_error, std::string("start a thread to wait for a process: ") + error.what());
    }
    bool timed_out = false;
    {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return exited; })) {
            timed_out = true;
            kill_child(pid);
        }
    }
    // Returns promptly: the child has exited or has just been sent SIGKILL.
    waiter.join();
    return reap(pid, timed_out);
}

}  // namespace

Result<ProcessOutcome> wait_child(pid_t pid, int timeout_ms, WaitMethod method) {
    if (method != WaitMethod::waiter_thread) {
        const long pidfd = ::syscall(SYS_pidfd_open, pid, 0);
        if (pidfd >= 0) return wait_with_pidfd(pid, static_cast<int>(pidfd), timeout_ms);
        if (method == WaitMethod::pidfd) {
            return Status(Errc::unsupported, "pidfd_open: " + std::string(std::strerror(errno)), errno);
        }
    }
    return wait_with_thread(pid, timeout_ms);
}

}  // namespace platform::proc_detail
