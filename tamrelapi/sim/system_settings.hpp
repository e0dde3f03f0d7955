#pragma once
// How the session set up the first-generation board as a whole: its mode (play, capture or
// full-band capture), the 10 MHz reference and the trigger. Recorded for the session to read back;
// the board mode does not change what Start starts (the RF output decides that).

namespace tamrel::sim {

struct SystemSettings {
    unsigned board_mode = 1;  // SetCapturePlayMode: 0 play, 1 capture, 3 full-band capture
    unsigned ref_10m = 0;     // SetRef10M: 0 internal, 1 external
    unsigned trigger = 0;     // SetTrigger: 0 off, 1 on

    friend bool operator==(const SystemSettings&, const SystemSettings&) = default;
};

inline constexpr unsigned board_mode_play = 0;
inline constexpr unsigned board_mode_capture = 1;
inline constexpr unsigned board_mode_full_band_capture = 3;

constexpr bool is_board_mode(unsigned mode) {
    return mode == board_mode_play || mode == board_mode_capture ||
           mode == board_mode_full_band_capture;
}

}  // namespace tamrel::sim
