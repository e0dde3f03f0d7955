#include "fs_test_support.hpp"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs_test {

TempDir::TempDir(const std::string& parent) {
    std::string pattern = parent + "/tamrel-fs-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::default_parent() {
    const char* tmpdir = std::getenv("TMPDIR");
    return tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
}

bool is_tmpfs(const std::string& path) {
    struct statfs st {};
    return ::statfs(path.c_str(), &st) == 0 && st.f_type == TMPFS_MAGIC;
}

bool path_accepts_o_direct(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_DIRECT | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool accepts_o_direct(const std::string& folder) {
    const std::string probe = folder + "/.o_direct_probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::optional<std::string> direct_capable_parent() {
    std::vector<std::string> candidates;
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0') candidates.emplace_back(tmpdir);
    candidates.emplace_back("/tmp");
    candidates.emplace_back("/var/tmp");
    candidates.emplace_back(std::filesystem::current_path().string());
    for (const auto& candidate : candidates) {
        if (is_tmpfs(candidate)) continue;
        TempDir probe(candidate);
        if (probe.ok() && accepts_o_direct(probe.path())) return candidate;
    }
    return std::nullopt;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("test setup: cannot write " + path);
}

void make_folder(const std::string& path) {
    std::filesystem::create_directories(path);
}

bool path_exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace fs_test
