#include "comlib/files/file_manage.hpp"

#include "comlib/files/capture_name.hpp"
#include "comlib/files/drive_sizes.hpp"
#include "comlib/files/file_names.hpp"
#include "comlib/files/set_readers.hpp"
#include "platform/fs/delete_tree.hpp"
#include "platform/fs/file_ops.hpp"
#include "platform/fs/find_files.hpp"

namespace {

constexpr std::uint32_t kDriveLetters = 26;

// The letter of a drive index (0 = A); 0 when the index has none.
char16_t drive_letter(std::uint32_t drive) {
    return drive < kDriveLetters ? static_cast<char16_t>(u'A' + drive) : u'\0';
}

bool has_wildcard(std::u16string_view name) {
    return name.find_first_of(u"*?") != std::u16string_view::npos;
}

}  // namespace

CTmFileManage::CTmFileManage(const platform::DriveTable& drives)
    : drives_(drives),
      project_keys_(project_file_keys()),
      event_keys_(black_box_event_keys()),
      file_list_keys_(black_box_list_keys()),
      event_recorder_keys_(event_recorder_keys()) {}

CTmFileManage::~CTmFileManage() = default;

unsigned CTmFileManage::refresh_drive_list() {
    drive_list_.clear();
    const std::uint32_t mask = drives_.drive_mask();
    for (std::uint32_t i = 0; i < 32; ++i) {
        if ((mask >> i) & 1U) drive_list_.push_back(i);
    }
    return 1;
}

bool CTmFileManage::parse_project_header(std::uint32_t tag, const std::u16string& path,
                                         _TmFileInfo_t& out) const {
    return ::parse_project_header(drives_, tag, path, ranges_, out);
}

bool CTmFileManage::read_black_box_set(std::uint32_t tag, const std::u16string& path,
                                       _TmFileInfo_t& out, bool rebuild_list) {
    return ::read_black_box_set(drives_, tag, path, ranges_, out, rebuild_list ? &black_box_list_ : nullptr);
}

bool CTmFileManage::read_event_set(std::uint32_t tag, const std::u16string& path, _TmFileInfo_t& out,
                                   bool rebuild_list) {
    return ::read_event_set(drives_, tag, path, ranges_, out, rebuild_list ? &event_play_list_ : nullptr);
}

bool CTmFileManage::drive_sizes(std::u16string_view root, int& total_gb, int& free_gb,
                                int& used_gb) const {
    const auto sizes = drive_sizes_gb(drives_, root);
    total_gb = sizes ? sizes->total : 0;
    free_gb = sizes ? sizes->free : 0;
    used_gb = sizes ? sizes->used : 0;
    return sizes.has_value();
}

bool CTmFileManage::delete_path(std::u16string_view path_or_pattern) const {
    if (!has_wildcard(file_name(path_or_pattern))) return platform::delete_tree(drives_, path_or_pattern).ok();
    // A wildcard stands only in the last name; the search refuses it anywhere else.
    const auto matches = platform::find_files(drives_, path_or_pattern);
    if (!matches || matches->empty()) return false;
    const std::u16string folder = file_folder(path_or_pattern);
    bool all_removed = true;
    for (const platform::FindEntry& entry : *matches) {
        // Every match is tried, so one that cannot be removed does not keep the others.
        if (!platform::delete_tree(drives_, folder + entry.name)) all_removed = false;
    }
    return all_removed;
}

bool CTmFileManage::file_exists(std::u16string_view path) const {
    const auto found = platform::exists(drives_, path);
    return found.ok() && *found;
}

std::u16string CTmFileManage::recording_folder_path(std::uint32_t drive, std::u16string_view name,
                                                    std::u16string_view prefix) const {
    const char16_t letter = drive_letter(drive);
    if (letter == u'\0') return {};
    std::u16string path = recording_folder(letter);
    if (!name.empty()) {
        path += prefix;
        path += name;
    }
    return path;
}

std::u16string CTmFileManage::capture_path(std::uint32_t drive) const {
    const char16_t letter = drive_letter(drive);
    if (letter == u'\0') return {};
    // A name is taken when either file of the pair exists: a stray project file must not make
    // the next recording fail.
    return next_capture_file_path(letter, [this](const std::u16string& path) {
        return file_exists(path) || file_exists(project_path_of(path));
    });
}

CTmFileManage& tm_file_manage() {
    static CTmFileManage catalogue(platform::process_drives());
    return catalogue;
}
