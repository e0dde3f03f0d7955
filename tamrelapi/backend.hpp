#pragma once
// The seam between the device library's named operations and whatever answers them. CTamrelAPI
// and the global board objects hold no state; each member forwards to backend(). Today the one
// back-end is the simulated instrument (tamrelapi/sim/); a port to real hardware implements this
// interface and changes backend(), nothing else.
//
// Naming: a CTamrelAPI operation keeps its own name here; an operation of a board object is
// "<class>_<operation>" (CPLXIO::read_reg is CPLXIO_read_reg). Every operation returns a status
// and writes its out-parameters only on success; the counts are the exception and return the
// number of boards.
//
// Thread-safety: an implementation must accept calls of every operation from any number of
// threads at once, and return from each in bounded time.

#include <string>

namespace tamrel::api {

class Backend {
public:
    virtual ~Backend() = default;

    // Device
    virtual unsigned Count() = 0;
    virtual unsigned Tm2Count() = 0;
    virtual unsigned Open(unsigned board) = 0;
    virtual unsigned Tm2Open(unsigned board) = 0;
    virtual unsigned Close() = 0;
    virtual unsigned Tm2Close() = 0;
    virtual unsigned SetImageType(unsigned type) = 0;
    virtual unsigned GetDllVerUniCode(std::u16string& text) = 0;
    virtual unsigned GetSerialNum(char* buffer, unsigned size) = 0;
    virtual unsigned GetSerialNumUniCode(std::u16string& text) = 0;
    virtual unsigned GetHWPCBVer(unsigned& version) = 0;

    // First-generation capture and play
    virtual unsigned PlayGetAttenID(unsigned& id) = 0;
    virtual unsigned CaptureGetDCID(unsigned& id) = 0;
    virtual unsigned CaptureGetGain(short& gain) = 0;
    virtual unsigned Tm2PlaySetLogGain(short gain) = 0;
    virtual unsigned PlaySetCapturingGainOrSetCapturedGain(unsigned bandwidth, short gain,
                                                           unsigned speed) = 0;
    virtual unsigned Write(const void* buffer, unsigned length, unsigned& transferred) = 0;
    virtual unsigned PlaySetBW(unsigned bandwidth, unsigned iq_rate) = 0;
    virtual unsigned PlayGetCapturingGainOrSetCapturedGain(short& gain) = 0;
    virtual unsigned PlaySetCenterFreq(unsigned hz) = 0;
    virtual unsigned GetPlayByteIndicator(unsigned& indicator) = 0;
    virtual unsigned PlayGetCenterFreq(unsigned& hz) = 0;
    virtual unsigned PlaySetGain(short gain) = 0;
    virtual unsigned PlayGetGain(short& gain) = 0;
    virtual unsigned PlayGetBW(unsigned& iq_rate) = 0;
    virtual unsigned PlaySetSpectralInv(unsigned on) = 0;

    // First-generation capture settings
    virtual unsigned CaptureSetCenterFreq(unsigned hz) = 0;
    virtual unsigned CaptureGetCenterFreq(unsigned& hz) = 0;
    virtual unsigned CaptureSetRange(short range) = 0;
    virtual unsigned CaptureGetRange(short& range) = 0;
    virtual unsigned CaptureSetPreAmp(unsigned on) = 0;
    virtual unsigned CaptureGetPreAmp(unsigned& on) = 0;
    virtual unsigned CaptureSetLoopThr(unsigned on) = 0;
    virtual unsigned CaptureSetAGC(unsigned on) = 0;
    virtual unsigned CaptureSetAGCSpeed(unsigned ms) = 0;
    virtual unsigned CaptureGetAGCSpeed(unsigned& ms) = 0;

    // First-generation system settings
    virtual unsigned SetCapturePlayMode(unsigned mode) = 0;
    virtual unsigned SetRef10M(unsigned external) = 0;
    virtual unsigned GetRef10M(unsigned& external) = 0;
    virtual unsigned SetTrigger(unsigned on) = 0;
    virtual unsigned GetTrigger(unsigned& on) = 0;

