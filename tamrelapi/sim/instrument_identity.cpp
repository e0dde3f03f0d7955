// Identification and calibration: module identifiers, versions and factory offsets of both
// generations.

#include "tamrelapi/sim/instrument.hpp"

namespace tamrel::sim {

unsigned Instrument::PlayGetAttenID(unsigned& id) {
    return get("PlayGetAttenID", Needs::first_open, id,
               [this] { return identity_.get().attenuator_id; });
}

unsigned Instrument::CaptureGetDCID(unsigned& id) {
    return get("CaptureGetDCID", Needs::first_open, id,
               [this] { return identity_.get().down_converter_id; });
}

unsigned Instrument::Tm2GetAttenuatorID(unsigned& id) {
    return get("Tm2GetAttenuatorID", Needs::second_open, id,
               [this] { return identity_.get().attenuator_id; });
}

unsigned Instrument::Tm2GetDownConvID(unsigned& id) {
    return get("Tm2GetDownConvID", Needs::second_open, id,
               [this] { return identity_.get().down_converter_id; });
}

unsigned Instrument::Tm2GetUpConvID(unsigned& id) {
    return get("Tm2GetUpConvID", Needs::second_open, id,
               [this] { return identity_.get().up_converter_id; });
}

unsigned Instrument::Tm2GetDspFpgaVer(unsigned& version) {
    return get("Tm2GetDspFpgaVer", Needs::second_open, version,
               [this] { return identity_.get().fpga_version; });
}

unsigned Instrument::Tm2GetPumpFpgaVer(unsigned& version) {
    return get("Tm2GetPumpFpgaVer", Needs::second_open, version,
               [this] { return identity_.get().pump_fpga_version; });
}

unsigned Instrument::Tm2GetDspNiosVer(unsigned& version) {
    return get("Tm2GetDspNiosVer", Needs::second_open, version,
               [this] { return identity_.get().dsp_nios_version; });
}

unsigned Instrument::Tm2GetHWPCBVer(unsigned& version) {
    return get("Tm2GetHWPCBVer", Needs::second_open, version,
               [this] { return identity_.get().pcb_version; });
}

unsigned Instrument::Tm2PlayGetSpectrumOffsetGain(float& db) {
    return get("Tm2PlayGetSpectrumOffsetGain", Needs::second_open, db,
               [this] { return calibration_.get().play_spectrum_offset_db; });
}

unsigned Instrument::Tm2RecordGetSpectrumOffsetGain(float& db) {
    return get("Tm2RecordGetSpectrumOffsetGain", Needs::second_open, db,
               [this] { return calibration_.get().capture_spectrum_offset_db; });
}

unsigned Instrument::Tm2RecordGetBandPowerOffsetGain(float& db) {
    return get("Tm2RecordGetBandPowerOffsetGain", Needs::second_open, db,
               [this] { return calibration_.get().capture_iq_power_offset_db; });
}

unsigned Instrument::Tm2PlayGetOffSetGain(short& tenth_db) {
    return get("Tm2PlayGetOffSetGain", Needs::second_open, tenth_db,
               [this] { return calibration_.get().play_offset_gain; });
}

unsigned Instrument::Tm2PlayGetOffSetGain_RfPathFromDac(short& tenth_db) {
    return get("Tm2PlayGetOffSetGain_RfPathFromDac", Needs::second_open, tenth_db,
               [this] { return calibration_.get().play_offset_gain_rf_path_from_dac; });
}

unsigned Instrument::CRfDC_GetCapture_Spectrum_GainOffset_Cal(float& db) {
    return get("CRfDC::GetCapture_Spectrum_GainOffset_Cal", Needs::first_open, db,
               [this] { return calibration_.get().capture_spectrum_offset_db; });
}

unsigned Instrument::CRfDC_GetCapture_IQPower_GainOffset_Cal(float& db) {
    return get("CRfDC::GetCapture_IQPower_GainOffset_Cal", Needs::first_open, db,
               [this] { return calibration_.get().capture_iq_power_offset_db; });
}

unsigned Instrument::CRfAtten_GetPlay_Spectrum_GainOffset_Cal(float& db) {
    return get("CRfAtten::GetPlay_Spectrum_GainOffset_Cal", Needs::first_open, db,
               [this] { return calibration_.get().play_spectrum_offset_db; });
}

}  // namespace tamrel::sim
