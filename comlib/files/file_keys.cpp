#include "comlib/files/file_keys.hpp"

#include <iterator>

namespace {

constexpr _TmFileKey_t kProjectKeys[] = {
    {TM_PROJECT_KEY_VERSION, u"$Ver"},   {TM_PROJECT_KEY_IQ_FILE, u"IQ FileName"},
    {TM_PROJECT_KEY_IQ_RATE, u"IQ Rate"}, {TM_PROJECT_KEY_CENTER, u"Center"},
    {TM_PROJECT_KEY_TRACKING, u"Tracking"}, {TM_PROJECT_KEY_AGC, u"AGC"},
};
constexpr _TmFileKey_t kBlackBoxEventKeys[] = {
    {TM_BBE_KEY_VERSION, u"$Ver"}, {TM_BBE_KEY_TOTAL, u"Total"}, {TM_BBE_KEY_EVENT, u"Event"},
    {TM_BBE_KEY_POSITION, u"Position"}, {TM_BBE_KEY_MASK, u"Mask"},
};
constexpr _TmFileKey_t kBlackBoxListKeys[] = {
    {TM_BBL_KEY_FILE, u"$File"},
};
constexpr _TmFileKey_t kEventRecorderKeys[] = {
    {TM_ERC_KEY_VERSION, u"$Ver"}, {TM_ERC_KEY_TOTAL, u"Total"},
};

// Readers find a key by its id as an index, so the ids must be the positions.
template <std::size_t N>
constexpr bool ids_are_positions(const _TmFileKey_t (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].Id != i) return false;
    }
    return true;
}
static_assert(ids_are_positions(kProjectKeys) && std::size(kProjectKeys) == TM_PROJECT_KEY_COUNT);
static_assert(ids_are_positions(kBlackBoxEventKeys) && std::size(kBlackBoxEventKeys) == TM_BBE_KEY_COUNT);
static_assert(ids_are_positions(kBlackBoxListKeys) && std::size(kBlackBoxListKeys) == TM_BBL_KEY_COUNT);
static_assert(ids_are_positions(kEventRecorderKeys) && std::size(kEventRecorderKeys) == TM_ERC_KEY_COUNT);

}  // namespace

std::span<const _TmFileKey_t> project_file_keys() { return kProjectKeys; }
std::span<const _TmFileKey_t> black_box_event_keys() { return kBlackBoxEventKeys; }
std::span<const _TmFileKey_t> black_box_list_keys() { return kBlackBoxListKeys; }
std::span<const _TmFileKey_t> event_recorder_keys() { return kEventRecorderKeys; }

std::u16string_view key_text(const _TmFileKey_t& key) {
    // Bounded by the array: a record without a NUL still ends.
    const std::u16string_view all(key.Text, std::size(key.Text));
    return all.substr(0, all.find(u'\0'));
}

std::u16string_view project_key(_TmProjectKey_e id) {
    return id < TM_PROJECT_KEY_COUNT ? key_text(kProjectKeys[id]) : std::u16string_view{};
}