    // Data transfer
    virtual unsigned GetDMASpeed(unsigned& speed) = 0;
    virtual unsigned GetFifo(unsigned& bytes) = 0;
    virtual unsigned FifoReset() = 0;
    virtual unsigned Start() = 0;
    virtual unsigned Stop() = 0;
    virtual unsigned Read(void* buffer, unsigned length, unsigned& transferred) = 0;
    virtual unsigned CaptureSetBW(unsigned bandwidth) = 0;
    virtual unsigned CaptureGetBW(unsigned& bandwidth) = 0;
    virtual unsigned SetPowerOffMode(unsigned mode) = 0;
    virtual unsigned PlaySetRfOutEnable(bool enable) = 0;
    virtual unsigned Tm2SetDMAInitCtrl(bool capture, unsigned rate) = 0;
    virtual unsigned Tm2Start() = 0;
    virtual unsigned Tm2Stop() = 0;
    virtual unsigned Tm2Read(void* buffer, unsigned length, unsigned& transferred) = 0;
    virtual unsigned Tm2GetDMASpeed(unsigned& speed) = 0;
    virtual unsigned Tm2RecordGetIQRate(unsigned& rate) = 0;
    virtual unsigned Tm2RecordSetIQRate(unsigned rate) = 0;
    virtual unsigned Tm2GetSystemMode(unsigned& mode) = 0;
    virtual unsigned Tm2SetSystemMode(unsigned mode) = 0;
    virtual unsigned HDRadio_SetDMAInitCtrl(unsigned block_bytes) = 0;

    // Second generation
    virtual unsigned Tm2GetAttenuatorID(unsigned& id) = 0;
    virtual unsigned Tm2GetDownConvID(unsigned& id) = 0;
    virtual unsigned Tm2GetUpConvID(unsigned& id) = 0;
    virtual unsigned Tm2GetDspFpgaVer(unsigned& version) = 0;
    virtual unsigned Tm2GetPumpFpgaVer(unsigned& version) = 0;
    virtual unsigned Tm2GetDspNiosVer(unsigned& version) = 0;
    virtual unsigned Tm2GetHWPCBVer(unsigned& version) = 0;
    virtual unsigned Tm2PlayGetSpectrumOffsetGain(float& db) = 0;
    virtual unsigned Tm2RecordGetSpectrumOffsetGain(float& db) = 0;
    virtual unsigned Tm2RecordGetBandPowerOffsetGain(float& db) = 0;
    virtual unsigned Tm2PlayGetOffSetGain(short& tenth_db) = 0;
    virtual unsigned Tm2PlayGetOffSetGain_RfPathFromDac(short& tenth_db) = 0;
    virtual unsigned Tm2RecordGetGain(short& tenth_db) = 0;
    virtual unsigned Tm2GetTriggerInLevel(unsigned& level) = 0;
    virtual unsigned Tm2PowerOffLED() = 0;
    virtual unsigned Tm2Write(const void* buffer, unsigned length, unsigned& transferred) = 0;
    virtual unsigned Tm2PlaySetIQRate(unsigned rate) = 0;
    virtual unsigned Tm2PlaySetFreq(unsigned hz) = 0;
    virtual unsigned Tm2PlaySetFilePowerGain(short gain) = 0;
    virtual unsigned Tm2PlaySetUserGain(short gain) = 0;

    // Board objects
    virtual unsigned CPLXIO_read_reg(unsigned space, unsigned offset, unsigned& value) = 0;
    virtual unsigned CPLXIO_write_reg(unsigned space, unsigned offset, unsigned value) = 0;
    virtual unsigned CRfDC_GetCapture_Spectrum_GainOffset_Cal(float& db) = 0;
    virtual unsigned CRfDC_GetCapture_IQPower_GainOffset_Cal(float& db) = 0;
    virtual unsigned CRfAtten_GetPlay_Spectrum_GainOffset_Cal(float& db) = 0;
    virtual unsigned CAD9789_GetArbSymRate(unsigned& rate) = 0;
    virtual unsigned CALT_PCI_QSYS_String_Recevie_From_GPS_RxCount(unsigned& count) = 0;
    virtual unsigned CALT_PCI_QSYS_String_Recevie_From_GPS_Data(unsigned char* buffer,
                                                                unsigned count) = 0;
};

// The back-end of this process, created on first use from the configured device (see
// device_select.hpp). Never destroyed, so threads still running at process exit stay safe.
Backend& backend();

}  // namespace tamrel::api
