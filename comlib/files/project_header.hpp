#pragma once
// Reading line 1 of a project file into a file record. The line is a list of key,value pairs
// (file_keys.hpp); the parse takes what it can check and says whether the file can be offered
// for play: true only when each of the six header keys was present with an acceptable value.
// The rules, and what a refused file looks like, are in docs/formats.md.
//
// Thread-safety: free functions; safe from any thread (the drive table is thread-safe). The
// record belongs to the caller.

#include <cstdint>
#include <string>

#include "comlib/files/file_info.hpp"
#include "platform/fs/drive_table.hpp"

// The values a header may carry, both ends included.
struct HeaderRanges {
    std::uint32_t iq_rate_min = 1'000;
    std::uint32_t iq_rate_max = 70'000'000;
    std::uint32_t centre_min = 100'000;
    std::uint32_t centre_max = 2'700'000'000U;
};

// Parses line 1 of the project file at `project_path` (Windows form, resolved through `drives`)
// into `out`, with `tag` stored as given. On false, `out` holds what was read before the parse
// ended and describes nothing playable.
bool parse_project_header(const platform::DriveTable& drives, std::uint32_t tag,
                          const std::u16string& project_path, const HeaderRanges& ranges,
                          _TmFileInfo_t& out);

// The same on the drives of the process.
bool parse_project_header(std::uint32_t tag, const std::u16string& project_path,
                          const HeaderRanges& ranges, _TmFileInfo_t& out);
