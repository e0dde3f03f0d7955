#pragma once
// Running an external command with a time limit, without a shell: the program is looked up on
// PATH (unless it contains a slash) and gets the arguments exactly as given.

#include "platform/status.hpp"

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ProcessOutcome {
    int exit_code = 0;                  // the exit status; -1 when a signal ended the process
    bool terminated_by_signal = false;
    int signal = 0;                     // the signal that ended it, when terminated_by_signal
    bool timed_out = false;             // the limit ran out and the process was killed (SIGKILL)
};

enum class ProcessOutput {
    inherit,  // standard output and error are this process's
    discard,  // both go to /dev/null
};

struct ProcessOptions {
    // Where the command runs; a relative program path with a slash is taken from there too.
    std::optional<std::string> working_directory;
    ProcessOutput output = ProcessOutput::inherit;
};

// Runs `program` with `args` (argv[0] is the program itself), standard input from /dev/null,
// and waits for it at most timeout_ms (which must be positive). On time-out the process is
// killed and reaped, so no zombie is left either way. Errc::not_found when the program or the
// working directory does not exist; a program that runs and fails is an outcome, not an error.
// Thread-safe; needs SIGCHLD not to be ignored and no one else reaping this process's children
// with waitpid(-1).
Result<ProcessOutcome> run_process(const std::string& program, const std::vector<std::string>& args,
                                   int timeout_ms, const ProcessOptions& options = {});

}  // namespace platform
