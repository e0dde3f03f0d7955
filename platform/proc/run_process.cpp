#include "platform/proc/run_process.hpp"

#include "platform/proc/child_process.hpp"

namespace platform {

Result<ProcessOutcome> run_process(const std::string& program, const std::vector<std::string>& args,
                                   int timeout_ms, const ProcessOptions& options) {
    if (timeout_ms <= 0) return Status(Errc::invalid_argument, "a command needs a positive time limit");
    const auto pid = proc_detail::spawn_child(program, args, options);
    if (!pid) return pid.status();
    return proc_detail::wait_child(*pid, timeout_ms, proc_detail::WaitMethod::automatic);
}

}  // namespace platform
