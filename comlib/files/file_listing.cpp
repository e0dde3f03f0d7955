// The catalogue's folder and file listings: what "folderlist" and "filelist" send, record by
// record, to the remote host.

#include "comlib/files/file_manage.hpp"

#include "comlib/files/file_time.hpp"
#include "platform/fs/find_files.hpp"

#include <chrono>
#include <ctime>

namespace {

// `folder` + name: a separator is put in unless the folder already ends with one.
std::u16string child_path(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (path.empty() || path.back() != u'\\') path += u'\\';
    path += name;
    return path;
}

// The text after the last '.', or the whole name when it has none.
std::u16string_view extension_of(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? name : name.substr(dot + 1);
}

// A last-write time as the record's time stamp: the local calendar time of that moment, to the
// millisecond, as a FILETIME (file_time.hpp). 0 when it has no local calendar time.
std::uint64_t local_file_time(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto since_epoch = when.time_since_epoch();
    const auto whole = floor<seconds>(since_epoch);
    const std::time_t seconds_since_epoch = static_cast<std::time_t>(whole.count());
    std::tm parts{};
    if (localtime_r(&seconds_since_epoch, &parts) == nullptr) return 0;
    platform::LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int>(duration_cast<milliseconds>(since_epoch - whole).count());
    return file_time_from_local(t).value_or(0);
}

}  // namespace

unsigned CTmFileManage::list_folders(std::uint32_t tag, std::u16string_view folder_path) {
    folder_list_.clear();
    const auto entries = platform::find_files(drives_, child_path(folder_path, u"*.*"));
    if (!entries) return 1;
    for (const platform::FindEntry& entry : *entries) {
        if (!entry.directory || entry.hidden) continue;
        _TmFolderInfo_t record{};
        record.Tag = tag;
        // A name longer than the record holds cannot be sent whole; a cut one would name
        // another folder, so it is left out.
        if (!set_folder_info_name(record.FolderName, entry.name)) continue;
        folder_list_.push_back(record);
    }
    return 0;
}

unsigned CTmFileManage::list_files(std::uint32_t tag, std::u16string_view folder_path) {
    file_list_.clear();
    const auto entries = platform::find_files(drives_, child_path(folder_path, u"*.*"));
    if (!entries) return 1;
    for (const platform::FindEntry& entry : *entries) {
        if (entry.directory) continue;
        const std::u16string_view extension = extension_of(entry.name);
        const std::u16string path = child_path(folder_path, entry.name);
        _TmFileInfo_t record{};
        bool read = false;
        if (extension == u"wpj") {
            read = parse_project_header(tag, path, record);
        } else if (extension == u"bbr") {
            read = read_black_box_set(tag, path, record, false);
        } else if (extension == u"wev") {
            read = read_event_set(tag, path, record, false);
        }
        if (!read) continue;
        if (record.TimeStamp == 0) record.TimeStamp = local_file_time(entry.modified);
        file_list_.push_back(record);
    }
    return 0;
}
