#pragma once
// Operations on files and folders named by Windows paths. Every path goes through
// DriveTable::resolve(), so a path with no drive, a missing drive, a ".." above the drive root or
// a forbidden character is refused before anything on disk is touched.
//
// Thread-safety: free functions; safe from any thread (the table is thread-safe). Two threads
// working on the same files see the usual file-system races.

#include "platform/fs/drive_table.hpp"
#include "platform/status.hpp"

#include <string_view>

namespace platform {

enum class Overwrite { no, yes };

// One folder; its parent must exist. Errc::exists when the name is taken.
Status create_folder(const DriveTable& drives, std::u16string_view path);
// The folder and every missing parent; a folder already there is fine.
Status create_folders(const DriveTable& drives, std::u16string_view path);

// One file (or link); a folder is refused with Errc::access_denied.
Status delete_file(const DriveTable& drives, std::u16string_view path);

// Renames a file or folder. Onto another file system a file is copied and the source deleted;
// a folder there is Errc::unsupported. Without Overwrite::yes an existing target is
// Errc::exists. Drive roots cannot be moved or replaced.
Status move_path(const DriveTable& drives, std::u16string_view from, std::u16string_view to,
                 Overwrite overwrite = Overwrite::no);

// Copies a file, keeping its permission bits and modification time.
Status copy_file(const DriveTable& drives, std::u16string_view from, std::u16string_view to,
                 Overwrite overwrite = Overwrite::no);

// False when nothing is there; a Status only for refused paths and failures of the check itself.
Result<bool> exists(const DriveTable& drives, std::u16string_view path);
Result<bool> is_directory(const DriveTable& drives, std::u16string_view path);

}  // namespace platform
