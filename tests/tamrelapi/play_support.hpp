#pragma once
// Helpers of the play tests: the play DMA of either generation through the device library, as
// the session drives it, and byte patterns with their hashes.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/sim/play_hash.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {

// The session's start sequence at `rate` samples/s: first generation PlaySetBW (type 2),
// RF output on, FifoReset and Start; second generation Tm2SetDMAInitCtrl(false, rate) and
// Tm2Start. The first status that is not 0, else 0.
inline unsigned start_play(api::DeviceKind kind, unsigned rate) {
    const CTamrelAPI api;
    if (kind == api::DeviceKind::first_generation) {
        for (const unsigned status :
             {api.PlaySetBW(2, rate), api.PlaySetRfOutEnable(true), api.FifoReset(), api.Start()}) {
            if (status != 0) return status;
        }
        return 0;
    }
    if (const unsigned status = api.Tm2SetDMAInitCtrl(false, rate)) return status;
    return api.Tm2Start();
}

// The session's stop sequence: first generation RF output off, Stop and FifoReset; second
// generation Tm2Stop.
inline unsigned stop_play(api::DeviceKind kind) {
    const CTamrelAPI api;
    if (kind == api::DeviceKind::first_generation) {
        for (const unsigned status : {api.PlaySetRfOutEnable(false), api.Stop(), api.FifoReset()}) {
            if (status != 0) return status;
        }
        return 0;
    }
    return api.Tm2Stop();
}

// Write or Tm2Write of the board of that kind.
inline unsigned write_play(api::DeviceKind kind, const void* buffer, unsigned length,
                           unsigned& transferred) {
    return kind == api::DeviceKind::first_generation
               ? CTamrelAPI{}.Write(buffer, length, transferred)
               : CTamrelAPI{}.Tm2Write(buffer, length, transferred);
}

// What one write took: `bytes.size()` or 0. Fails the test on a status other than ok or a
// partial transfer.
inline unsigned write_block(api::DeviceKind kind, const std::vector<unsigned char>& bytes) {
    unsigned transferred = 0xDEADBEEF;
    const auto length = static_cast<unsigned>(bytes.size());
    EXPECT_EQ(write_play(kind, bytes.data(), length, transferred), 0U);
    EXPECT_TRUE(transferred == 0 || transferred == length) << transferred;
    return transferred;
}

inline unsigned byte_indicator() {
    unsigned indicator = 0xDEADBEEF;
    EXPECT_EQ(CTamrelAPI{}.GetPlayByteIndicator(indicator), 0U);
    return indicator;
}

// `size` bytes that differ from block to block (`seed`) and from byte to byte.
inline std::vector<unsigned char> pattern(std::size_t size, std::uint64_t seed) {
    std::vector<unsigned char> bytes(size);
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ULL + 1;
    for (unsigned char& byte : bytes) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        byte = static_cast<unsigned char>(x >> 56);
    }
    return bytes;
}

inline bool play_stats_add_up(const sim::PlayStats& s) {
    return s.received == s.consumed + s.discarded + s.waiting;
}

}  // namespace tamrel::test
