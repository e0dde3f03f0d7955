#pragma once
// The keys of the system's text files: the project file header, the black-box event file and
// file list, and the event recorder's list. Each key is a record {id, text}: the id is its
// position in its table, the text at most 19 units, NUL-padded. Writers and readers take the
// texts from here, so a key is spelled once; a file catalogue keeps pointers to these tables.
//
// Thread-safety: constant tables; safe from any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

struct _TmFileKey_t {
    std::uint32_t Id;    // 0..n-1, the position in its table
    char16_t Text[20];   // NUL-padded
};

// The six keys of a project file header, in the order the header is written.
enum _TmProjectKey_e : std::uint32_t {
    TM_PROJECT_KEY_VERSION = 0,    // "$Ver"
    TM_PROJECT_KEY_IQ_FILE = 1,    // "IQ FileName"
    TM_PROJECT_KEY_IQ_RATE = 2,    // "IQ Rate"
    TM_PROJECT_KEY_CENTER = 3,     // "Center"
    TM_PROJECT_KEY_TRACKING = 4,   // "Tracking"
    TM_PROJECT_KEY_AGC = 5,        // "AGC"
    TM_PROJECT_KEY_COUNT = 6,
};

// The keys of a black-box event file.
enum _TmBlackBoxEventKey_e : std::uint32_t {
    TM_BBE_KEY_VERSION = 0,    // "$Ver"
    TM_BBE_KEY_TOTAL = 1,      // "Total"
    TM_BBE_KEY_EVENT = 2,      // "Event"
    TM_BBE_KEY_POSITION = 3,   // "Position"
    TM_BBE_KEY_MASK = 4,       // "Mask"
    TM_BBE_KEY_COUNT = 5,
};

// The key of the black-box file list.
enum _TmBlackBoxListKey_e : std::uint32_t {
    TM_BBL_KEY_FILE = 0,   // "$File"
    TM_BBL_KEY_COUNT = 1,
};

// The keys of the event recorder's list.
enum _TmEventRecorderKey_e : std::uint32_t {
    TM_ERC_KEY_VERSION = 0,   // "$Ver"
    TM_ERC_KEY_TOTAL = 1,     // "Total"
    TM_ERC_KEY_COUNT = 2,
};

std::span<const _TmFileKey_t> project_file_keys();
std::span<const _TmFileKey_t> black_box_event_keys();
std::span<const _TmFileKey_t> black_box_list_keys();
std::span<const _TmFileKey_t> event_recorder_keys();

// The text of a key, up to its first NUL.
std::u16string_view key_text(const _TmFileKey_t& key);

// The text of a project header key.
std::u16string_view project_key(_TmProjectKey_e id);
