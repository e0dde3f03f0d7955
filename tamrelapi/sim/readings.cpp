#include "tamrelapi/sim/readings.hpp"

namespace tamrel::sim {

Readings default_readings(api::DeviceKind kind) {
    Readings r;
    // The link speed each generation's DMA engine negotiates with the host.
    r.dma_speed = kind == api::DeviceKind::first_generation ? 160U : 400U;
    return r;
}

}  // namespace tamrel::sim
