// The gain and power tables of the recording selected for play: one entry per recorded second
// (entry k is second k + 1), read from the gain lines of its project file or files, plus the
// loudest second, which sets the play gain of a recording made without AGC.

#include <algorithm>

#include "comlib/files/file_manage.hpp"
#include "comlib/files/gain_lines.hpp"
#include "comlib/files/play_list.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"

namespace {
// Room for more than three years of seconds; a header claiming more is not a recording.
constexpr unsigned kMaxGainEntries = 100'000'000;
constexpr std::size_t kSpareEntries = 10;
}  // namespace

unsigned CTamrelComMFC::AllocPlayFileGainBuffer(unsigned entries) {
    if (entries > kMaxGainEntries) return kStatusRefused;
    play_gain_table_.assign(entries + kSpareEntries, 0.0F);
    play_power_table_.assign(entries + kSpareEntries, 0.0F);
    return 0;
}

void CTamrelComMFC::FreePlayFileGainBuffer() {
    std::vector<float>().swap(play_gain_table_);
    std::vector<float>().swap(play_power_table_);
}

unsigned CTamrelComMFC::fill_gain_tables(const std::vector<std::u16string>& projects, bool position_by_count,
                                         double& max_power, unsigned& max_position) {
    const std::uint32_t duration = setting_.get(&_TmSettingBlock_t::PlayFileLength);
    max_power = static_cast<double>(kNoPower);
    max_position = 0;
    if (AllocPlayFileGainBuffer(duration) != 0) {
        FreePlayFileGainBuffer();
        return kStatusRefused;
    }
    const std::size_t limit = std::size_t{duration} + 1;
    std::size_t filled = 0;
    float loudest = kNoPower;
    for (const std::u16string& project : projects) {
        if (filled >= limit) break;
        auto tables = read_gain_lines(project, limit - filled - 1);
        if (!tables) continue;  // a member that cannot be read adds no seconds
        const std::size_t count = std::min(tables->gain.size(), limit - filled);
        std::copy_n(tables->gain.begin(), count, play_gain_table_.begin() + static_cast<std::ptrdiff_t>(filled));
        std::copy_n(tables->power.begin(), count, play_power_table_.begin() + static_cast<std::ptrdiff_t>(filled));
        if (tables->lines_to_max > 0 && tables->max_power > loudest) {
            loudest = tables->max_power;
            max_position = position_by_count ? static_cast<unsigned>(filled + tables->lines_to_max)
                                             : static_cast<unsigned>(tables->max_power_time);
        }
        filled += count;
    }
    // Seconds without a line of their own (a recording cut short) keep the last gain recorded.
    const float last = filled > 0 ? play_gain_table_[filled - 1] : 0.0F;
    std::fill(play_gain_table_.begin() + static_cast<std::ptrdiff_t>(filled),
              play_gain_table_.begin() + static_cast<std::ptrdiff_t>(std::min(limit + 1, play_gain_table_.size())), last);
    max_power = static_cast<double>(loudest);
    return 0;
}

unsigned CTamrelComMFC::TmPlayFileExGetAllGainFromWPJFullPath(const std::u16string& project_path, double& max_power,
                                                              unsigned& max_position) {
    return fill_gain_tables({project_path}, false, max_power, max_position);
}

unsigned CTamrelComMFC::TmPlayFileGetAllGainFromWPJFullPath(const std::u16string& project_path, double& max_power,
                                                            unsigned& max_position) {
    const unsigned status = fill_gain_tables({project_path}, false, max_power, max_position);
    send_recorded_lines(project_path, std::size_t{setting_.get(&_TmSettingBlock_t::PlayFileLength)} + 1);
    return status;
}

namespace {
std::vector<std::u16string> project_paths(const std::vector<TmPlayListEntry>& files) {
    std::vector<std::u16string> paths;
    paths.reserve(files.size());
    for (const TmPlayListEntry& file : files) paths.push_back(file.project_path);
    return paths;
}
}  // namespace

unsigned CTamrelComMFC::TmPlayFileExGetAllGainFromBBRFullPath(const std::u16string& /*event_path*/,
                                                              double& max_power, unsigned& max_position) {
    // The set was read by its opener: its files are the catalogue's black-box file list.
    return fill_gain_tables(project_paths(tm_file_manage().black_box_file_list()), true, max_power, max_position);
}

unsigned CTamrelComMFC::TmPlayFileExGetAllGainFromWERFullPath(const std::u16string& /*event_path*/,
                                                              double& max_power, unsigned& max_position) {
    return fill_gain_tables(project_paths(tm_file_manage().event_play_list()), true, max_power, max_position);
}
