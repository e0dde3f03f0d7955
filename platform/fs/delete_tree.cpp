#include "platform/fs/delete_tree.hpp"

#include "platform/fs/fs_error.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

namespace platform {

using fs_detail::errno_status;
using fs_detail::path_status;

namespace {

// Windows paths are short; a tree this deep is not the system's and is not walked further.
constexpr int max_depth = 256;

constexpr int dir_flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

Status remove_at(int parent, const std::string& name, const std::string& path, int depth);

Status remove_folder_at(int parent, const std::string& name, const std::string& path, int depth) {
    if (depth > max_depth) return path_status(Errc::unsupported, "delete", path, "folder tree too deep");
    Fd fd(::openat(parent, name.c_str(), dir_flags));
    if (fd.get() < 0) return errno_status(errno, "delete (open folder)", path);
    DIR* dir = ::fdopendir(fd.get());
    if (dir == nullptr) return errno_status(errno, "delete (list folder)", path);
    fd.release();
    // The names are collected first: removing entries while reading the same listing may make it
    // skip or repeat entries.
    std::vector<std::string> children;
    Status listed;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0) listed = errno_status(errno, "delete (list folder)", path);
            break;
        }
        const std::string_view child = entry->d_name;
        if (child != "." && child != "..") children.emplace_back(child);
    }
    Status result = listed;
    for (const auto& child : children) {
        if (!result) break;
        result = remove_at(::dirfd(dir), child, path + "/" + child, depth + 1);
    }
    ::closedir(dir);
    if (!result) return result;
    if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) return errno_status(errno, "delete folder", path);
    return ok_status();
}

Status remove_at(int parent, const std::string& name, const std::string& path, int depth) {
    struct stat st {};
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno_status(errno, "delete", path);
    if (S_ISDIR(st.st_mode)) return remove_folder_at(parent, name, path, depth);
    if (::unlinkat(parent, name.c_str(), 0) != 0) return errno_status(errno, "delete", path);
    return ok_status();
}

}  // namespace

Status delete_tree(const DriveTable& drives, std::u16string_view windows_path) {
    auto parts = drives.resolve_parts(windows_path);
    if (!parts) return parts.status();
    const std::string target = parts->posix();
    if (parts->is_drive_root()) return path_status(Errc::access_denied, "delete", target, "is a drive root");

    Fd folder(::open(parts->drive_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) return errno_status(errno, "delete (open drive)", parts->drive_folder);
    std::string walked = parts->drive_folder;
    for (std::size_t i = 0; i + 1 < parts->names.size(); ++i) {
        const std::string& name = parts->names[i];
        walked += "/" + name;
        struct stat st {};
        if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno_status(errno, "delete", walked);
        if (S_ISLNK(st.st_mode))
            return path_status(Errc::access_denied, "delete", target, "the path goes through a symbolic link");
        Fd next(::openat(folder.get(), name.c_str(), dir_flags));
        if (next.get() < 0) return errno_status(errno, "delete", walked);
        folder = std::move(next);
    }
    return remove_at(folder.get(), parts->names.back(), target, 0);
}

}  // namespace platform
