#pragma once
// The client's commands: each runs one exchange with the instrument and prints what comes back.
//
// Thread-safety: run from the main thread only (a command may start a keep-alive thread of its
// own, which it stops before returning).

#include <ostream>

#include "tools/remote/options.hpp"

namespace tamrel::remote {

// Exit statuses of the client.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoAnswer = 1;  // no answer within the timeout, or a refusal
inline constexpr int kExitUsage = 2;

// Runs options.command; `out` gets the decoded packets and results, `err` the failures.
int run_command(const RemoteOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tamrel::remote
