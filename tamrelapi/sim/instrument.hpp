#pragma once
// The simulated instrument: the back-end that answers the device library's operations as a board
// of the configured kind would. It is a set of small models, each in its own file, which the
// operations consult:
//   Presence        which board is fitted and whether it is open (and so which calls may act)
//   FaultPlan       failures tests inject, checked before any effect
//   CallLog         what was called, in order, bounded
//   RegisterFile    the bridge's register windows
//   Identity        versions, module identifiers, serial number, library version text
//   Calibration     factory offsets
//   Readings        capture gain, trigger input, DMA speed, FIFO level
//   Outputs         power-off LED, image loaded, captured-gain compensation applied
//   GpsText         GPS bytes received and not yet handed over (second generation)
//   TransferSettings capture bandwidth, record I/Q rate, system mode, DMA direction
//   CaptureSource   the samples the receiver produces, the board FIFO, the block reads
//   PlaySettings    play bandwidth, rates, centre frequencies, gains and spectral inversion
//   CaptureSettings capture centre frequency, input range, pre-amp, loop-through, AGC (1st gen)
//   SystemSettings  board mode, 10 MHz reference, trigger (first generation)
//   PlaySink        the play FIFO, the transmitter that empties it, the record of what was played
// Further models (trigger, configuration flash, DPRAM, EEPROM, module microcontrollers) are
// added the same way: a member, reset in reset(), and the operations that use it in their own
// instrument_<family>.cpp.
//
// Every operation runs the same gate first (enter()): log the call, take an injected fault, ask
// Presence whether the call may act. Only then does it act and write its out-parameters.
//
// Thread-safety: every operation and every member may be called from any thread at once; each
// model guards itself, and no lock is held while another model is called, so nothing can
// deadlock and every call returns in bounded time. reset() while other threads call the
// instrument is safe but not atomic: a concurrent call may see some models already fresh.

#include <string>
#include <string_view>

#include "platform/status.hpp"
#include "tamrelapi/backend.hpp"
#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/calibration.hpp"
#include "tamrelapi/sim/call_log.hpp"
#include "tamrelapi/sim/capture_settings.hpp"
#include "tamrelapi/sim/capture_source.hpp"
#include "tamrelapi/sim/faults.hpp"
#include "tamrelapi/sim/gps_text.hpp"
#include "tamrelapi/sim/guarded.hpp"
#include "tamrelapi/sim/identity.hpp"
#include "tamrelapi/sim/outputs.hpp"
#include "tamrelapi/sim/play_settings.hpp"
#include "tamrelapi/sim/play_sink.hpp"
#include "tamrelapi/sim/presence.hpp"
#include "tamrelapi/sim/readings.hpp"
#include "tamrelapi/sim/registers.hpp"
#include "tamrelapi/sim/system_settings.hpp"
#include "tamrelapi/sim/transfer_settings.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

class Instrument final : public api::Backend {
public:
    explicit Instrument(const api::DeviceConfig& config);

    // A fresh board of the configured kind: closed, default identification, calibration and
    // readings, registers at their power-on values, no faults, an empty call log.
    void reset(const api::DeviceConfig& config);
    api::DeviceConfig config() const { return config_.get(); }
    // Applies the TAMREL_SIM_* identification variables (identity_environment.hpp) over the
    // current identification. A malformed one is refused and nothing changes.
    platform::Status apply_identity_environment();

    // The models, for the control interface.
    Presence& presence() { return presence_; }
    RegisterFile& registers() { return registers_; }
    FaultPlan& faults() { return faults_; }
    CallLog& calls() { return calls_; }
    Guarded<Calibration>& calibration() { return calibration_; }
    Guarded<Readings>& readings() { return readings_; }
    Guarded<Outputs>& outputs() { return outputs_; }
    GpsText& gps_text() { return gps_text_; }
    Guarded<TransferSettings>& transfer() { return transfer_; }
    CaptureSource& capture() { return capture_; }
    Guarded<PlaySettings>& play_settings() { return play_settings_; }
    PlaySink& play() { return play_; }
    Guarded<CaptureSettings>& capture_settings() { return capture_settings_; }
    Guarded<SystemSettings>& system_settings() { return system_settings_; }

