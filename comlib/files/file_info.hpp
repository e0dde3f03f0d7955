#pragma once
// The file record: what the system knows of one recording (a project file and its sample file,
// a black-box set or an event set). It is also a wire record, so its layout is fixed: 664 bytes,
// little-endian, no hidden padding. The layout is checked below at compile time.
//
// Thread-safety: a plain record; whoever holds it guards it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

// What a record describes.
enum _TmFileKind_e : std::int32_t {
    TM_FILE_KIND_PROJECT = 0,     // a project file with its sample file
    TM_FILE_KIND_BLACK_BOX = 1,   // a black-box set
    TM_FILE_KIND_EVENT = 5,       // an event set
};

// The bandwidth code of a recording, from its IQ rate.
enum _TmFileBandwidth_e : std::int32_t {
    TM_FILE_BW_10MSPS = 0,   // IQ rate 10,000,000
    TM_FILE_BW_30MSPS = 1,   // IQ rate 30,000,000
    TM_FILE_BW_OTHER = 2,
};

// Units in each name field; a name fills at most one less (the last unit stays NUL).
inline constexpr std::size_t kFileInfoNameUnits = 100;

// Natural alignment gives exactly the wire layout, so the record needs no packing.
struct _TmFileInfo_t {
    std::uint32_t Tag;                           //   0 the caller's number for this record
    char16_t ProjectName[kFileInfoNameUnits];    //   4 name without folder, NUL-terminated
    char16_t SampleName[kFileInfoNameUnits];     // 204 name without folder, NUL-terminated
    std::uint8_t Unused0[4];                     // 404
    std::uint64_t SampleSize;                    // 408 bytes
    std::int32_t Version;                        // 416
    std::uint32_t IQRate;                        // 420 samples/s
    std::int32_t Bandwidth;                      // 424 _TmFileBandwidth_e
    std::uint32_t CenterFreq;                    // 428 Hz
    std::uint32_t Duration;                      // 432 whole seconds
    std::int32_t Kind;                           // 436 _TmFileKind_e
    std::uint64_t StartOffset;                   // 440 bytes
    std::int32_t AGC;                            // 448 0 off / 1 on
    std::int32_t Tracking;                       // 452
    std::uint64_t TimeStamp;                     // 456 FILETIME holding local time, 0 unknown
    char16_t Note[kFileInfoNameUnits];           // 464 NUL-terminated
};

// The record is copied to and from the wire as it is in memory.
static_assert(std::endian::native == std::endian::little, "the file record is little-endian");
static_assert(sizeof(_TmFileInfo_t) == 664, "the file record is a 664-byte wire record");
static_assert(alignof(_TmFileInfo_t) == 8);
#define TM_CHECK_OFFSET(field, offset)                               \
    static_assert(offsetof(_TmFileInfo_t, field) == (offset),        \
                  "file record field " #field " must sit at " #offset)
TM_CHECK_OFFSET(Tag, 0);
TM_CHECK_OFFSET(ProjectName, 4);
TM_CHECK_OFFSET(SampleName, 204);
TM_CHECK_OFFSET(Unused0, 404);
TM_CHECK_OFFSET(SampleSize, 408);
TM_CHECK_OFFSET(Version, 416);
TM_CHECK_OFFSET(IQRate, 420);
TM_CHECK_OFFSET(Bandwidth, 424);
TM_CHECK_OFFSET(CenterFreq, 428);
TM_CHECK_OFFSET(Duration, 432);
TM_CHECK_OFFSET(Kind, 436);
TM_CHECK_OFFSET(StartOffset, 440);
TM_CHECK_OFFSET(AGC, 448);
TM_CHECK_OFFSET(Tracking, 452);
TM_CHECK_OFFSET(TimeStamp, 456);
TM_CHECK_OFFSET(Note, 464);
#undef TM_CHECK_OFFSET

// TM_FILE_BW_10MSPS, TM_FILE_BW_30MSPS or TM_FILE_BW_OTHER for an IQ rate.
constexpr std::int32_t file_bandwidth(std::uint32_t iq_rate) {
    if (iq_rate == 10'000'000) return TM_FILE_BW_10MSPS;
    if (iq_rate == 30'000'000) return TM_FILE_BW_30MSPS;
    return TM_FILE_BW_OTHER;
}

// Stores `name` NUL-padded. A name of more than 99 units does not fit and is refused (false,
// field unchanged): a cut name would point at another file.
bool set_file_info_name(char16_t (&field)[kFileInfoNameUnits], std::u16string_view name);

// The text of a name field, up to its first NUL.
std::u16string_view file_info_name(const char16_t (&field)[kFileInfoNameUnits]);
