#pragma once
// Names and paths of the recording files. Paths are in Windows form; '\' and '/' both separate
// names, as they do at the file-system boundary (docs/drives.md).
//
//   sample file   X:\TamrelData\Record\Cap_20170315_142501.iqw   (capture_name.hpp)
//   project file  the same path with the extension "wpj"
//   black box     "bbr_record_0007.iqw", "bbr_event_0007.wpj", ...: base, ring index, extension
//   event record  "20170315_142501.iqw": the local time of the event
//
// Thread-safety: free functions without state; safe from any thread.

#include <string>
#include <string_view>

#include "platform/sys/time.hpp"

inline constexpr std::u16string_view kSampleExtension = u"iqw";
inline constexpr std::u16string_view kProjectExtension = u"wpj";
inline constexpr std::u16string_view kBlackBoxRecordBase = u"bbr_record";
inline constexpr std::u16string_view kBlackBoxEventBase = u"bbr_event";

// The name after the last separator (all of `path` when it has none).
std::u16string file_name(std::u16string_view path);
// The name without its extension: from after the last separator to before the last '.' of the
// name (the whole name when it has no '.').
std::u16string file_title(std::u16string_view path);
// The folder with its final separator ("" when `path` has none).
std::u16string file_folder(std::u16string_view path);
// `path` with its name replaced by `name`, the folder kept.
std::u16string replace_file_name(std::u16string_view path, std::u16string_view name);

// The project file of a sample file and the sample file of a project file.
std::u16string project_path_of(const std::u16string& sample_path);
std::u16string sample_path_of(const std::u16string& project_path);

// "%s_%04d.%s": "bbr_record_0007.iqw".
std::u16string black_box_file_name(std::u16string_view base, int index, std::u16string_view extension);
// "%04d%02d%02d_%02d%02d%02d.%s": "20170315_142501.wpj".
std::u16string event_record_file_name(const platform::LocalTime& t, std::u16string_view extension);
