#pragma once
// Time as the system uses it: the local calendar time (file names and start times), a
// millisecond tick that wraps at 2^32 like the tick count the code was written against, and
// sleeps.

#include <cstdint>

namespace platform {

struct LocalTime {
    int year = 0;
    int month = 0;         // 1..12
    int day = 0;           // 1..31
    int hour = 0;          // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int day_of_week = 0;   // 0 = Sunday
};

// The current local time (time zone of the process).
LocalTime local_time();

// Milliseconds since an arbitrary start, modulo 2^32. Compare ticks only through
// tick_elapsed(), which stays right across the wrap.
std::uint32_t tick_ms();

// Milliseconds from `earlier` to `later`, correct when the tick wrapped once in between.
constexpr std::uint32_t tick_elapsed(std::uint32_t earlier, std::uint32_t later) {
    return later - earlier;
}

// Shifts tick_ms() by `offset` ms; lets tests run the code near the wrap. Not for production use.
void set_tick_offset_for_tests(std::uint32_t offset);

// Sleeps `ms` milliseconds; 0 gives up the rest of the time slice (a yield).
void sleep_ms(std::uint32_t ms);

}  // namespace platform
