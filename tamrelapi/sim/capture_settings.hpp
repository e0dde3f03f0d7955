#pragma once
// How the session set up the first generation's capture path: centre frequency, input range,
// pre-amplifier, loop-through, AGC and its speed. The input range also sets the capture gain the
// board reports (Readings::capture_gain); the rest is recorded for the session to read back.

namespace tamrel::sim {

struct CaptureSettings {
    unsigned center_freq = 474'000'000;  // CaptureSetCenterFreq, Hz
    short range = -300;                  // CaptureSetRange, 0.1 dBm
    unsigned pre_amp = 0;                // CaptureSetPreAmp: 0 off, 1 on
    unsigned loop_through = 0;           // CaptureSetLoopThr: 0 off, 1 on
    unsigned agc = 0;                    // CaptureSetAGC: 0 off, 1 on
    unsigned agc_speed = 100;            // CaptureSetAGCSpeed, ms

    friend bool operator==(const CaptureSettings&, const CaptureSettings&) = default;
};

inline constexpr unsigned min_capture_center_freq = 34'000'000;
inline constexpr unsigned max_capture_center_freq = 1'000'000'000;
inline constexpr short min_capture_range = -550;
inline constexpr short max_capture_range = 0;
inline constexpr unsigned min_agc_speed = 10;
inline constexpr unsigned max_agc_speed = 1'000;

constexpr bool is_capture_center_freq(unsigned hz) {
    return hz >= min_capture_center_freq && hz <= max_capture_center_freq;
}

constexpr bool is_capture_range(short tenth_dbm) {
    return tenth_dbm >= min_capture_range && tenth_dbm <= max_capture_range;
}

constexpr bool is_agc_speed(unsigned ms) {
    return ms >= min_agc_speed && ms <= max_agc_speed;
}

// The capture gain, 0.1 dB, that brings a signal at the top of the input range to full scale:
// a range of -30.0 dBm needs 30.0 dB. The range is at most 0, so the gain is never negative.
constexpr short capture_gain_of_range(short tenth_dbm) {
    return static_cast<short>(-tenth_dbm);
}

// A 0/1 switch of the capture and system settings.
constexpr bool is_switch(unsigned value) {
    return value <= 1;
}

}  // namespace tamrel::sim
