#pragma once
// What the bytes of a capture run hold. The stream is 4 bytes per sample (I then Q, each a signed
// 16-bit little-endian value) and its content is a function of the byte's position in the run,
// so any stretch of it can be written on demand, in any order, by whoever reads it.
//
//   signal    the tone and noise of capture_signal.hpp, at the level in force
//   counter   sample n is the little-endian 32-bit value n (wrapping): I is its low half, Q its
//             high half. A reader can tell exactly which samples it got, so a test can prove
//             that nothing was lost, duplicated or reordered, and see where something was.
//   constant  every sample is the same (I, Q) pair

#include <cstddef>
#include <cstdint>
#include <memory>

#include "tamrelapi/sim/capture_signal.hpp"

namespace tamrel::sim {

enum class CaptureContent { signal, counter, constant };

// The content of a run as one reader takes it.
struct ContentSettings {
    CaptureContent content = CaptureContent::signal;
    std::int16_t constant_i = 0;
    std::int16_t constant_q = 0;
    std::shared_ptr<const SignalTable> table;  // signal only; never null for signal
};

// Writes bytes [first_byte, first_byte + length) of a run into `out`.
void fill_stream(const ContentSettings& settings, std::uint64_t first_byte, unsigned char* out,
                 std::size_t length);

}  // namespace tamrel::sim
