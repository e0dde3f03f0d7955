#pragma once
// The rules for names inside Windows-form paths. The system's paths arrive from remote hosts, the
// console and project files, so a name is checked before it is ever joined to a folder.
//
// Names are case-sensitive on disk here, unlike Windows: "Rec.iqw" and "rec.iqw" are two files.

#include "platform/status.hpp"

#include <string_view>

namespace platform {

// A character Windows does not allow in a name: < > " | ? * : and the controls U+0000..U+001F.
bool is_forbidden_in_name(char16_t c);

inline bool is_path_separator(char16_t c) { return c == u'\\' || c == u'/'; }

// A bare file or folder name (no folder part): refuses an empty name, "." and "..", any
// separator, NUL and the characters Windows forbids in names, with Errc::invalid_path.
Status check_bare_name(std::u16string_view name);

}  // namespace platform
