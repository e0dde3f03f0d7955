#include "platform/fs/find_files.hpp"

#include "platform/fs/fs_error.hpp"
#include "platform/fs/path_names.hpp"
#include "platform/text/utf.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace platform {

namespace {

char16_t fold_ascii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::chrono::system_clock::time_point to_time_point(const struct timespec& ts) {
    const auto since_epoch = std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(since_epoch));
}

}  // namespace

bool matches_wildcard(std::u16string_view pattern, std::u16string_view name) {
    if (pattern == u"*.*") return true;
    // Greedy match with one backtrack point: the last '*' seen and where it started matching.
    std::size_t p = 0, n = 0;
    std::size_t star = std::u16string_view::npos, star_n = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            star_n = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || fold_ascii(pattern[p]) == fold_ascii(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

Result<std::vector<FindEntry>> find_files(const DriveTable& drives, std::u16string_view pattern_path) {
    const auto refuse = [&](const char* why) {
        return Status(Errc::invalid_path, "search \"" + to_utf8(pattern_path) + "\": " + why);
    };
    std::size_t last_sep = std::u16string_view::npos;
    for (std::size_t i = 2; i < pattern_path.size(); ++i) {
        if (is_path_separator(pattern_path[i])) last_sep = i;
    }
    if (pattern_path.size() < 3 || last_sep == std::u16string_view::npos) {
        // Lets resolve() name the fault of a path without a drive; the rest lacks a pattern.
        auto resolved = drives.resolve(pattern_path);
        if (!resolved) return resolved.status();
        return refuse("no name pattern");
    }
    const std::u16string_view pattern = pattern_path.substr(last_sep + 1);
    if (pattern.empty() || pattern == u"." || pattern == u"..") return refuse("no name pattern");
    for (const char16_t c : pattern) {
        if (c != u'*' && c != u'?' && (is_forbidden_in_name(c) || c == 0))
            return refuse("character not allowed in names");
    }
    auto folder = drives.resolve(pattern_path.substr(0, last_sep + 1));
    if (!folder) return folder.status();

    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder->c_str()));
    if (!dir) return fs_detail::errno_status(errno, "search", *folder);
    std::vector<FindEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) return fs_detail::errno_status(errno, "search", *folder);
            break;
        }
        const std::string_view raw = entry->d_name;
        if (raw == "." || raw == "..") continue;
        std::u16string name = from_utf8(raw);
        if (!matches_wildcard(pattern, name)) continue;
        struct stat st {};
        // A link reports what it points to; a dangling one reports itself.
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, 0) != 0 &&
            ::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;  // removed while listing
            return fs_detail::errno_status(errno, "search", *folder + "/" + entry->d_name);
        }
        FindEntry found;
        found.directory = S_ISDIR(st.st_mode);
        found.hidden = raw.front() == '.';
        found.size = found.directory ? 0 : static_cast<std::uint64_t>(st.st_size);
        found.modified = to_time_point(st.st_mtim);
        found.name = std::move(name);
        entries.push_back(std::move(found));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FindEntry& a, const FindEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace platform
