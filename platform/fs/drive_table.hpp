#pragma once
// DriveTable: where the system's drive letters live on this machine. Drive X is the folder
// <root>/X (upper-case letter), unless the table maps X to some other folder. A drive is present
// when its folder exists. Windows paths ("D:\TamrelData\Record\x.iqw", either separator) become
// POSIX paths only here, and only inside a drive folder: resolve() refuses what has no drive
// letter, names a missing drive, climbs above the drive root with "..", or holds characters
// Windows forbids. Resolution is lexical; the folders under the drives are the system's own.
//
// A drive folder may declare a simulated capacity in a file ".capacity" holding one line
// "TOTAL FREE" (two decimal byte counts); space() then reports those figures, re-reading the file
// at every query, instead of the figures of the file system.
//
// Thread-safety: every member may be called from any thread; changes of the root or of a
// mapping are serialised against lookups.

#include "platform/status.hpp"

#include <array>
#include <cstdint>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DriveSpace {
    std::uint64_t total_bytes = 0;
    std::uint64_t free_bytes = 0;
};

// A resolved Windows path: the drive folder and the names below it ("." and ".." already
// applied). Operations that must not follow links walk `names` one by one from `drive_folder`.
struct ResolvedPath {
    char letter = 'A';
    std::string drive_folder;
    std::vector<std::string> names;  // UTF-8, each a checked bare name

    bool is_drive_root() const { return names.empty(); }
    std::string posix() const;
};

class DriveTable {
public:
    static constexpr const char* default_root = "./drives";
    static constexpr const char* capacity_file = ".capacity";

    explicit DriveTable(std::string root = default_root);
    DriveTable(const DriveTable&) = delete;
    DriveTable& operator=(const DriveTable&) = delete;

    std::string root() const;
    void set_root(std::string root);

    // Maps a letter (either case) to a folder; Errc::invalid_argument for a non-letter.
    Status map(char16_t letter, std::string folder);
    // Back to <root>/X.
    Status unmap(char16_t letter);

    // The folder of a drive, present or not.
    Result<std::string> folder(char16_t letter) const;
    bool present(char16_t letter) const;
    // Bit n set when drive 'A'+n is present.
    std::uint32_t drive_mask() const;
    Result<DriveSpace> space(char16_t letter) const;

    Result<ResolvedPath> resolve_parts(std::u16string_view windows_path) const;
    Result<std::string> resolve(std::u16string_view windows_path) const;

private:
    std::string folder_locked(int index) const;

    mutable std::shared_mutex mutex_;
    std::string root_;
    std::array<std::string, 26> mapped_;  // empty: <root>/X
};

// The drives of the process. The host sets the root once at start, before any thread uses it.
DriveTable& process_drives();
// Sets the root of process_drives(); a second call fails with Errc::exists and changes nothing.
Status set_process_drives_root(std::string root);

}  // namespace platform
