#include "tamrelapi/sim/capture_signal.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace tamrel::sim {
namespace {

constexpr double kFullScale = 32768.0;
constexpr double kLargestValue = 32767.0;
// What the recorder adds to gain + dBFS + calibration to give dBm.
constexpr double kRecorderOffsetDb = -11.3 + 1.888;
constexpr double kNoiseBelowToneDb = 40.0;
// The noise peaks of a tone at full scale must still fit: the tone keeps this much headroom.
constexpr double kHeadroom = 1.04;
// The tone's frequency bin in the period: well away from 0 and from the band edge, and prime so
// that its samples visit the whole circle evenly.
constexpr std::uint64_t kToneBin = 104'729;
// The tone turns by one step per sample (a multiplication); every this many samples it is set
// from its exact angle again, so rounding never builds up.
constexpr std::uint64_t kToneAnchorEvery = 4096;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// SplitMix64: a small generator whose sequence is fixed by its seed on every platform (the
// standard distributions are not).
std::uint64_t next_random(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Close to a normal value of mean 0 and variance 1, cheaply: the sum of the four 16-bit quarters of
// one random number (Irwin-Hall), scaled.
double next_noise(std::uint64_t& state) {
    constexpr double kQuarterMean = 65535.0 / 2.0;
    constexpr double kQuarterVariance = (65536.0 * 65536.0 - 1.0) / 12.0;
    const double scale = 1.0 / std::sqrt(4.0 * kQuarterVariance);
    const std::uint64_t bits = next_random(state);
    double sum = 0.0;
    for (int quarter = 0; quarter < 4; ++quarter) {
        sum += static_cast<double>((bits >> (16 * quarter)) & 0xFFFFU) - kQuarterMean;
    }
    return sum * scale;
}

void put_component(unsigned char* out, double value) {
    const long rounded = std::lrint(std::clamp(value, -kFullScale, kLargestValue));
    const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(rounded));
    out[0] = static_cast<unsigned char>(bits & 0xFFU);
    out[1] = static_cast<unsigned char>(bits >> 8);
}

}  // namespace

double signal_mean_square(const SignalLevel& level) {
    const double dbfs =
        level.input_dbm - level.path.gain_db - level.path.cal_db - kRecorderOffsetDb;
    return kFullScale * kFullScale * std::pow(10.0, dbfs / 10.0);
}

SignalTable::SignalTable(const SignalLevel& level)
    : level_(level), bytes_(period_samples * 4) {
    // Per component the tone contributes amplitude^2 / 2 and the noise sigma^2, which is
    // noise_ratio times the tone's share.
    const double noise_ratio = std::pow(10.0, -kNoiseBelowToneDb / 10.0);
    const double wanted = std::sqrt(2.0 * signal_mean_square(level) / (1.0 + noise_ratio));
    const double amplitude = std::min(wanted, kLargestValue / kHeadroom);
    const double sigma = amplitude * std::sqrt(noise_ratio / 2.0);

    std::uint64_t state = level.seed;
    const double phase = kTwoPi * static_cast<double>(next_random(state) >> 11) * 0x1.0p-53;
    const double per_turn = kTwoPi / static_cast<double>(period_samples);
    // The exact tone at sample n: its angle is reduced before it becomes floating point, so the
    // last sample of the period leads smoothly into the first.
    const auto tone_at = [&](std::uint64_t n) {
        const std::uint64_t turn = (kToneBin * n) % period_samples;
        return std::polar(amplitude, per_turn * static_cast<double>(turn) + phase);
    };
    const std::complex<double> step = std::polar(1.0, per_turn * static_cast<double>(kToneBin));
    double re = 0.0;
    double im = 0.0;
    unsigned char* out = bytes_.data();
    for (std::uint64_t n = 0; n < period_samples; ++n, out += 4) {
        if (n % kToneAnchorEvery == 0) {
            const std::complex<double> exact = tone_at(n);
            re = exact.real();
            im = exact.imag();
        } else {
            const double turned = re * step.real() - im * step.imag();
            im = re * step.imag() + im * step.real();
            re = turned;
        }
        put_component(out, re + sigma * next_noise(state));
        put_component(out + 2, im + sigma * next_noise(state));
    }
}

}  // namespace tamrel::sim
