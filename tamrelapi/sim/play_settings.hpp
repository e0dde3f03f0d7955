#pragma once
// How the session set up the play path: the first generation's bandwidth type, play rate, centre
// frequency, gain and spectral inversion, and the second generation's play I/Q rate, centre frequency and gains. The
// first generation's play sink takes its rate from here when a run starts; the second
// generation's plays at the rate of Tm2SetDMAInitCtrl (TransferSettings::dma_play_rate).

#include <optional>

namespace tamrel::sim {

struct PlaySettings {
    unsigned bandwidth = 0;              // PlaySetBW: 0 10,000,000, 1 30,000,000, 2 other
    unsigned iq_rate = 10'000'000;       // PlaySetBW, samples per second
    unsigned center_freq = 100'000'000;  // PlaySetCenterFreq, Hz
    short gain = 0;                      // PlaySetGain, 0.1 dB
    unsigned spectral_inversion = 0;     // PlaySetSpectralInv: 0 off, 1 on
    // Second generation: none until the session sets one, then the last one set.
    std::optional<unsigned> tm2_iq_rate;   // Tm2PlaySetIQRate, samples per second
    std::optional<unsigned> tm2_freq;      // Tm2PlaySetFreq, Hz
    std::optional<short> file_power_gain;  // Tm2PlaySetFilePowerGain, 0.1 dB
    std::optional<short> user_gain;        // Tm2PlaySetUserGain, 0.1 dB

    friend bool operator==(const PlaySettings&, const PlaySettings&) = default;
};

inline constexpr unsigned play_bandwidth_types = 3;
inline constexpr unsigned min_play_iq_rate = 1'000;
inline constexpr unsigned max_play_iq_rate = 70'000'000;
inline constexpr unsigned min_play_center_freq = 50'000'000;
inline constexpr unsigned max_play_center_freq = 1'000'000'000;
inline constexpr unsigned min_tm2_play_freq = 100'000;
inline constexpr short min_play_gain = -300;
inline constexpr short max_play_gain = 300;

constexpr bool is_play_iq_rate(unsigned rate) {
    return rate >= min_play_iq_rate && rate <= max_play_iq_rate;
}

constexpr bool is_play_center_freq(unsigned hz) {
    return hz >= min_play_center_freq && hz <= max_play_center_freq;
}

constexpr bool is_play_gain(short tenth_db) {
    return tenth_db >= min_play_gain && tenth_db <= max_play_gain;
}

}  // namespace tamrel::sim
