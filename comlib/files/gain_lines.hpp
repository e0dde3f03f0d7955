#pragma once
// Reading the per-second lines of a project file (everything after line 1) for play: the gain
// and power of each second, the second of the strongest power, and the GPS sentences.
//
// Thread-safety: free functions; safe from any thread (the drive table is thread-safe). The
// tables returned belong to the caller.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/drive_table.hpp"
#include "platform/status.hpp"

struct GainLine {
    float gain = 0.0F;    // dB
    float power = 0.0F;   // dBm
    int time = 0;         // the second, from 1
};

// A line whose first five units are "$GAIN": its fields between commas (empty ones keep their
// place) give field 1 the gain, field 3 the power, field 7 the time. A missing or unconvertible
// field reads 0. Empty for any other line.
std::optional<GainLine> parse_gain_line(std::u16string_view line);

// A line that begins with "$GPRMC".
bool is_gps_line(std::u16string_view line);

// Where the power tracking starts: any real reading is above it.
inline constexpr float kNoPower = -200.0F;

struct GainTables {
    // One entry per gain line, in file order, at most expected_seconds + 1 of them; gain lines
    // beyond that are ignored.
    std::vector<float> gain;
    std::vector<float> power;
    // The strongest power among the stored lines (the first of equal ones), the time field of
    // its line, and how many gain lines were read up to and including it; kNoPower, 0, 0 when
    // there is no gain line.
    float max_power = kNoPower;
    int max_power_time = 0;
    std::size_t lines_to_max = 0;
    // The GPS sentences of the whole file in order, without their line ends.
    std::vector<std::u16string> gps_lines;
};

// Reads the project file at `project_path` (Windows form, resolved through `drives`). Lines that
// are neither gain lines nor GPS sentences are passed over; a line longer than the reader's
// 1023-unit piece is seen as its pieces. Fails only when the file cannot be opened or read.
platform::Result<GainTables> read_gain_lines(const platform::DriveTable& drives,
                                             std::u16string_view project_path,
                                             std::size_t expected_seconds);

// The same on the drives of the process.
platform::Result<GainTables> read_gain_lines(std::u16string_view project_path,
                                             std::size_t expected_seconds);
