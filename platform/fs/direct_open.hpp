#pragma once
// Opening a file for unbuffered transfers: O_DIRECT where the file system accepts it, ordinary
// buffered I/O where open() refuses O_DIRECT with EINVAL (older tmpfs, ramfs, character devices).
// Any other failure is reported, never answered by a fallback.

#include "platform/fs/file.hpp"
#include "platform/status.hpp"

#include <string>

namespace platform::fs_detail {

struct DirectOpen {
    File file;
    bool direct = false;
};

// `flags` are the open() flags without O_DIRECT and O_CLOEXEC.
Result<DirectOpen> open_preferring_direct(std::string path, int flags);

}  // namespace platform::fs_detail
