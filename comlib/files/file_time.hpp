#pragma once
// Time stamps of recordings as the file record carries them: a Windows FILETIME, 100 ns units
// since 1601-01-01 00:00, holding LOCAL wall-clock time. The fields are counted as if they were
// UTC, with no zone shift, so the value reads back as the same wall-clock time on any machine
// whatever its time zone.
//
// Thread-safety: free functions without state; safe from any thread.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/sys/time.hpp"

// The FILETIME of the wall-clock fields (year .. millisecond; day_of_week is ignored). Empty
// when a field is out of its calendar range or the year is outside 1601..30827, the years a
// FILETIME calendar time can take.
std::optional<std::uint64_t> file_time_from_local(const platform::LocalTime& t);

// The time stamp a recording's name begins with, "YYYYMMDD_hhmmss" ("%04d%02d%02d_%02d%02d%02d"
// as scanf reads it), as a FILETIME; 0 when the name does not begin with all six fields or they
// are not a valid time. "20170315_142501.iqw" has one; "Cap_20170315_142501.iqw" does not.
std::uint64_t name_time_stamp(std::u16string_view name);
