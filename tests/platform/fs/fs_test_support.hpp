#pragma once
// Helpers for the file-system tests: private temporary folders, file-system type checks and raw
// byte access that does not go through the code under test.

#include "platform/status.hpp"

#include <optional>
#include <ostream>
#include <string>

namespace platform {
// Lets GoogleTest print codes by name in failure messages.
inline void PrintTo(Errc code, std::ostream* os) { *os << errc_name(code); }
}  // namespace platform

namespace fs_test {

// A folder made with mkdtemp under `parent`, removed with its contents at the end of the test.
class TempDir {
public:
    explicit TempDir(const std::string& parent = default_parent());
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // $TMPDIR, else /tmp.
    static std::string default_parent();

private:
    std::string path_;
};

bool is_tmpfs(const std::string& path);
// True when a new file in `folder` can be opened with O_DIRECT.
bool accepts_o_direct(const std::string& folder);
// True when opening the existing `path` with O_DIRECT and `flags` succeeds.
bool path_accepts_o_direct(const std::string& path, int flags);
// A folder on a real (non-tmpfs) file system that accepts O_DIRECT, if the machine has one:
// $TMPDIR, /tmp, /var/tmp or the working folder.
std::optional<std::string> direct_capable_parent();

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);
void make_folder(const std::string& path);
bool path_exists(const std::string& path);

}  // namespace fs_test
