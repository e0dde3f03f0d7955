#pragma once
// SIGINT and SIGTERM end the client's long-running commands: the handler only raises a flag,
// and every wait of the client runs in slices short enough to notice it promptly.
//
// Thread-safety: the flag is a lock-free atomic; read it from any thread.

namespace tamrel::remote {

// Installs the handlers (once, at start-up). False when sigaction failed.
bool install_interrupt_handlers();
bool interrupted();

}  // namespace tamrel::remote
