#pragma once
// Copying one file's contents between POSIX paths, shared by copy_file() and by a move that
// crosses file systems. The copy keeps the permission bits and the modification time of the
// source; a copy that fails part way removes what it wrote.

#include "platform/status.hpp"

#include <string>

namespace platform::fs_detail {

// `overwrite` false: Errc::exists when `to` is already there. Copying a file onto itself is
// refused (Errc::invalid_argument) rather than truncating it.
Status copy_file_contents(const std::string& from, const std::string& to, bool overwrite);

}  // namespace platform::fs_detail
