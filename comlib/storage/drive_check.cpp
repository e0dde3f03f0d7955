// The recording folders of a drive, the capture file names, and the capture drive's capacity.

#include "comlib/files/capture_name.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/file_ops.hpp"
#include "platform/text/format.hpp"

namespace {

char16_t drive_letter(unsigned index) { return static_cast<char16_t>(u'A' + (index % 26)); }

bool path_exists(const std::u16string& path) {
    auto found = platform::exists(platform::process_drives(), path);
    return found.ok() && found.value();
}

// Creates X:\TamrelData and X:\TamrelData\Record where missing. A folder that cannot be created
// is not reported here: creating the recording file fails later and says so.
void ensure_recording_folders(char16_t letter) {
    std::u16string path = platform::format(u"%c:\\TamrelData", letter);
    if (!path_exists(path)) (void)platform::create_folder(platform::process_drives(), path);
    path += u"\\Record";
    if (!path_exists(path)) (void)platform::create_folder(platform::process_drives(), path);
}

}  // namespace

void CTamrelComMFC::TmCheckDrive(_TmDriveLetterType_e drive) {
    ensure_recording_folders(drive_letter(drive));
    renew_capture_names();
}

void CTamrelComMFC::renew_capture_names() {
    const char16_t capture_letter = drive_letter(setting_.get(&_TmSettingBlock_t::DriveIndex));
    // A name is taken when either file of the pair exists: a stray project file must not make
    // the next recording fail.
    const std::u16string file = next_capture_file_path(capture_letter, [](const std::u16string& path) {
        return path_exists(path) || path_exists(replace_extension(path, u"wpj"));
    });
    std::lock_guard lock(path_mutex_);
    capture_file_path_ = file;
    capture_project_path_ = replace_extension(file, u"wpj");
}

void CTamrelComMFC::TmCheckCopyDrive(_TmDriveLetterType_e drive) {
    ensure_recording_folders(drive_letter(drive));
}

void CTamrelComMFC::UpdateSSDSize() {
    const char16_t letter = drive_letter(setting_.get(&_TmSettingBlock_t::DriveIndex));
    int total = 0;
    int free = 0;
    if (auto space = platform::process_drives().space(letter); space.ok()) {
        // Whole GiB, truncated: bytes >> 20, then / 1024.
        total = static_cast<int>((space->total_bytes >> 20) / 1024);
        free = static_cast<int>((space->free_bytes >> 20) / 1024);
    }
    drive_total_gb_.store(total);
    drive_free_gb_.store(free);
    drive_used_gb_.store(total - free);
    low_space_.store(free < 2 ? 1U : 0U);
    TmSetStaticWinText(TM_STATIC_DRIVE, std::u16string(1, letter));
    TmSetStaticWinText(TM_STATIC_TOTAL, platform::format(u"%d GB", total));
    TmSetStaticWinText(TM_STATIC_FREE, platform::format(u"%d GB", free));
}