    // The identification; a first-generation board keeps its FPGA version in its register, so
    // both read and set go through it.
    Identity identity() const;
    void set_identity(const Identity& identity);

    // Device
    unsigned Count() override;
    unsigned Tm2Count() override;
    unsigned Open(unsigned board) override;
    unsigned Tm2Open(unsigned board) override;
    unsigned Close() override;
    unsigned Tm2Close() override;
    unsigned SetImageType(unsigned type) override;
    unsigned GetDllVerUniCode(std::u16string& text) override;
    unsigned GetSerialNum(char* buffer, unsigned size) override;
    unsigned GetSerialNumUniCode(std::u16string& text) override;
    unsigned GetHWPCBVer(unsigned& version) override;

    // First-generation capture and play
    unsigned PlayGetAttenID(unsigned& id) override;
    unsigned CaptureGetDCID(unsigned& id) override;
    unsigned CaptureGetGain(short& gain) override;
    unsigned Tm2PlaySetLogGain(short gain) override;
    unsigned PlaySetCapturingGainOrSetCapturedGain(unsigned bandwidth, short gain,
                                                   unsigned speed) override;
    unsigned Write(const void* buffer, unsigned length, unsigned& transferred) override;
    unsigned PlaySetBW(unsigned bandwidth, unsigned iq_rate) override;
    unsigned PlayGetCapturingGainOrSetCapturedGain(short& gain) override;
    unsigned PlaySetCenterFreq(unsigned hz) override;
    unsigned GetPlayByteIndicator(unsigned& indicator) override;
    unsigned PlayGetCenterFreq(unsigned& hz) override;
    unsigned PlaySetGain(short gain) override;
    unsigned PlayGetGain(short& gain) override;
    unsigned PlayGetBW(unsigned& iq_rate) override;
    unsigned PlaySetSpectralInv(unsigned on) override;

    // First-generation capture settings
    unsigned CaptureSetCenterFreq(unsigned hz) override;
    unsigned CaptureGetCenterFreq(unsigned& hz) override;
    unsigned CaptureSetRange(short range) override;
    unsigned CaptureGetRange(short& range) override;
    unsigned CaptureSetPreAmp(unsigned on) override;
    unsigned CaptureGetPreAmp(unsigned& on) override;
    unsigned CaptureSetLoopThr(unsigned on) override;
    unsigned CaptureSetAGC(unsigned on) override;
    unsigned CaptureSetAGCSpeed(unsigned ms) override;
    unsigned CaptureGetAGCSpeed(unsigned& ms) override;

    // First-generation system settings
    unsigned SetCapturePlayMode(unsigned mode) override;
    unsigned SetRef10M(unsigned external) override;
    unsigned GetRef10M(unsigned& external) override;
    unsigned SetTrigger(unsigned on) override;
    unsigned GetTrigger(unsigned& on) override;

    // Data transfer
    unsigned GetDMASpeed(unsigned& speed) override;
    unsigned GetFifo(unsigned& bytes) override;
    unsigned FifoReset() override;
    unsigned Start() override;
    unsigned Stop() override;
    unsigned Read(void* buffer, unsigned length, unsigned& transferred) override;
    unsigned CaptureSetBW(unsigned bandwidth) override;
    unsigned CaptureGetBW(unsigned& bandwidth) override;
    unsigned SetPowerOffMode(unsigned mode) override;
    unsigned PlaySetRfOutEnable(bool enable) override;
    unsigned Tm2SetDMAInitCtrl(bool capture, unsigned rate) override;
    unsigned Tm2Start() override;
    unsigned Tm2Stop() override;
    unsigned Tm2Read(void* buffer, unsigned length, unsigned& transferred) override;
    unsigned Tm2GetDMASpeed(unsigned& speed) override;
    unsigned Tm2RecordGetIQRate(unsigned& rate) override;
    unsigned Tm2RecordSetIQRate(unsigned rate) override;
    unsigned Tm2GetSystemMode(unsigned& mode) override;
    unsigned Tm2SetSystemMode(unsigned mode) override;
    unsigned HDRadio_SetDMAInitCtrl(unsigned block_bytes) override;

