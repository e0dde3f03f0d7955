#pragma once
// What kind of event a black-box event file was saved for, and the text its line 1 carries for
// it after the key "Mask". Writers name the type with black_box_mask_text(); readers accept a
// set only when its text is one of these, spelled exactly.
//
// Thread-safety: constants and pure functions; safe from any thread.

#include <array>
#include <cstdint>
#include <string_view>

enum _TmBlackBoxRecordMaskType_e : std::int32_t {
    TM_BBR_MASK_UNKNOWN = 0,
    TM_BBR_MASK_ATSC = 1,
    TM_BBR_MASK_DVBT = 2,
    TM_BBR_MASK_DVBC = 3,
    TM_BBR_MASK_ISDBT = 4,
    TM_BBR_MASK_DTMB = 5,
    TM_BBR_MASK_TRIGGER = 6,
    TM_BBR_MASK_BWPOWER = 7,
};

// Indexed by the mask type.
inline constexpr std::array<std::u16string_view, 8> kBlackBoxMaskTexts = {
    u"UNKNOWN", u"ATSC", u"DVB-T", u"DVB-C", u"ISDBT", u"DTMB", u"TRIGGER", u"BWPOWER",
};

// The text of a mask type; a value outside 0..7 reads "UNKNOWN".
constexpr std::u16string_view black_box_mask_text(std::int32_t type) {
    return type >= 0 && type < static_cast<std::int32_t>(kBlackBoxMaskTexts.size())
               ? kBlackBoxMaskTexts[static_cast<std::size_t>(type)]
               : kBlackBoxMaskTexts[TM_BBR_MASK_UNKNOWN];
}

// True when `text` is exactly one of the eight mask texts (case and blanks count).
constexpr bool is_black_box_mask_text(std::u16string_view text) {
    for (const std::u16string_view mask : kBlackBoxMaskTexts) {
        if (mask == text) return true;
    }
    return false;
}
