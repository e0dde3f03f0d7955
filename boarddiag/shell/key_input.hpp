#pragma once
// Waiting for one key on standard input, for a bounded time.

namespace boarddiag {

enum class KeyWait { key, none, end };

// `key` when a key was read into `key`, `none` when none came within `timeout_ms`, `end` at the
// end of input (or when standard input failed).
KeyWait wait_for_key(int timeout_ms, unsigned char& key);

}  // namespace boarddiag
