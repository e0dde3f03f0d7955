#include "tamrelapi/sim/calibration.hpp"

namespace tamrel::sim {

Calibration default_calibration(api::DeviceKind kind) {
    Calibration cal;
    if (kind == api::DeviceKind::first_generation) {
        cal.capture_spectrum_offset_db = 1.5F;
        cal.capture_iq_power_offset_db = -2.25F;
        cal.play_spectrum_offset_db = 0.75F;
        return cal;
    }
    cal.capture_spectrum_offset_db = 2.0F;
    cal.capture_iq_power_offset_db = -1.5F;
    cal.play_spectrum_offset_db = 1.25F;
    return cal;
}

}  // namespace tamrel::sim
