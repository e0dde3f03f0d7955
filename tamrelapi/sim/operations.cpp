#include "tamrelapi/sim/operations.hpp"

#include <algorithm>
#include <array>

namespace tamrel::sim {
namespace {

using namespace std::string_view_literals;

constexpr std::array kOperations = {
    // Device
    "Count"sv, "Tm2Count"sv, "Open"sv, "Tm2Open"sv, "Close"sv, "Tm2Close"sv, "SetImageType"sv,
    "GetDllVerUniCode"sv, "GetSerialNum"sv, "GetSerialNumUniCode"sv, "GetHWPCBVer"sv,
    // First-generation capture and play
    "PlayGetAttenID"sv, "CaptureGetDCID"sv, "CaptureGetGain"sv,
    "PlaySetCapturingGainOrSetCapturedGain"sv,
    "Tm2PlaySetLogGain"sv,
    // Play
    "Write"sv, "PlaySetBW"sv, "PlayGetCapturingGainOrSetCapturedGain"sv, "PlaySetCenterFreq"sv,
    "GetPlayByteIndicator"sv, "Tm2Write"sv, "Tm2PlaySetIQRate"sv, "Tm2PlaySetFreq"sv,
    "Tm2PlaySetFilePowerGain"sv, "Tm2PlaySetUserGain"sv, "PlayGetCenterFreq"sv, "PlaySetGain"sv,
    "PlayGetGain"sv, "PlayGetBW"sv, "PlaySetSpectralInv"sv,
    // First-generation capture settings
    "CaptureSetCenterFreq"sv, "CaptureGetCenterFreq"sv, "CaptureSetRange"sv, "CaptureGetRange"sv,
    "CaptureSetPreAmp"sv, "CaptureGetPreAmp"sv, "CaptureSetLoopThr"sv, "CaptureSetAGC"sv,
    "CaptureSetAGCSpeed"sv, "CaptureGetAGCSpeed"sv,
    // First-generation system settings
    "SetCapturePlayMode"sv, "SetRef10M"sv, "GetRef10M"sv, "SetTrigger"sv, "GetTrigger"sv,
    // Data transfer
    "GetDMASpeed"sv, "GetFifo"sv, "FifoReset"sv, "Start"sv, "Stop"sv, "Read"sv,
    "CaptureSetBW"sv, "CaptureGetBW"sv, "SetPowerOffMode"sv, "PlaySetRfOutEnable"sv,
    "Tm2SetDMAInitCtrl"sv, "Tm2Start"sv, "Tm2Stop"sv, "Tm2Read"sv, "Tm2GetDMASpeed"sv,
    "Tm2RecordGetIQRate"sv, "Tm2RecordSetIQRate"sv, "Tm2GetSystemMode"sv, "Tm2SetSystemMode"sv,
    "HDRadio_SetDMAInitCtrl"sv,
    // Second generation
    "Tm2GetAttenuatorID"sv, "Tm2GetDownConvID"sv, "Tm2GetUpConvID"sv, "Tm2GetDspFpgaVer"sv,
    "Tm2GetPumpFpgaVer"sv, "Tm2GetDspNiosVer"sv, "Tm2GetHWPCBVer"sv,
    "Tm2PlayGetSpectrumOffsetGain"sv, "Tm2RecordGetSpectrumOffsetGain"sv,
    "Tm2RecordGetBandPowerOffsetGain"sv, "Tm2PlayGetOffSetGain"sv,
    "Tm2PlayGetOffSetGain_RfPathFromDac"sv, "Tm2RecordGetGain"sv, "Tm2GetTriggerInLevel"sv,
    "Tm2PowerOffLED"sv,
    // Board objects
    "CPLXIO::read_reg"sv, "CPLXIO::write_reg"sv, "CRfDC::GetCapture_Spectrum_GainOffset_Cal"sv,
    "CRfDC::GetCapture_IQPower_GainOffset_Cal"sv, "CRfAtten::GetPlay_Spectrum_GainOffset_Cal"sv,
    "CAD9789::GetArbSymRate"sv,
    "CALT_PCI_QSYS::String_Recevie_From_GPS_RxCount"sv,
    "CALT_PCI_QSYS::String_Recevie_From_GPS_Data"sv,
};

}  // namespace

std::span<const std::string_view> known_operations() { return kOperations; }

bool is_known_operation(std::string_view name) {
    return std::find(kOperations.begin(), kOperations.end(), name) != kOperations.end();
}

}  // namespace tamrel::sim
