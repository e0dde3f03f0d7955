#pragma once
// The signal the simulated receiver captures: a tone with noise 40 dB below it, at the level that
// makes a recorder on this board read the configured input level. A recorder measures
//   POWER = gain_dB + dBFS - 11.3 + 1.888 + cal_dB
// with dBFS = 10 log10(mean square per component / 32768^2), so the signal's mean square follows
// from the input level, the capture gain and the I/Q power calibration.
//
// Producing samples must cost no more than a copy (the source serves gigabytes per second when
// unpaced), so one period of the signal is computed once per level and then copied from: the
// tone sits on a frequency bin of the period, so the period repeats seamlessly.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tamrel::sim {

// What the board's receive path does to the input: the capture gain in force and the
// generation's I/Q power calibration.
struct SignalPath {
    double gain_db = 0.0;
    double cal_db = 0.0;

    friend bool operator==(const SignalPath&, const SignalPath&) = default;
};

// Everything the signal's samples depend on.
struct SignalLevel {
    double input_dbm = -30.0;
    SignalPath path;
    std::uint64_t seed = 1;  // phase of the tone and the noise

    friend bool operator==(const SignalLevel&, const SignalLevel&) = default;
};

// The mean square per component (I or Q) that a recorder reads as `level.input_dbm`, before
// clamping to full scale.
double signal_mean_square(const SignalLevel& level);

// One period of the signal, as the bytes of the stream: 4 per sample, I then Q, each a signed
// 16-bit little-endian value. Built once, then only read.
//
// Thread-safety: immutable after construction; share it freely.
class SignalTable {
public:
    static constexpr std::size_t period_samples = std::size_t{1} << 20;

    explicit SignalTable(const SignalLevel& level);

    const SignalLevel& level() const { return level_; }
    std::span<const unsigned char> bytes() const { return bytes_; }

private:
    SignalLevel level_;
    std::vector<unsigned char> bytes_;
};

}  // namespace tamrel::sim
