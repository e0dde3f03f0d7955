#pragma once
// The two halves of run_process, apart so that each way of waiting can be exercised on its own.

#include "platform/proc/run_process.hpp"
#include "platform/status.hpp"

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform::proc_detail {

// Starts the program (see run_process) and returns its process id.
Result<pid_t> spawn_child(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options);

enum class WaitMethod {
    automatic,      // a pidfd when the kernel has pidfd_open, else the waiter thread
    pidfd,          // poll on a pidfd (fails with Errc::unsupported without pidfd_open)
    waiter_thread,  // a thread blocked in waitid, a condition variable for the time limit
};

// Waits for the child `pid` at most timeout_ms; on time-out kills it with SIGKILL. Always
// reaps it before returning, unless the pidfd method is unavailable (then nothing was done).
Result<ProcessOutcome> wait_child(pid_t pid, int timeout_ms, WaitMethod method);

}  // namespace platform::proc_detail
