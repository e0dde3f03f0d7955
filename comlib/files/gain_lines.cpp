#include "comlib/files/gain_lines.hpp"

#include "comlib/files/project_lines.hpp"
#include "comlib/files/text_numbers.hpp"
#include "platform/fs/text_line_reader.hpp"

#include <limits>

namespace {

constexpr std::size_t kGainField = 1;
constexpr std::size_t kPowerField = 3;
constexpr std::size_t kTimeField = 7;

// Field `index` of `line` between commas, counting empty fields; empty when there are fewer.
std::u16string_view field_at(std::u16string_view line, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = line.find(u',', start);
        if (comma == std::u16string_view::npos) return {};
        start = comma + 1;
    }
    const std::size_t end = line.find(u',', start);
    return line.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
}

// A double as a float; beyond the float range it becomes an infinity of its sign (converting
// an out-of-range value directly is undefined).
float to_float(double value) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest) return std::numeric_limits<float>::infinity();
    if (value < -largest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

std::optional<GainLine> parse_gain_line(std::u16string_view line) {
    if (!line.starts_with(kGainLinePrefix)) return std::nullopt;
    GainLine parsed;
    parsed.gain = to_float(text_to_double(field_at(line, kGainField)));
    parsed.power = to_float(text_to_double(field_at(line, kPowerField)));
    parsed.time = text_to_int32(field_at(line, kTimeField));
    return parsed;
}

bool is_gps_line(std::u16string_view line) { return line.starts_with(kGpsLinePrefix); }

platform::Result<GainTables> read_gain_lines(const platform::DriveTable& drives,
                                             std::u16string_view project_path,
                                             std::size_t expected_seconds) {
    auto posix = drives.resolve(project_path);
    if (!posix) return posix.status();
    auto reader = platform::TextLineReader::open(*posix);
    if (!reader) return reader.status();

    // The table grows line by line rather than being reserved: expected_seconds comes from a
    // file and may be far larger than what the file holds.
    const std::size_t capacity =
        expected_seconds == std::numeric_limits<std::size_t>::max() ? expected_seconds : expected_seconds + 1;
    GainTables tables;
    bool header = true;
    for (;;) {
        auto line = reader->next_line();
        if (!line) return line.status();
        if (!line->has_value()) break;
        if (header) {  // line 1 is the header, read by parse_project_header
            header = false;
            continue;
        }
        const std::u16string& text = **line;
        if (is_gps_line(text)) {
            tables.gps_lines.push_back(text);
            continue;
        }
        const auto gain = parse_gain_line(text);
        if (!gain || tables.gain.size() == capacity) continue;
        tables.gain.push_back(gain->gain);
        tables.power.push_back(gain->power);
        if (gain->power > tables.max_power) {
            tables.max_power = gain->power;
            tables.max_power_time = gain->time;
            tables.lines_to_max = tables.gain.size();
        }
    }
    if (platform::Status s = reader->close(); !s) return s;
    return tables;
}

platform::Result<GainTables> read_gain_lines(std::u16string_view project_path,
                                             std::size_t expected_seconds) {
    return read_gain_lines(platform::process_drives(), project_path, expected_seconds);
}
