#pragma once
// delete_tree: removes a file, or a folder with everything in it, named by a Windows path, as
// the shell's delete does. Confined to the drive: a drive root itself is refused
// (Errc::access_denied), paths are resolved by the DriveTable, the way down to the target is
// walked without following symbolic links (a link on the way is refused), and inside the tree a
// link is removed as a link, never followed. The first failure stops the removal and is returned;
// what was removed before it stays removed.
//
// Thread-safety: a free function; safe from any thread.

#include "platform/fs/drive_table.hpp"
#include "platform/status.hpp"

#include <string_view>

namespace platform {

Status delete_tree(const DriveTable& drives, std::u16string_view windows_path);

}  // namespace platform
