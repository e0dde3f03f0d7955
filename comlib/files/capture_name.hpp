#pragma once
// Names of new recordings: "Cap_" + local time "%Y%m%d_%H%M%S" + ".iqw" in the drive's recording
// folder; the project file has the same name with the extension "wpj".

#include <functional>
#include <string>

#include "platform/sys/time.hpp"

// The recording folder of a drive: "X:\TamrelData\Record\".
std::u16string recording_folder(char16_t letter);

// The next free sample-file path in the recording folder of `letter`: the name is rebuilt from
// the time read anew while a file of that name exists, at most 10,000 times; the last name built
// is used. When the time still gives the name just found taken, "_1", "_2", ... is added to it. `exists` tells whether a path is taken; `now` gives the local time.
std::u16string next_capture_file_path(char16_t letter,
                                      const std::function<bool(const std::u16string&)>& exists,
                                      const std::function<platform::LocalTime()>& now = platform::local_time);

// `path` with its extension (the text after the last '.') replaced by `extension`, or with
// "." + extension appended when it has none.
std::u16string replace_extension(const std::u16string& path, const std::u16string& extension);
