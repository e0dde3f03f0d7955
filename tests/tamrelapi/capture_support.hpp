#pragma once
// Helpers of the capture tests: the capture DMA of either generation through the device library,
// the counter content decoded, and the power a recorder would measure.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {

// Start, Stop and Read of the board of that kind (Tm2Start, Tm2Stop and Tm2Read on the second).
inline unsigned start_capture(api::DeviceKind kind) {
    return kind == api::DeviceKind::first_generation ? CTamrelAPI{}.Start()
                                                     : CTamrelAPI{}.Tm2Start();
}

inline unsigned stop_capture(api::DeviceKind kind) {
    return kind == api::DeviceKind::first_generation ? CTamrelAPI{}.Stop() : CTamrelAPI{}.Tm2Stop();
}

inline unsigned read_capture(api::DeviceKind kind, void* buffer, unsigned length,
                             unsigned& transferred) {
    return kind == api::DeviceKind::first_generation
               ? CTamrelAPI{}.Read(buffer, length, transferred)
               : CTamrelAPI{}.Tm2Read(buffer, length, transferred);
}

// What one read gave: empty when it took nothing. Fails the test on a status other than ok or a
// partial transfer.
inline std::vector<unsigned char> read_block(api::DeviceKind kind, unsigned length) {
    std::vector<unsigned char> bytes(length);
    unsigned transferred = 0xDEADBEEF;
    EXPECT_EQ(read_capture(kind, bytes.data(), length, transferred), 0U);
    EXPECT_TRUE(transferred == 0 || transferred == length) << transferred;
    bytes.resize(transferred == length ? length : 0);
    return bytes;
}

// Counter content: sample n holds the little-endian 32-bit value n.
inline std::uint32_t counter_at(const unsigned char* sample) {
    return static_cast<std::uint32_t>(sample[0]) | (static_cast<std::uint32_t>(sample[1]) << 8) |
           (static_cast<std::uint32_t>(sample[2]) << 16) |
           (static_cast<std::uint32_t>(sample[3]) << 24);
}

// Byte `position` of a counter stream that begins at sample 0.
inline unsigned char counter_byte(std::uint64_t position) {
    const auto sample = static_cast<std::uint32_t>(position / 4);
    return static_cast<unsigned char>((sample >> (8 * (position % 4))) & 0xFFU);
}

// The power in dBm a recorder reads from these samples: gain + dBFS - 11.3 + 1.888 + cal, with
// dBFS from the mean square per component.
inline double recorder_power_dbm(const std::vector<unsigned char>& bytes, double gain_db,
                                 double cal_db) {
    double sum = 0.0;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto value = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(bytes[at] | (static_cast<unsigned>(bytes[at + 1]) << 8)));
        sum += static_cast<double>(value) * value;
    }
    const double mean_square = sum / static_cast<double>(bytes.size() / 2);
    const double dbfs = 10.0 * std::log10(mean_square / (32768.0 * 32768.0));
    return gain_db + dbfs - 11.3 + 1.888 + cal_db;
}

// Polls `condition` until it holds or `limit` has passed; whether it held.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline bool stats_add_up(const sim::CaptureStats& s) {
    return s.produced == s.delivered + s.lost + s.discarded + s.waiting;
}

}  // namespace tamrel::test
