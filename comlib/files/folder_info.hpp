#pragma once
// The folder record: one entry of a folder listing (a sub-folder, or a drive root "D:\"). It is
// a wire record, sent as it is in memory: 524 bytes, little-endian, no hidden padding. The
// layout is checked below at compile time.
//
// Thread-safety: a plain record; whoever holds it guards it.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

// Units in the name field; a name fills at most one less (the last unit stays NUL).
inline constexpr std::size_t kFolderNameUnits = 260;

struct _TmFolderInfo_t {
    std::uint32_t Tag;                       //   0 the caller's number, copied unchanged
    char16_t FolderName[kFolderNameUnits];   //   4 name without parent, NUL-terminated
};

static_assert(std::endian::native == std::endian::little, "the folder record is little-endian");
static_assert(sizeof(_TmFolderInfo_t) == 524, "the folder record is a 524-byte wire record");
static_assert(alignof(_TmFolderInfo_t) == 4);
static_assert(offsetof(_TmFolderInfo_t, Tag) == 0, "folder record field Tag must sit at 0");
static_assert(offsetof(_TmFolderInfo_t, FolderName) == 4, "folder record field FolderName must sit at 4");

// Stores `name` NUL-padded. A name of more than 259 units does not fit and is refused (false,
// field unchanged): a cut name would point at another folder.
inline bool set_folder_info_name(char16_t (&field)[kFolderNameUnits], std::u16string_view name) {
    if (name.size() >= kFolderNameUnits) return false;
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy(name.begin(), name.end(), field);
    return true;
}

// The text of the name field, up to its first NUL.
inline std::u16string_view folder_info_name(const char16_t (&field)[kFolderNameUnits]) {
    const std::u16string_view all(field, kFolderNameUnits);
    return all.substr(0, all.find(u'\0'));
}
