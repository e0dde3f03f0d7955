#include "comlib/files/set_readers.hpp"

#include "comlib/files/black_box_mask.hpp"
#include "comlib/files/file_keys.hpp"
#include "comlib/files/file_names.hpp"
#include "comlib/files/file_time.hpp"
#include "comlib/files/text_numbers.hpp"
#include "platform/fs/path_names.hpp"
#include "platform/fs/text_line_reader.hpp"

#include <bitset>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace {

// The text up to the first comma (all of `line` without one), and what follows that comma.
std::pair<std::u16string_view, std::u16string_view> first_field(std::u16string_view line) {
    const std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) return {line, {}};
    const std::u16string_view rest = line.substr(comma + 1);
    return {line.substr(0, comma), rest.substr(0, rest.find(u','))};
}

// The id of `field` in a key table, if it is one of its keys.
std::optional<std::uint32_t> find_key(std::span<const _TmFileKey_t> table, std::u16string_view field) {
    for (const _TmFileKey_t& key : table) {
        if (key_text(key) == field) return key.Id;
    }
    return std::nullopt;
}

// The whole event file as lines; empty when it cannot be opened or read to its end.
std::optional<std::vector<std::u16string>> read_lines(const platform::DriveTable& drives,
                                                      const std::u16string& path) {
    auto posix = drives.resolve(path);
    if (!posix) return std::nullopt;
    auto reader = platform::TextLineReader::open(*posix);
    if (!reader) return std::nullopt;
    std::vector<std::u16string> lines;
    for (;;) {
        auto line = reader->next_line();
        if (!line) return std::nullopt;
        if (!line->has_value()) break;
        lines.push_back(std::move(**line));
    }
    (void)reader->close();  // read only: nothing is lost if the close fails
    return lines;
}

// The members of a set as they are read: each member's header is parsed on its own, the first
// gives the description, the others add their duration and size. Everything is built here and
// handed to the caller only when the whole set was accepted.
class SetBuilder {
public:
    SetBuilder(const platform::DriveTable& drives, std::uint32_t tag, const std::u16string& event_path,
               const HeaderRanges& ranges, bool want_list)
        : drives_(drives), tag_(tag), folder_(file_folder(event_path)), ranges_(ranges),
          want_list_(want_list) {}

    // Reads the member project file `name`. False when the member cannot join the set: a name
    // that is not a bare name in the set's folder (a set must not reach other folders), a
    // header that is not accepted, or totals that would overflow their fields.
    bool add_member(std::u16string_view name) {
        if (!platform::check_bare_name(name)) return false;
        const std::u16string project_path = folder_ + std::u16string(name);
        _TmFileInfo_t member{};
        if (!parse_project_header(drives_, tag_, project_path, ranges_, member)) return false;
        if (members_ == 0) {
            description_ = member;
        } else {
            if (member.Duration > std::numeric_limits<std::uint32_t>::max() - description_.Duration)
                return false;
            if (member.SampleSize > std::numeric_limits<std::uint64_t>::max() - description_.SampleSize)
                return false;
            description_.Duration += member.Duration;
            description_.SampleSize += member.SampleSize;
        }
        if (want_list_) {
            list_.push_back(TmPlayListEntry{project_path,
                                            folder_ + std::u16string(file_info_name(member.SampleName)),
                                            member.SampleSize, member.Duration, member.StartOffset});
        }
        ++members_;
        return true;
    }

    std::size_t members() const { return members_; }
    _TmFileInfo_t& description() { return description_; }

    // Hands the result over; the caller's record and list change only here.
    void commit(_TmFileInfo_t& out, std::vector<TmPlayListEntry>* list) {
        out = description_;
        if (list != nullptr) *list = std::move(list_);
    }

private:
    const platform::DriveTable& drives_;
    const std::uint32_t tag_;
    const std::u16string folder_;
    const HeaderRanges& ranges_;
    const bool want_list_;
    std::size_t members_ = 0;
    _TmFileInfo_t description_{};
    std::vector<TmPlayListEntry> list_;
};

// The count a set announces equals the members read. A set needs at least one member: without
// one there is nothing to describe or play.
bool count_matches(std::int32_t total, std::size_t members) {
    return total > 0 && static_cast<std::size_t>(total) == members;
}

