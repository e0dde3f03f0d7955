#include "platform/fs/path_names.hpp"

#include "platform/text/utf.hpp"

#include <string>

namespace platform {

bool is_forbidden_in_name(char16_t c) {
    switch (c) {
        case u'<': case u'>': case u'"': case u'|': case u'?': case u'*': case u':':
            return true;
        default:
            return c < 0x20;
    }
}

Status check_bare_name(std::u16string_view name) {
    const auto refuse = [&](const char* why) {
        return Status(Errc::invalid_path, "name \"" + to_utf8(name) + "\": " + why);
    };
    if (name.empty()) return refuse("empty");
    if (name == u"." || name == u"..") return refuse("not a name");
    for (const char16_t c : name) {
        if (c == 0) return refuse("contains NUL");
        if (is_path_separator(c)) return refuse("contains a path separator");
        if (is_forbidden_in_name(c)) return refuse("contains a character not allowed in names");
    }
    return ok_status();
}

}  // namespace platform
