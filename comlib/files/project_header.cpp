#include "comlib/files/project_header.hpp"

#include "comlib/files/file_keys.hpp"
#include "comlib/files/file_names.hpp"
#include "comlib/files/file_time.hpp"
#include "comlib/files/sample_file.hpp"
#include "comlib/files/text_numbers.hpp"
#include "platform/fs/file.hpp"
#include "platform/fs/file_ops.hpp"
#include "platform/fs/path_names.hpp"
#include "platform/fs/text_line_reader.hpp"

#include <algorithm>
#include <bitset>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace {

void fill_defaults(std::uint32_t tag, _TmFileInfo_t& out) {
    out = _TmFileInfo_t{};
    out.Tag = tag;
    out.Version = 1;
    out.IQRate = 10'000'000;
    out.Bandwidth = TM_FILE_BW_OTHER;
    out.CenterFreq = 50'000'000;
    out.Duration = 0;
    out.Kind = TM_FILE_KIND_PROJECT;
    out.StartOffset = 0;
    out.AGC = 0;
    out.TimeStamp = 0;
}

std::optional<_TmProjectKey_e> find_key(std::u16string_view field) {
    for (const _TmFileKey_t& key : project_file_keys()) {
        if (key_text(key) == field) return static_cast<_TmProjectKey_e>(key.Id);
    }
    return std::nullopt;
}

// The size of a regular file, or empty when there is none (or it cannot be opened).
std::optional<std::uint64_t> sample_file_size(const platform::DriveTable& drives,
                                              const std::u16string& path) {
    auto folder = platform::is_directory(drives, path);
    if (!folder || *folder) return std::nullopt;
    auto posix = drives.resolve(path);
    if (!posix) return std::nullopt;
    auto file = platform::File::open(*posix, platform::FileMode::read);
    if (!file) return std::nullopt;
    auto size = file->size();
    (void)file->close();  // read only: nothing is lost if the close fails
    if (!size) return std::nullopt;
    return *size;
}

bool in_range(std::int64_t value, std::uint32_t low, std::uint32_t high) {
    return value >= low && value <= high;
}

// The walk over the fields of line 1. Each handler returns false when the parse must end at
// once with false; whether its key counts is recorded in `accepted`.
class HeaderWalk {
public:
    HeaderWalk(const platform::DriveTable& drives, const std::u16string& project_path,
               const HeaderRanges& ranges, _TmFileInfo_t& out)
        : drives_(drives), folder_(file_folder(project_path)), ranges_(ranges), out_(out) {}

    bool take(_TmProjectKey_e key, std::u16string_view value) {
        switch (key) {
            case TM_PROJECT_KEY_VERSION:
                out_.Version = text_to_int32(value);
                accepted_.set(key);
                return true;
            case TM_PROJECT_KEY_IQ_FILE: return take_sample(value);
            case TM_PROJECT_KEY_IQ_RATE: take_rate(value); return true;
            case TM_PROJECT_KEY_CENTER: take_centre(value); return true;
            case TM_PROJECT_KEY_TRACKING:
                out_.Tracking = text_to_int32(value);
                // From the rate known at this point: the default unless "IQ Rate" came first.
                out_.Bandwidth = file_bandwidth(out_.IQRate);
                accepted_.set(key);
                return true;
            case TM_PROJECT_KEY_AGC: {
                const std::int32_t agc = text_to_int32(value);
                if (agc == 0 || agc == 1) {
                    out_.AGC = agc;
                    accepted_.set(key);
                }
                return true;
            }
            case TM_PROJECT_KEY_COUNT: break;
        }
        return true;
    }

    bool all_accepted() const { return accepted_.all(); }

private:
    bool take_sample(std::u16string_view value) {
        // The value names a file in the project's own folder; anything that could point
        // elsewhere (a folder, "..", a drive) is refused, not followed.
        if (!platform::check_bare_name(value)) return false;
        const auto size = sample_file_size(drives_, folder_ + std::u16string(value));
        if (!size) return false;
        if (!set_file_info_name(out_.SampleName, value)) return false;
        out_.SampleSize = *size;
        out_.TimeStamp = name_time_stamp(value);
        if (iqw_playable(*size)) accepted_.set(TM_PROJECT_KEY_IQ_FILE);
        return true;
    }

    void take_rate(std::u16string_view value) {
        const std::int32_t rate = text_to_int32(value);
        if (!in_range(rate, ranges_.iq_rate_min, ranges_.iq_rate_max)) return;
        const std::uint32_t bytes_per_second = iqw_bytes_per_second(rate);
        const auto duration = iqw_duration_s(out_.SampleSize, bytes_per_second);
        if (!duration) return;  // a rate that gives no bytes per second cannot time the file
        out_.IQRate = static_cast<std::uint32_t>(rate);
        out_.Duration = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(*duration, std::numeric_limits<std::uint32_t>::max()));
        accepted_.set(TM_PROJECT_KEY_IQ_RATE);
    }

    void take_centre(std::u16string_view value) {
        std::int64_t centre = text_to_int64(value);
        if (centre < 0) centre = 0;
        if (!in_range(centre, ranges_.centre_min, ranges_.centre_max)) return;
        out_.CenterFreq = static_cast<std::uint32_t>(centre);
        accepted_.set(TM_PROJECT_KEY_CENTER);
    }

    const platform::DriveTable& drives_;
    const std::u16string folder_;
    const HeaderRanges& ranges_;
    _TmFileInfo_t& out_;
    // One bit per key: a key given twice counts once.
    std::bitset<TM_PROJECT_KEY_COUNT> accepted_;
};

}  // namespace

bool parse_project_header(const platform::DriveTable& drives, std::uint32_t tag,
                          const std::u16string& project_path, const HeaderRanges& ranges,
                          _TmFileInfo_t& out) {
    auto posix = drives.resolve(project_path);
    if (!posix) return false;
    auto reader = platform::TextLineReader::open(*posix);
    if (!reader) return false;
    auto line = reader->next_line();
    (void)reader->close();  // read only: nothing is lost if the close fails

    fill_defaults(tag, out);
    if (!set_file_info_name(out.ProjectName, file_name(project_path))) return false;
    if (!line || !line->has_value()) return false;

    const std::vector<std::u16string_view> fields = non_empty_fields(**line);
    HeaderWalk walk(drives, project_path, ranges, out);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto key = find_key(fields[i]);
        if (!key) continue;  // an unknown key or a value without a key
        if (i + 1 == fields.size()) break;
        if (!walk.take(*key, fields[++i])) return false;
    }
    return walk.all_accepted();
}

bool parse_project_header(std::uint32_t tag, const std::u16string& project_path,
                          const HeaderRanges& ranges, _TmFileInfo_t& out) {
    return parse_project_header(platform::process_drives(), tag, project_path, ranges, out);
}
