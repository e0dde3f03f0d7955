#pragma once
// Key-by-key input without echo on a terminal: canonical mode and echo are switched off while
// the shell runs, and the saved settings are put back at exit, on SIGINT and on SIGTERM. On a
// pipe nothing is changed.
//
// Thread-safety: enter and restore are called from the shell thread; the signal handler only
// calls tcsetattr, which is async-signal-safe.

namespace boarddiag {

// Switches standard input to key mode when it is a terminal. False when a terminal refused.
bool enter_key_mode();
// Puts the saved terminal settings back (does nothing when none were changed).
void restore_terminal();

}  // namespace boarddiag
