#pragma once
// What the session told the board that is not a register: the power-off LED, the FPGA image
// loaded, the captured-gain compensation applied to the play path, the paths powered off, the RF
// output and the HD Radio DMA block. Tests read these back to prove what the session did.

#include <optional>

namespace tamrel::sim {

struct CapturedGainCompensation {
    unsigned bandwidth = 0;  // 0 8 MHz, 1 24 MHz
    short gain = 0;          // 0.1 dB
    unsigned speed = 0;      // ms

    friend bool operator==(const CapturedGainCompensation&,
                           const CapturedGainCompensation&) = default;
};

struct Outputs {
    bool power_off_led = false;                  // Tm2PowerOffLED
    std::optional<unsigned> image_type;          // SetImageType; none until one is loaded
    std::optional<CapturedGainCompensation> captured_gain;  // the last one applied
    unsigned captured_gain_count = 0;            // how many were applied since the reset
    std::optional<short> play_log_gain;          // Tm2PlaySetLogGain, 0.1 dB; the last one set
    bool capture_path_powered_off = false;       // SetPowerOffMode(1)
    bool play_path_powered_off = false;          // SetPowerOffMode(0)
    bool rf_out_enabled = false;                 // PlaySetRfOutEnable; the last one set
    std::optional<unsigned> hdradio_dma_block_bytes;  // HDRadio_SetDMAInitCtrl; the last one set

    friend bool operator==(const Outputs&, const Outputs&) = default;
};

}  // namespace tamrel::sim
