#pragma once
// find_files: the entries of one folder whose names match a pattern with * and ? in the last
// component of a Windows path ("D:\TamrelData\Record\*.iqw"), as a directory search on Windows
// lists them. Matching ignores the case of ASCII letters, as there; the names returned are the
// names on disk, which are case-sensitive here. "*.*" matches every name, with or without a dot.
//
// "." and ".." are never listed. A name starting with "." is reported hidden. Entries come sorted
// by name (UTF-16 unit order) so that every listing of the same folder is the same. A folder
// without matches gives an empty list; a missing folder gives Errc::not_found.
//
// Thread-safety: a free function; safe from any thread (the table is thread-safe).

#include "platform/fs/drive_table.hpp"
#include "platform/status.hpp"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct FindEntry {
    std::u16string name;
    bool directory = false;
    bool hidden = false;
    std::uint64_t size = 0;  // 0 for folders
    std::chrono::system_clock::time_point modified;
};

bool matches_wildcard(std::u16string_view pattern, std::u16string_view name);

Result<std::vector<FindEntry>> find_files(const DriveTable& drives, std::u16string_view pattern_path);

}  // namespace platform
