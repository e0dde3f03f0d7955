#pragma once
// CTmFileManage: the file catalogue. It knows where recordings live and what they are: it holds
// the key tables of the text files, the header values a recording may carry, and the lists the
// listing commands and the players fill (drives, sub-folders, recordings of a folder, the
// members of the set opened for play). It also offers the small path and disk operations the
// recording code uses. Paths are in Windows form, resolved through the catalogue's drive table.
//
// Each listing empties its own list before filling it, so a list always shows the last
// listing. A set read with `rebuild_list` replaces its play list only when the read succeeds.
//
// Thread-safety: no lock. The console thread lists, opens sets and changes the settings; the
// data threads read the black-box file list only while playing, and no opening runs then
// (openings happen while idle). The drive table itself is thread-safe.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "comlib/files/file_info.hpp"
#include "comlib/files/file_keys.hpp"
#include "comlib/files/folder_info.hpp"
#include "comlib/files/play_list.hpp"
#include "comlib/files/project_header.hpp"
#include "platform/fs/drive_table.hpp"

class CTmFileManage {
public:
    // The storage number a new catalogue holds.
    static constexpr std::uint32_t kInitialStorageNumber = 4;

    explicit CTmFileManage(const platform::DriveTable& drives = platform::process_drives());
    virtual ~CTmFileManage();
    CTmFileManage(const CTmFileManage&) = delete;
    CTmFileManage& operator=(const CTmFileManage&) = delete;

    // The key tables of the text files (file_keys.hpp).
    std::span<const _TmFileKey_t> project_key_table() const { return project_keys_; }
    std::span<const _TmFileKey_t> event_key_table() const { return event_keys_; }
    std::span<const _TmFileKey_t> file_list_key_table() const { return file_list_keys_; }
    std::span<const _TmFileKey_t> event_recorder_key_table() const { return event_recorder_keys_; }

    // What the console's storage commands keep here.
    const std::u16string& storage_text() const { return storage_text_; }
    void set_storage_text(std::u16string text) { storage_text_ = std::move(text); }
    std::uint32_t storage_number() const { return storage_number_; }
    void set_storage_number(std::uint32_t number) { storage_number_ = number; }

    // The IQ rates and centre frequencies a header may carry; set at device opening.
    void set_ranges(const HeaderRanges& ranges) { ranges_ = ranges; }
    HeaderRanges ranges() const { return ranges_; }

    // The drive list becomes the index (0 = A) of every present drive, ascending. Always 1.
    unsigned refresh_drive_list();
    const std::vector<std::uint32_t>& drive_list() const { return drive_list_; }

    // The sub-folders of `folder_path` that are not hidden, each as {tag, name}. 0 when the
    // folder could be searched, 1 otherwise (the list is then empty).
    unsigned list_folders(std::uint32_t tag, std::u16string_view folder_path);
    const std::vector<_TmFolderInfo_t>& folder_list() const { return folder_list_; }

    // The recordings of `folder_path`: project files ("wpj"), black-box sets ("bbr") and event
    // sets ("wev"), the extension compared exactly; files that cannot be read are left out. A
    // record without a time stamp of its own gets the file's last-write time in local time.
    // 0 when the folder could be searched, 1 otherwise (the list is then empty).
    unsigned list_files(std::uint32_t tag, std::u16string_view folder_path);
    const std::vector<_TmFileInfo_t>& file_list() const { return file_list_; }

    // Line 1 of a project file, checked against the catalogue's ranges (project_header.hpp).
    bool parse_project_header(std::uint32_t tag, const std::u16string& path, _TmFileInfo_t& out) const;

    // A black-box set (set_readers.hpp). With `rebuild_list` a successful read replaces the
    // black-box file list; a failed read changes neither `out` nor the list.
    bool read_black_box_set(std::uint32_t tag, const std::u16string& path, _TmFileInfo_t& out,
                            bool rebuild_list);
    const std::vector<TmPlayListEntry>& black_box_file_list() const { return black_box_list_; }

    // An event recorder's set, likewise, with its own play list.
    bool read_event_set(std::uint32_t tag, const std::u16string& path, _TmFileInfo_t& out,
                        bool rebuild_list);
    const std::vector<TmPlayListEntry>& event_play_list() const { return event_play_list_; }

    // Whole gigabytes of the drive holding `root` (drive_sizes.hpp); all 0 and false when the
    // figures cannot be read.
    bool drive_sizes(std::u16string_view root, int& total_gb, int& free_gb, int& used_gb) const;

    // Removes a file or a folder with its contents, or every entry matching a pattern with '*'
    // and '?' in the last name ("D:\TamrelData\Record\bbr_record_*.*"). True when something was
    // there and all of it was removed; a pattern that matches nothing gives false.
    bool delete_path(std::u16string_view path_or_pattern) const;

    // True when a file or folder is at `path`.
    bool file_exists(std::u16string_view path) const;

    // "X:\TamrelData\Record\" + prefix + name for drive index `drive` (0 = A); the prefix only
    // when the name is not empty. Empty for an index without a drive letter.
    std::u16string recording_folder_path(std::uint32_t drive, std::u16string_view name,
                                         std::u16string_view prefix = {}) const;

    // A fresh "Cap_..." sample-file path in the recording folder of drive index `drive`
    // (capture_name.hpp). Empty for an index without a drive letter.
    std::u16string capture_path(std::uint32_t drive) const;

private:
    const platform::DriveTable& drives_;
    std::span<const _TmFileKey_t> project_keys_;
    std::span<const _TmFileKey_t> event_keys_;
    std::span<const _TmFileKey_t> file_list_keys_;
    std::span<const _TmFileKey_t> event_recorder_keys_;
    std::u16string storage_text_;
    std::uint32_t storage_number_ = kInitialStorageNumber;
    HeaderRanges ranges_;
    std::vector<std::uint32_t> drive_list_;
    std::vector<_TmFolderInfo_t> folder_list_;
    std::vector<_TmFileInfo_t> file_list_;
    std::vector<TmPlayListEntry> black_box_list_;
    std::vector<TmPlayListEntry> event_play_list_;
};

// The catalogue of the process, over platform::process_drives(); built at first use.
CTmFileManage& tm_file_manage();
