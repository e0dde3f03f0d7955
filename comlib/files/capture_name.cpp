#include "comlib/files/capture_name.hpp"

#include "platform/text/format.hpp"

namespace {
constexpr int kNameAttempts = 10'000;
}

std::u16string recording_folder(char16_t letter) {
    return platform::format(u"%c:\\TamrelData\\Record\\", letter);
}

std::u16string next_capture_file_path(char16_t letter,
                                      const std::function<bool(const std::u16string&)>& exists,
                                      const std::function<platform::LocalTime()>& now) {
    const std::u16string folder = recording_folder(letter);
    std::u16string stamp;
    std::u16string path;
    int suffix = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const platform::LocalTime t = now();
        const std::u16string fresh = platform::format(u"Cap_%04d%02d%02d_%02d%02d%02d", t.year,
                                                      t.month, t.day, t.hour, t.minute, t.second);
        // Within the same second the time gives the same name again: number it instead, so two
        // recordings of one second never share a name.
        if (fresh == stamp) {
            path = folder + platform::format(u"%s_%d.iqw", stamp.c_str(), ++suffix);
        } else {
            stamp = fresh;
            suffix = 0;
            path = folder + stamp + u".iqw";
        }
        if (!exists(path)) break;
    }
    return path;
}

std::u16string replace_extension(const std::u16string& path, const std::u16string& extension) {
    const std::size_t dot = path.rfind(u'.');
    const std::size_t separator = path.find_last_of(u"\\/");
    if (dot == std::u16string::npos || (separator != std::u16string::npos && dot < separator)) {
        return path + u"." + extension;
    }
    return path.substr(0, dot + 1) + extension;
}
