#include "platform/fs/file_ops.hpp"

#include "platform/fs/file_copy.hpp"
#include "platform/fs/fs_error.hpp"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

using fs_detail::errno_status;
using fs_detail::path_status;

namespace {

constexpr mode_t folder_permissions = 0755;

Result<struct stat> lstat_path(const std::string& path, const char* op) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno_status(errno, op, path);
    return st;
}

// rename without replacing: atomic where the file system offers RENAME_NOREPLACE, else a check
// followed by the rename.
int rename_no_replace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

Status move_across_file_systems(const std::string& from, const std::string& to, bool overwrite) {
    auto st = lstat_path(from, "move");
    if (!st) return st.status();
    if (S_ISDIR(st->st_mode))
        return path_status(Errc::unsupported, "move", from, "a folder cannot be moved to another file system");
    if (Status s = fs_detail::copy_file_contents(from, to, overwrite); !s) return s;
    if (::unlink(from.c_str()) != 0) return errno_status(errno, "move (delete the source after copying)", from);
    return ok_status();
}

}  // namespace

Status create_folder(const DriveTable& drives, std::u16string_view path) {
    auto target = drives.resolve(path);
    if (!target) return target.status();
    if (::mkdir(target->c_str(), folder_permissions) != 0) return errno_status(errno, "create folder", *target);
    return ok_status();
}

Status create_folders(const DriveTable& drives, std::u16string_view path) {
    auto parts = drives.resolve_parts(path);
    if (!parts) return parts.status();
    std::string walked = parts->drive_folder;
    for (const auto& name : parts->names) {
        walked += "/" + name;
        if (::mkdir(walked.c_str(), folder_permissions) == 0) continue;
        const int err = errno;
        struct stat st {};
        if (err == EEXIST && ::stat(walked.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        if (err == EEXIST) return path_status(Errc::exists, "create folder", walked, "a file has that name");
        return errno_status(err, "create folder", walked);
    }
    return ok_status();
}

Status delete_file(const DriveTable& drives, std::u16string_view path) {
    auto target = drives.resolve(path);
    if (!target) return target.status();
    auto st = lstat_path(*target, "delete file");
    if (!st) return st.status();
    if (S_ISDIR(st->st_mode)) return path_status(Errc::access_denied, "delete file", *target, "is a folder");
    if (::unlink(target->c_str()) != 0) return errno_status(errno, "delete file", *target);
    return ok_status();
}

Status move_path(const DriveTable& drives, std::u16string_view from, std::u16string_view to, Overwrite overwrite) {
    auto source = drives.resolve_parts(from);
    if (!source) return source.status();
    auto target = drives.resolve_parts(to);
    if (!target) return target.status();
    const std::string src = source->posix();
    const std::string dst = target->posix();
    if (source->is_drive_root()) return path_status(Errc::access_denied, "move", src, "is a drive root");
    if (target->is_drive_root()) return path_status(Errc::access_denied, "move", dst, "is a drive root");
    const bool replace = overwrite == Overwrite::yes;
    const int rc = replace ? ::rename(src.c_str(), dst.c_str()) : rename_no_replace(src, dst);
    if (rc == 0) return ok_status();
    if (errno == EXDEV) return move_across_file_systems(src, dst, replace);
    return errno_status(errno, "move \"" + src + "\" to", dst);
}

Status copy_file(const DriveTable& drives, std::u16string_view from, std::u16string_view to, Overwrite overwrite) {
    auto source = drives.resolve(from);
    if (!source) return source.status();
    auto target = drives.resolve(to);
    if (!target) return target.status();
    return fs_detail::copy_file_contents(*source, *target, overwrite == Overwrite::yes);
}

Result<bool> exists(const DriveTable& drives, std::u16string_view path) {
    auto target = drives.resolve(path);
    if (!target) return target.status();
    struct stat st {};
    if (::stat(target->c_str(), &st) == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR) return false;
    return errno_status(errno, "check", *target);
}

Result<bool> is_directory(const DriveTable& drives, std::u16string_view path) {
    auto target = drives.resolve(path);
    if (!target) return target.status();
    struct stat st {};
    if (::stat(target->c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return false;
    return errno_status(errno, "check", *target);
}

}  // namespace platform
