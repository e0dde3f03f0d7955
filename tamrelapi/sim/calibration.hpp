#pragma once
// The factory calibration the board keeps: offsets the session adds to its spectrum and power
// figures, and the second generation's play offset gains. One set serves both generations; each
// generation reads it through its own operations.

#include "tamrelapi/device_select.hpp"

namespace tamrel::sim {

struct Calibration {
    // CRfDC::GetCapture_Spectrum_GainOffset_Cal / Tm2RecordGetSpectrumOffsetGain, dB
    float capture_spectrum_offset_db = 0.0F;
    // CRfDC::GetCapture_IQPower_GainOffset_Cal / Tm2RecordGetBandPowerOffsetGain, dB
    float capture_iq_power_offset_db = 0.0F;
    // CRfAtten::GetPlay_Spectrum_GainOffset_Cal / Tm2PlayGetSpectrumOffsetGain, dB
    float play_spectrum_offset_db = 0.0F;
    // Tm2PlayGetOffSetGain, 0.1 dB
    short play_offset_gain = 0;
    // Tm2PlayGetOffSetGain_RfPathFromDac, 0.1 dB
    short play_offset_gain_rf_path_from_dac = 0;

    friend bool operator==(const Calibration&, const Calibration&) = default;
};

Calibration default_calibration(api::DeviceKind kind);

}  // namespace tamrel::sim
