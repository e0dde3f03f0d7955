#pragma once
// How the session set up the data path: the capture bandwidth (first generation), the record I/Q
// rate, the system mode and the DMA direction (second generation). The capture source takes its
// rate from here when a run starts.

namespace tamrel::sim {

struct TransferSettings {
    unsigned capture_bandwidth = 0;         // CaptureSetBW: 0 8 MHz, 1 24 MHz
    unsigned record_iq_rate = 60'000'000;   // Tm2RecordSetIQRate, samples per second
    unsigned system_mode = 0;               // Tm2SetSystemMode, 0 to 7
    bool dma_capture = true;                // Tm2SetDMAInitCtrl: record (true) or play
    unsigned dma_play_rate = 0;             // Tm2SetDMAInitCtrl: the play rate, when play

    friend bool operator==(const TransferSettings&, const TransferSettings&) = default;
};

inline constexpr unsigned capture_bandwidths = 2;
inline constexpr unsigned min_record_iq_rate = 1'000;
inline constexpr unsigned max_record_iq_rate = 70'000'000;
inline constexpr unsigned system_modes = 8;

// Samples per second of a first-generation capture bandwidth (0 or 1).
constexpr unsigned capture_rate_of_bandwidth(unsigned bandwidth) {
    return bandwidth == 0 ? 10'000'000U : 30'000'000U;
}

constexpr bool is_record_iq_rate(unsigned rate) {
    return rate >= min_record_iq_rate && rate <= max_record_iq_rate;
}

}  // namespace tamrel::sim
