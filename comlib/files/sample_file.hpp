#pragma once
// The sample file (".iqw"): raw IQ samples, no header and no trailer. Each sample is 4 bytes,
// the I then the Q component, each a signed 16-bit little-endian integer. A recording writes
// whole units of 1 MiB; a file is offered for play only from 1 MiB on.
//
// Thread-safety: free functions without state; safe from any thread.

#include <cstdint>
#include <optional>

inline constexpr std::uint32_t kIqwBytesPerSample = 4;
// A recording's size is a whole number of these.
inline constexpr std::uint64_t kIqwRecordingUnit = 1'048'576;
// The smallest sample file a reader accepts for play.
inline constexpr std::uint64_t kIqwMinPlayableBytes = 1'048'576;

struct IqSample {
    std::int16_t i;
    std::int16_t q;
};

constexpr std::uint64_t iqw_sample_count(std::uint64_t file_size) {
    return file_size / kIqwBytesPerSample;
}

constexpr bool iqw_playable(std::uint64_t file_size) { return file_size >= kIqwMinPlayableBytes; }

// Bytes per second at an IQ rate in Hz: rate × 4 in double, plus 0.5, truncated. 0 when the
// result does not fit 32 bits, or the rate is negative or not a number; callers refuse a rate
// that gives 0 rather than divide by it.
std::uint32_t iqw_bytes_per_second(double iq_rate_hz);

// Whole seconds in `file_size` bytes (64-bit division, truncated); empty for 0 bytes per second.
std::optional<std::uint64_t> iqw_duration_s(std::uint64_t file_size, std::uint32_t bytes_per_second);

void encode_iq_sample(IqSample sample, unsigned char (&bytes)[kIqwBytesPerSample]);
IqSample decode_iq_sample(const unsigned char (&bytes)[kIqwBytesPerSample]);
