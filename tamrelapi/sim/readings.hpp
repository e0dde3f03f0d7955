#pragma once
// What the running board reports and tests set: the capture gain the AGC settled on, the trigger
// input, the DMA speed and the FIFO level.

#include "tamrelapi/device_select.hpp"

namespace tamrel::sim {

struct Readings {
    short capture_gain = 0;         // 0.1 dB: CaptureGetGain / Tm2RecordGetGain
    unsigned trigger_in_level = 0;  // 0 low, 1 high: Tm2GetTriggerInLevel
    unsigned dma_speed = 0;         // as the board reports it (MB/s here): GetDMASpeed
    unsigned fifo_bytes = 0;        // bytes waiting in the board FIFO: GetFifo

    friend bool operator==(const Readings&, const Readings&) = default;
};

Readings default_readings(api::DeviceKind kind);

}  // namespace tamrel::sim
