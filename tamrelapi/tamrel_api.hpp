#pragma once
// CTamrelAPI: the device library's main object. It holds no state, so any number of them may
// exist (the session keeps one for the whole process); every member forwards to the one back-end
// of the process (backend.hpp).
//
// Conventions of every member:
// - returns an unsigned status, 0 for success (tamrelapi/status.hpp); Count and Tm2Count are the
//   exception and return the number of boards of their generation;
// - writes its out-parameters only on success: after a failure they hold what the caller put in;
// - levels are in 0.1 dB (short) or in dB (float), versions are four bytes shown high byte first;
// - a first-generation member on a second-generation board (or the reverse) fails with
//   status_wrong_generation; with no board, status_no_device; before Open/Tm2Open,
//   status_not_open. Count, Tm2Count and GetDllVerUniCode work in every state.
// docs/device-library.md lists, per member, what it needs.
//
// Thread-safety: every member may be called from any thread at any time; each returns in
// bounded time.

#include <string>


class CTamrelAPI {
public:
    // Device. Board index 0 is the first board.
    unsigned Count() const;     // first-generation boards found
    unsigned Tm2Count() const;  // second-generation boards found
    unsigned Open(unsigned board) const;
    unsigned Tm2Open(unsigned board) const;
    unsigned Close() const;
    unsigned Tm2Close() const;
    // Loads FPGA image `type` (0 the standard image, up to 3) into a first-generation board.
    unsigned SetImageType(unsigned type) const;
    // The library's version text.
    unsigned GetDllVerUniCode(std::u16string& text) const;
    // The serial number as ASCII bytes, as many as fit in `size`; the rest of the buffer is
    // zeroed, so the text is terminated only when the buffer is longer than it.
    unsigned GetSerialNum(char* buffer, unsigned size) const;
    // The serial number as wide text (the S/N window).
    unsigned GetSerialNumUniCode(std::u16string& text) const;
    unsigned GetHWPCBVer(unsigned& version) const;

    // First-generation capture and play.
    unsigned PlayGetAttenID(unsigned& id) const;
    unsigned CaptureGetDCID(unsigned& id) const;
    unsigned CaptureGetGain(short& tenth_db) const;
    // Compensates the play path for a capture gain: bandwidth 0 (8 MHz) or 1 (24 MHz), the gain
    // in 0.1 dB, and the ramp speed in ms.
    unsigned PlaySetCapturingGainOrSetCapturedGain(unsigned bandwidth, short tenth_db,
                                                   unsigned speed) const;

    // Data transfer.
    unsigned GetDMASpeed(unsigned& speed) const;  // first generation
    // Bytes waiting in the board FIFO, both generations: while the capture DMA runs (or bytes are
    // left after it stopped) the capture FIFO's level.
    unsigned GetFifo(unsigned& bytes) const;

    // First-generation capture DMA. Read is a block read: `length` bytes exactly, or none
    // (`transferred` 0, status ok) when they are not all waiting within 50 ms; before Start or
    // after Stop none, after at most about 20 ms.
    unsigned FifoReset() const;  // empties the capture FIFO
    unsigned Start() const;
    unsigned Stop() const;
    unsigned Read(void* buffer, unsigned length, unsigned& transferred) const;
    // Capture bandwidth: 0 8 MHz (10,000,000 samples/s), 1 24 MHz (30,000,000 samples/s).
    unsigned CaptureSetBW(unsigned bandwidth) const;
    unsigned CaptureGetBW(unsigned& bandwidth) const;
    // 1 powers off the capture path, 0 the play path.
    unsigned SetPowerOffMode(unsigned mode) const;
    unsigned PlaySetRfOutEnable(bool enable) const;

    // First-generation play. The play DMA shares FifoReset, Start and Stop with capture: Start
    // starts play while RF output is enabled and capture otherwise; Stop stops and FifoReset
    // empties both directions. Write is
    // all or nothing: `length` bytes taken (`transferred` = length) or none (`transferred` 0,
    // status ok) when the board has no room for them within 50 ms; before Start it takes nothing
    // and returns status_play_not_started (61440).
    unsigned Write(const void* buffer, unsigned length, unsigned& transferred) const;
    // The play path's bandwidth type (0 for 10,000,000, 1 for 30,000,000, 2 other) and rate,
    // samples/s (1,000 to 70,000,000).
    unsigned PlaySetBW(unsigned bandwidth, unsigned iq_rate) const;
    // The captured-gain compensation last applied (PlaySetCapturingGainOrSetCapturedGain), 0.1 dB.
    unsigned PlayGetCapturingGainOrSetCapturedGain(short& tenth_db) const;
    // Play centre frequency, Hz: 50,000,000 to 1,000,000,000.
    unsigned PlaySetCenterFreq(unsigned hz) const;
    unsigned PlayGetCenterFreq(unsigned& hz) const;
    // Play gain, 0.1 dB: -300 to 300.
    unsigned PlaySetGain(short tenth_db) const;
    unsigned PlayGetGain(short& tenth_db) const;
    // The play rate last set with PlaySetBW, samples/s.
    unsigned PlayGetBW(unsigned& iq_rate) const;
    unsigned PlaySetSpectralInv(unsigned on) const;  // 0 off, 1 on

