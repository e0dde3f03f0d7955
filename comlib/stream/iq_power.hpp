#pragma once
// Power of a block of recorded I/Q samples: the sums of I² and of Q² that the recorder reports
// as signal level while it writes 70 MS/s (280 MB/s) to disk, so they must cost far less than
// the write itself.
//
// A sample is two interleaved signed 16-bit values, I then Q; counts are numbers of samples.
// The summing works on groups of 16 bytes (four samples) and a count is rounded UP to whole
// groups: count 5 reads 8 samples. The recorder always passes multiples of 4; the caller owns the
// bytes up to the end of the last group. Blocks are meant to be 16-byte aligned, but any address
// is read correctly (only more slowly). iq_sum_squares is the exact form for any count.
//
// Thread-safety: plain functions on the caller's memory, no shared state; any thread may call
// them at the same time on any blocks.

#include <cstdint>

namespace tamrel::stream {

// The two 64-bit sums: lane[0] holds the sum of I², lane[1] the sum of Q². Laid out as one
// 128-bit value so the vector path stores it in one go.
struct alignas(16) IqPowerLanes {
    std::uint64_t lane[2];
};

// Number of 16-byte groups `count` samples occupy: 0 for 0, else ((count - 1) / 4) + 1.
constexpr std::uint32_t iq_power_groups(std::uint32_t count) {
    return count == 0 ? 0 : ((count - 1) / 4) + 1;
}

// Sums the groups from `data` upward into `result` (overwritten, not added to). Each square is
// the 32-bit product widened to 64 bits without sign; no count can overflow a lane
// (2^32 samples × 2^30 < 2^64). Returns the address just after the last group read.
const std::int16_t* iq_sum_power(const std::int16_t* data, std::uint32_t count,
                                 IqPowerLanes& result);

// The same sums over the groups just below `end`, read from the top down (the pointer moves down
// 16 bytes before each group), so the most recently written samples are read first, while they
// are still in cache. Returns the lowest address read.
const std::int16_t* iq_sum_power_from_last(const std::int16_t* end, std::uint32_t count,
                                           IqPowerLanes& result);

// The same groups and lanes in double precision: each 32-bit square is converted to double and
// added to a double lane. Exact, and so equal to iq_sum_power, while a lane stays below 2^53.
// Returns the address just after the last group read.
const std::int16_t* iq_sum_power_double(const std::int16_t* data, std::uint32_t count,
                                        double result[2]);

// The exact sum of I² + Q² over samples [0, count) for any count: whole groups on the fast
// path, then the 0 to 3 remaining samples one by one. Reads nothing past sample count - 1.
std::uint64_t iq_sum_squares(const std::int16_t* data, std::uint32_t count);

namespace detail {

// The portable path the functions above use when no vector path is compiled. The vector path
// gives bit-for-bit the same results (the double form adds in the same order).
const std::int16_t* iq_sum_power_scalar(const std::int16_t* data, std::uint32_t count,
                                        IqPowerLanes& result);
const std::int16_t* iq_sum_power_double_scalar(const std::int16_t* data, std::uint32_t count,
                                               double result[2]);

// Whether the functions above run the vector path in this build.
bool iq_power_vectorised();

}  // namespace detail

}  // namespace tamrel::stream
