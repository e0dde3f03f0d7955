#include "comlib/files/file_names.hpp"

#include "comlib/files/capture_name.hpp"
#include "platform/text/format.hpp"

namespace {

// Index just past the last separator (0 when there is none).
std::size_t name_start(std::u16string_view path) {
    const std::size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::u16string file_name(std::u16string_view path) {
    return std::u16string(path.substr(name_start(path)));
}

std::u16string file_title(std::u16string_view path) {
    const std::u16string_view name = path.substr(name_start(path));
    return std::u16string(name.substr(0, name.rfind(u'.')));
}

std::u16string file_folder(std::u16string_view path) {
    return std::u16string(path.substr(0, name_start(path)));
}

std::u16string replace_file_name(std::u16string_view path, std::u16string_view name) {
    return file_folder(path) + std::u16string(name);
}

std::u16string project_path_of(const std::u16string& sample_path) {
    return replace_extension(sample_path, std::u16string(kProjectExtension));
}

std::u16string sample_path_of(const std::u16string& project_path) {
    return replace_extension(project_path, std::u16string(kSampleExtension));
}

std::u16string black_box_file_name(std::u16string_view base, int index, std::u16string_view extension) {
    return platform::format(u"%s_%04d.%s", base, index, extension);
}

std::u16string event_record_file_name(const platform::LocalTime& t, std::u16string_view extension) {
    return platform::format(u"%04d%02d%02d_%02d%02d%02d.%s", t.year, t.month, t.day, t.hour,
                            t.minute, t.second, extension);
}