    // First-generation capture settings. Centre frequency, Hz: 34,000,000 to 1,000,000,000.
    unsigned CaptureSetCenterFreq(unsigned hz) const;
    unsigned CaptureGetCenterFreq(unsigned& hz) const;
    // Input range, 0.1 dBm: -550 to 0. The capture gain follows it (the gain that brings a
    // signal at the range's top to full scale).
    unsigned CaptureSetRange(short tenth_dbm) const;
    unsigned CaptureGetRange(short& tenth_dbm) const;
    unsigned CaptureSetPreAmp(unsigned on) const;   // 0 off, 1 on
    unsigned CaptureGetPreAmp(unsigned& on) const;
    unsigned CaptureSetLoopThr(unsigned on) const;  // loop-through: play what is captured
    unsigned CaptureSetAGC(unsigned on) const;
    // AGC speed, ms: 10 to 1,000.
    unsigned CaptureSetAGCSpeed(unsigned ms) const;
    unsigned CaptureGetAGCSpeed(unsigned& ms) const;

    // First-generation system settings. Board mode: 0 play, 1 capture, 3 full-band capture.
    unsigned SetCapturePlayMode(unsigned mode) const;
    unsigned SetRef10M(unsigned external) const;  // 10 MHz reference: 0 internal, 1 external
    unsigned GetRef10M(unsigned& external) const;
    unsigned SetTrigger(unsigned on) const;
    unsigned GetTrigger(unsigned& on) const;
    // The byte indicator of the play DMA, both generations: 1 while the play DMA runs and the
    // last write was taken whole, else 0. The session advances its play counters only on 1.
    unsigned GetPlayByteIndicator(unsigned& indicator) const;

    // Second generation.
    unsigned Tm2GetAttenuatorID(unsigned& id) const;
    unsigned Tm2GetDownConvID(unsigned& id) const;
    unsigned Tm2GetUpConvID(unsigned& id) const;
    unsigned Tm2GetDspFpgaVer(unsigned& version) const;
    // Bits 16-23 are the hardware variant, 1 to 3.
    unsigned Tm2GetPumpFpgaVer(unsigned& version) const;
    unsigned Tm2GetDspNiosVer(unsigned& version) const;
    unsigned Tm2GetHWPCBVer(unsigned& version) const;
    unsigned Tm2PlayGetSpectrumOffsetGain(float& db) const;
    unsigned Tm2RecordGetSpectrumOffsetGain(float& db) const;
    unsigned Tm2RecordGetBandPowerOffsetGain(float& db) const;
    unsigned Tm2PlayGetOffSetGain(short& tenth_db) const;
    unsigned Tm2PlayGetOffSetGain_RfPathFromDac(short& tenth_db) const;
    unsigned Tm2RecordGetGain(short& tenth_db) const;
    unsigned Tm2GetTriggerInLevel(unsigned& level) const;  // 0 low, 1 high
    unsigned Tm2PowerOffLED() const;
    // The play path's log gain, 0.1 dB.
    unsigned Tm2PlaySetLogGain(short tenth_db) const;

    // Second-generation DMA. The direction is chosen before Tm2Start: capture (record at the
    // record I/Q rate; `rate` is not used) or play at `rate`. Tm2Read reads as Read does; set up
    // for play it brings nothing.
    unsigned Tm2SetDMAInitCtrl(bool capture, unsigned rate) const;
    unsigned Tm2Start() const;
    unsigned Tm2Stop() const;
    unsigned Tm2Read(void* buffer, unsigned length, unsigned& transferred) const;
    // The play write of the second generation, as Write: set up for play (Tm2SetDMAInitCtrl with
    // capture false) and started, else status_play_not_started.
    unsigned Tm2Write(const void* buffer, unsigned length, unsigned& transferred) const;
    // Second-generation play settings: I/Q rate 1,000 to 70,000,000 samples/s; centre frequency
    // 100,000 Hz or more; the recording's file power gain and the operator's user gain, 0.1 dB.
    unsigned Tm2PlaySetIQRate(unsigned rate) const;
    unsigned Tm2PlaySetFreq(unsigned hz) const;
    unsigned Tm2PlaySetFilePowerGain(short tenth_db) const;
    unsigned Tm2PlaySetUserGain(short tenth_db) const;
    unsigned Tm2GetDMASpeed(unsigned& speed) const;
    // Record I/Q rate, samples/s: 1,000 to 70,000,000 (60,000,000 at power-on).
    unsigned Tm2RecordGetIQRate(unsigned& rate) const;
    unsigned Tm2RecordSetIQRate(unsigned rate) const;
    unsigned Tm2GetSystemMode(unsigned& mode) const;  // 0 to 7
    unsigned Tm2SetSystemMode(unsigned mode) const;
    // The DMA block size of the HD Radio path, bytes.
    unsigned HDRadio_SetDMAInitCtrl(unsigned block_bytes) const;
};
