#include "platform/fs/drive_table.hpp"

#include "platform/fs/file.hpp"
#include "platform/fs/fs_error.hpp"
#include "platform/fs/path_names.hpp"
#include "platform/text/utf.hpp"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <atomic>
#include <charconv>
#include <mutex>
#include <optional>

namespace platform {

namespace {

std::optional<int> letter_index(char16_t letter) {
    if (letter >= u'A' && letter <= u'Z') return letter - u'A';
    if (letter >= u'a' && letter <= u'z') return letter - u'a';
    return std::nullopt;
}

Status bad_letter(char16_t letter) {
    return {Errc::invalid_argument, "drive letter \"" + to_utf8(std::u16string_view(&letter, 1)) + "\""};
}

bool is_folder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "TOTAL FREE" with spaces or tabs around and between, an optional line end, nothing else.
std::optional<DriveSpace> parse_capacity(std::string_view text) {
    std::size_t pos = 0;
    const auto skip_blanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    };
    const auto number = [&]() -> std::optional<std::uint64_t> {
        skip_blanks();
        std::uint64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value);
        if (ec != std::errc{}) return std::nullopt;
        pos = static_cast<std::size_t>(end - text.data());
        return value;
    };
    const auto total = number();
    if (!total || pos >= text.size() || (text[pos] != ' ' && text[pos] != '\t')) return std::nullopt;
    const auto free = number();
    if (!free) return std::nullopt;
    skip_blanks();
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    if (pos != text.size() || *free > *total) return std::nullopt;
    return DriveSpace{*total, *free};
}

// The declared capacity of a drive folder; an empty optional when the folder declares none.
Result<std::optional<DriveSpace>> read_capacity(const std::string& folder) {
    const std::string path = folder + "/" + DriveTable::capacity_file;
    auto file = File::open(path, FileMode::read);
    if (!file) {
        if (file.status().code() == Errc::not_found) return std::optional<DriveSpace>{};
        return file.status();
    }
    char text[256];
    auto n = file->read(text, sizeof text);
    if (!n) return n.status();
    if (Status s = file->close(); !s) return s;
    const auto space = *n == sizeof text ? std::nullopt : parse_capacity({text, *n});
    if (!space)
        return fs_detail::path_status(Errc::invalid_argument, "read capacity", path,
                                      "expected one line \"TOTAL FREE\" in bytes, free not above total");
    return std::optional<DriveSpace>{*space};
}

}  // namespace

std::string ResolvedPath::posix() const {
    std::string path = drive_folder;
    for (const auto& name : names) {
        path += '/';
        path += name;
    }
    return path;
}

DriveTable::DriveTable(std::string root) : root_(std::move(root)) {}

std::string DriveTable::root() const {
    std::shared_lock lock(mutex_);
    return root_;
}

void DriveTable::set_root(std::string root) {
    std::unique_lock lock(mutex_);
    root_ = std::move(root);
}

Status DriveTable::map(char16_t letter, std::string folder) {
    const auto index = letter_index(letter);
    if (!index) return bad_letter(letter);
    if (folder.empty()) return {Errc::invalid_argument, "drive folder is empty"};
    std::unique_lock lock(mutex_);
    mapped_[static_cast<std::size_t>(*index)] = std::move(folder);
    return ok_status();
}

Status DriveTable::unmap(char16_t letter) {
    const auto index = letter_index(letter);
    if (!index) return bad_letter(letter);
    std::unique_lock lock(mutex_);
    mapped_[static_cast<std::size_t>(*index)].clear();
    return ok_status();
}

std::string DriveTable::folder_locked(int index) const {
    const auto& mapped = mapped_[static_cast<std::size_t>(index)];
    if (!mapped.empty()) return mapped;
    std::string path = root_;
    if (path.empty() || path.back() != '/') path += '/';
    path += static_cast<char>('A' + index);
    return path;
}

Result<std::string> DriveTable::folder(char16_t letter) const {
    const auto index = letter_index(letter);
    if (!index) return bad_letter(letter);
    std::shared_lock lock(mutex_);
    return folder_locked(*index);
}

bool DriveTable::present(char16_t letter) const {
    auto path = folder(letter);
    return path && is_folder(*path);
}

std::uint32_t DriveTable::drive_mask() const {
    std::uint32_t mask = 0;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        if (present(letter)) mask |= 1u << (letter - u'A');
    }
    return mask;
}

Result<DriveSpace> DriveTable::space(char16_t letter) const {
    auto path = folder(letter);
    if (!path) return path.status();
    if (!is_folder(*path))
        return fs_detail::path_status(Errc::no_drive, "drive space", *path, "drive folder missing");
    auto declared = read_capacity(*path);
    if (!declared) return declared.status();
    if (declared->has_value()) return **declared;
    struct statvfs vfs {};
    if (::statvfs(path->c_str(), &vfs) != 0) return fs_detail::errno_status(errno, "drive space", *path);
    return DriveSpace{static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize,
                      static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize};
}

Result<ResolvedPath> DriveTable::resolve_parts(std::u16string_view windows_path) const {
    const std::string shown = to_utf8(windows_path);
    const auto refuse = [&](Errc code, const char* why) {
        return Status(code, "path \"" + shown + "\": " + why);
    };
    if (windows_path.find(u'\0') != std::u16string_view::npos) return refuse(Errc::invalid_path, "contains NUL");
    if (windows_path.size() < 2 || windows_path[1] != u':' || !letter_index(windows_path[0]))
        return refuse(Errc::invalid_path, "no drive letter");
    const std::u16string_view rest = windows_path.substr(2);
    if (!rest.empty() && !is_path_separator(rest.front()))
        return refuse(Errc::invalid_path, "relative to a drive's current folder");

    ResolvedPath out;
    out.letter = static_cast<char>('A' + *letter_index(windows_path[0]));
    std::size_t pos = 0;
    while (pos < rest.size()) {
        while (pos < rest.size() && is_path_separator(rest[pos])) ++pos;
        std::size_t end = pos;
        while (end < rest.size() && !is_path_separator(rest[end])) ++end;
        const std::u16string_view name = rest.substr(pos, end - pos);
        pos = end;
        if (name.empty() || name == u".") continue;
        if (name == u"..") {
            if (out.names.empty()) return refuse(Errc::escapes_root, "\"..\" above the drive root");
            out.names.pop_back();
            continue;
        }
        for (const char16_t c : name) {
            if (is_forbidden_in_name(c)) return refuse(Errc::invalid_path, "character not allowed in names");
        }
        out.names.push_back(to_utf8(name));
    }
    auto drive = folder(windows_path[0]);
    if (!drive) return drive.status();
    if (!is_folder(*drive)) return refuse(Errc::no_drive, "drive not present");
    out.drive_folder = std::move(*drive);
    return out;
}

Result<std::string> DriveTable::resolve(std::u16string_view windows_path) const {
    auto parts = resolve_parts(windows_path);
    if (!parts) return parts.status();
    return parts->posix();
}

DriveTable& process_drives() {
    static DriveTable table;
    return table;
}

Status set_process_drives_root(std::string root) {
    static std::atomic<bool> set{false};
    if (set.exchange(true))
        return {Errc::exists, "the drives root of the process was already set (to \"" +
                                  process_drives().root() + "\")"};
    process_drives().set_root(std::move(root));
    return ok_status();
}

}  // namespace platform