    // Second generation
    unsigned Tm2GetAttenuatorID(unsigned& id) override;
    unsigned Tm2GetDownConvID(unsigned& id) override;
    unsigned Tm2GetUpConvID(unsigned& id) override;
    unsigned Tm2GetDspFpgaVer(unsigned& version) override;
    unsigned Tm2GetPumpFpgaVer(unsigned& version) override;
    unsigned Tm2GetDspNiosVer(unsigned& version) override;
    unsigned Tm2GetHWPCBVer(unsigned& version) override;
    unsigned Tm2PlayGetSpectrumOffsetGain(float& db) override;
    unsigned Tm2RecordGetSpectrumOffsetGain(float& db) override;
    unsigned Tm2RecordGetBandPowerOffsetGain(float& db) override;
    unsigned Tm2PlayGetOffSetGain(short& tenth_db) override;
    unsigned Tm2PlayGetOffSetGain_RfPathFromDac(short& tenth_db) override;
    unsigned Tm2RecordGetGain(short& tenth_db) override;
    unsigned Tm2GetTriggerInLevel(unsigned& level) override;
    unsigned Tm2PowerOffLED() override;
    unsigned Tm2Write(const void* buffer, unsigned length, unsigned& transferred) override;
    unsigned Tm2PlaySetIQRate(unsigned rate) override;
    unsigned Tm2PlaySetFreq(unsigned hz) override;
    unsigned Tm2PlaySetFilePowerGain(short gain) override;
    unsigned Tm2PlaySetUserGain(short gain) override;

    // Board objects
    unsigned CPLXIO_read_reg(unsigned space, unsigned offset, unsigned& value) override;
    unsigned CPLXIO_write_reg(unsigned space, unsigned offset, unsigned value) override;
    unsigned CRfDC_GetCapture_Spectrum_GainOffset_Cal(float& db) override;
    unsigned CRfDC_GetCapture_IQPower_GainOffset_Cal(float& db) override;
    unsigned CRfAtten_GetPlay_Spectrum_GainOffset_Cal(float& db) override;
    unsigned CAD9789_GetArbSymRate(unsigned& rate) override;
    unsigned CALT_PCI_QSYS_String_Recevie_From_GPS_RxCount(unsigned& count) override;
    unsigned CALT_PCI_QSYS_String_Recevie_From_GPS_Data(unsigned char* buffer,
                                                        unsigned count) override;

private:
    // The gate every operation passes first: status_ok when the call may act.
    unsigned enter(std::string_view operation, Needs needs, std::string arguments = {});

    // A getter of one value: gate, then `value = read()` on success.
    template <typename T, typename Read>
    unsigned get(std::string_view operation, Needs needs, T& value, Read read) {
        if (const unsigned refused = enter(operation, needs)) return refused;
        value = read();
        return api::status_ok;
    }

    // A setter of one value: gate, then status_invalid_argument (nothing changed) unless `valid`,
    // else `apply()` and status_ok.
    template <typename Apply>
    unsigned put(std::string_view operation, Needs needs, std::string arguments, bool valid,
                 Apply apply) {
        if (const unsigned refused = enter(operation, needs, std::move(arguments))) return refused;
        if (!valid) return api::status_invalid_argument;
        apply();
        return api::status_ok;
    }

    void power_on_registers(api::DeviceKind kind, unsigned fpga_version);
    // A read of the capture source at the level the receive path gives the signal now.
    unsigned read_capture(void* buffer, unsigned length, unsigned& transferred);

    Guarded<api::DeviceConfig> config_;
    Presence presence_;
    FaultPlan faults_;
    CallLog calls_;
    RegisterFile registers_;
    Guarded<Identity> identity_;
    Guarded<Calibration> calibration_;
    Guarded<Readings> readings_;
    Guarded<Outputs> outputs_;
    GpsText gps_text_;
    Guarded<TransferSettings> transfer_;
    CaptureSource capture_;
    Guarded<PlaySettings> play_settings_;
    PlaySink play_;
    Guarded<CaptureSettings> capture_settings_;
    Guarded<SystemSettings> system_settings_;
};

// The instrument of this process, created on first use with the configuration of
// device_select.hpp (TAMREL_DEVICE, else the second generation) and the identification variables
// of the environment (a malformed one keeps the defaults); never destroyed.
Instrument& instrument();

}  // namespace tamrel::sim