// Line 1 of a black-box event file: each of the five keys accepted once; Total is returned.
std::optional<std::int32_t> black_box_line_one(std::u16string_view line) {
    const std::vector<std::u16string_view> fields = non_empty_fields(line);
    std::bitset<TM_BBE_KEY_COUNT> accepted;
    std::int32_t total = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto key = find_key(black_box_event_keys(), fields[i]);
        if (!key) continue;  // a measurement value or a value without a key
        if (i + 1 == fields.size()) break;
        const std::u16string_view value = fields[++i];
        switch (static_cast<_TmBlackBoxEventKey_e>(*key)) {
            case TM_BBE_KEY_VERSION: accepted.set(*key); break;
            case TM_BBE_KEY_TOTAL:
                total = text_to_int32(value);
                accepted.set(*key);
                break;
            case TM_BBE_KEY_EVENT: accepted.set(*key); break;
            case TM_BBE_KEY_POSITION: accepted.set(*key); break;
            case TM_BBE_KEY_MASK:
                if (is_black_box_mask_text(value)) accepted.set(*key);
                break;
            case TM_BBE_KEY_COUNT: break;
        }
    }
    if (!accepted.all()) return std::nullopt;
    return total;
}

struct EventLineOne {
    std::int32_t total = 0;
    std::u16string_view text;
};

// Line 1 of an event recorder's event file: "$Ver" and "Total" with their values, and the
// event text, the first other field once both have been read.
std::optional<EventLineOne> event_line_one(std::u16string_view line) {
    const std::vector<std::u16string_view> fields = non_empty_fields(line);
    std::bitset<TM_ERC_KEY_COUNT> seen;
    EventLineOne result;
    bool has_text = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto key = find_key(event_recorder_keys(), fields[i]);
        if (!key) {
            if (seen.all() && !has_text) {
                result.text = fields[i];
                has_text = true;
            }
            continue;
        }
        if (i + 1 == fields.size()) break;
        const std::u16string_view value = fields[++i];
        if (*key == TM_ERC_KEY_TOTAL) result.total = text_to_int32(value);
        seen.set(*key);
    }
    if (!seen.all() || !has_text) return std::nullopt;
    return result;
}

// The event text as a name field holds it: cut to the field, never between the two halves of
// a surrogate pair. The text is a label, not a file name, so cutting it names nothing else.
std::u16string_view fit_name(std::u16string_view text) {
    constexpr std::size_t kMax = kFileInfoNameUnits - 1;
    if (text.size() <= kMax) return text;
    std::size_t size = kMax;
    const char16_t last = text[size - 1];
    if (last >= 0xD800 && last <= 0xDBFF) --size;
    return text.substr(0, size);
}

}  // namespace

bool read_black_box_set(const platform::DriveTable& drives, std::uint32_t tag,
                        const std::u16string& event_path, const HeaderRanges& ranges,
                        _TmFileInfo_t& out, std::vector<TmPlayListEntry>* list) {
    const auto lines = read_lines(drives, event_path);
    if (!lines || lines->empty()) return false;
    const auto total = black_box_line_one(lines->front());
    if (!total) return false;

    const std::u16string_view file_key = key_text(black_box_list_keys()[TM_BBL_KEY_FILE]);
    SetBuilder set(drives, tag, event_path, ranges, list != nullptr);
    for (std::size_t n = 1; n < lines->size(); ++n) {
        const std::vector<std::u16string_view> fields = non_empty_fields((*lines)[n]);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i] != file_key) continue;
            // "$File" without a name, or a member that cannot be read, ends the read.
            if (i + 1 == fields.size() || !set.add_member(fields[++i])) return false;
        }
    }
    if (!count_matches(*total, set.members())) return false;

    _TmFileInfo_t& description = set.description();
    const std::u16string name = file_name(event_path);
    if (!set_file_info_name(description.ProjectName, name) ||
        !set_file_info_name(description.SampleName, name)) {
        return false;
    }
    description.Kind = TM_FILE_KIND_BLACK_BOX;
    set.commit(out, list);
    return true;
}

bool read_event_set(const platform::DriveTable& drives, std::uint32_t tag,
                    const std::u16string& event_path, const HeaderRanges& ranges,
                    _TmFileInfo_t& out, std::vector<TmPlayListEntry>* list) {
    const auto lines = read_lines(drives, event_path);
    if (!lines || lines->empty()) return false;
    const auto head = event_line_one(lines->front());
    if (!head) return false;

    const std::u16string_view file_key = key_text(black_box_list_keys()[TM_BBL_KEY_FILE]);
    SetBuilder set(drives, tag, event_path, ranges, list != nullptr);
    std::u16string first_member;
    for (std::size_t n = 1; n < lines->size(); ++n) {
        const auto [key, name] = first_field((*lines)[n]);
        if (key != file_key) continue;
        if (!set.add_member(name)) return false;
        if (set.members() == 1) first_member = std::u16string(name);
    }
    if (!count_matches(head->total, set.members())) return false;

    _TmFileInfo_t& description = set.description();
    if (!set_file_info_name(description.ProjectName, fit_name(head->text))) return false;
    description.Kind = TM_FILE_KIND_EVENT;
    description.TimeStamp = name_time_stamp(first_member);
    set.commit(out, list);
    return true;
}
