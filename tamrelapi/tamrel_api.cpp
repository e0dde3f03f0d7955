#include "tamrelapi/tamrel_api.hpp"

#include "tamrelapi/backend.hpp"

using tamrel::api::backend;

unsigned CTamrelAPI::Count() const { return backend().Count(); }
unsigned CTamrelAPI::Tm2Count() const { return backend().Tm2Count(); }
unsigned CTamrelAPI::Open(unsigned board) const { return backend().Open(board); }
unsigned CTamrelAPI::Tm2Open(unsigned board) const { return backend().Tm2Open(board); }
unsigned CTamrelAPI::Close() const { return backend().Close(); }
unsigned CTamrelAPI::Tm2Close() const { return backend().Tm2Close(); }
unsigned CTamrelAPI::SetImageType(unsigned type) const { return backend().SetImageType(type); }

unsigned CTamrelAPI::GetDllVerUniCode(std::u16string& text) const {
    return backend().GetDllVerUniCode(text);
}

unsigned CTamrelAPI::GetSerialNum(char* buffer, unsigned size) const {
    return backend().GetSerialNum(buffer, size);
}

unsigned CTamrelAPI::GetSerialNumUniCode(std::u16string& text) const {
    return backend().GetSerialNumUniCode(text);
}

unsigned CTamrelAPI::GetHWPCBVer(unsigned& version) const {
    return backend().GetHWPCBVer(version);
}

unsigned CTamrelAPI::PlayGetAttenID(unsigned& id) const { return backend().PlayGetAttenID(id); }
unsigned CTamrelAPI::CaptureGetDCID(unsigned& id) const { return backend().CaptureGetDCID(id); }

unsigned CTamrelAPI::CaptureGetGain(short& tenth_db) const {
    return backend().CaptureGetGain(tenth_db);
}

unsigned CTamrelAPI::Tm2PlaySetLogGain(short tenth_db) const {
    return backend().Tm2PlaySetLogGain(tenth_db);
}

unsigned CTamrelAPI::PlaySetCapturingGainOrSetCapturedGain(unsigned bandwidth, short tenth_db,
                                                           unsigned speed) const {
    return backend().PlaySetCapturingGainOrSetCapturedGain(bandwidth, tenth_db, speed);
}

unsigned CTamrelAPI::Write(const void* buffer, unsigned length, unsigned& transferred) const {
    return backend().Write(buffer, length, transferred);
}

unsigned CTamrelAPI::PlaySetBW(unsigned bandwidth, unsigned iq_rate) const {
    return backend().PlaySetBW(bandwidth, iq_rate);
}

unsigned CTamrelAPI::PlayGetCapturingGainOrSetCapturedGain(short& tenth_db) const {
    return backend().PlayGetCapturingGainOrSetCapturedGain(tenth_db);
}

unsigned CTamrelAPI::PlaySetCenterFreq(unsigned hz) const {
    return backend().PlaySetCenterFreq(hz);
}

unsigned CTamrelAPI::GetPlayByteIndicator(unsigned& indicator) const {
    return backend().GetPlayByteIndicator(indicator);
}

unsigned CTamrelAPI::PlayGetCenterFreq(unsigned& hz) const {
    return backend().PlayGetCenterFreq(hz);
}

unsigned CTamrelAPI::PlaySetGain(short tenth_db) const { return backend().PlaySetGain(tenth_db); }

unsigned CTamrelAPI::PlayGetGain(short& tenth_db) const { return backend().PlayGetGain(tenth_db); }

unsigned CTamrelAPI::PlayGetBW(unsigned& iq_rate) const { return backend().PlayGetBW(iq_rate); }

unsigned CTamrelAPI::PlaySetSpectralInv(unsigned on) const {
    return backend().PlaySetSpectralInv(on);
}

unsigned CTamrelAPI::CaptureSetCenterFreq(unsigned hz) const {
    return backend().CaptureSetCenterFreq(hz);
}

unsigned CTamrelAPI::CaptureGetCenterFreq(unsigned& hz) const {
    return backend().CaptureGetCenterFreq(hz);
}

unsigned CTamrelAPI::CaptureSetRange(short tenth_dbm) const {
    return backend().CaptureSetRange(tenth_dbm);
}

unsigned CTamrelAPI::CaptureGetRange(short& tenth_dbm) const {
    return backend().CaptureGetRange(tenth_dbm);
}

unsigned CTamrelAPI::CaptureSetPreAmp(unsigned on) const { return backend().CaptureSetPreAmp(on); }

unsigned CTamrelAPI::CaptureGetPreAmp(unsigned& on) const {
    return backend().CaptureGetPreAmp(on);
}

unsigned CTamrelAPI::CaptureSetLoopThr(unsigned on) const {
    return backend().CaptureSetLoopThr(on);
}

unsigned CTamrelAPI::CaptureSetAGC(unsigned on) const { return backend().CaptureSetAGC(on); }

unsigned CTamrelAPI::CaptureSetAGCSpeed(unsigned ms) const {
    return backend().CaptureSetAGCSpeed(ms);
}

unsigned CTamrelAPI::CaptureGetAGCSpeed(unsigned& ms) const {
    return backend().CaptureGetAGCSpeed(ms);
}

unsigned CTamrelAPI::SetCapturePlayMode(unsigned mode) const {
    return backend().SetCapturePlayMode(mode);
}

unsigned CTamrelAPI::SetRef10M(unsigned external) const { return backend().SetRef10M(external); }

unsigned CTamrelAPI::GetRef10M(unsigned& external) const { return backend().GetRef10M(external); }

unsigned CTamrelAPI::SetTrigger(unsigned on) const { return backend().SetTrigger(on); }

unsigned CTamrelAPI::GetTrigger(unsigned& on) const { return backend().GetTrigger(on); }

unsigned CTamrelAPI::GetDMASpeed(unsigned& speed) const { return backend().GetDMASpeed(speed); }
unsigned CTamrelAPI::GetFifo(unsigned& bytes) const { return backend().GetFifo(bytes); }
unsigned CTamrelAPI::FifoReset() const { return backend().FifoReset(); }
unsigned CTamrelAPI::Start() const { return backend().Start(); }
unsigned CTamrelAPI::Stop() const { return backend().Stop(); }

unsigned CTamrelAPI::Read(void* buffer, unsigned length, unsigned& transferred) const {
    return backend().Read(buffer, length, transferred);
}

unsigned CTamrelAPI::CaptureSetBW(unsigned bandwidth) const {
    return backend().CaptureSetBW(bandwidth);
}

unsigned CTamrelAPI::CaptureGetBW(unsigned& bandwidth) const {
    return backend().CaptureGetBW(bandwidth);
}

unsigned CTamrelAPI::SetPowerOffMode(unsigned mode) const {
    return backend().SetPowerOffMode(mode);
}

unsigned CTamrelAPI::PlaySetRfOutEnable(bool enable) const {
    return backend().PlaySetRfOutEnable(enable);
}

unsigned CTamrelAPI::Tm2GetAttenuatorID(unsigned& id) const {
    return backend().Tm2GetAttenuatorID(id);
}

unsigned CTamrelAPI::Tm2GetDownConvID(unsigned& id) const {
    return backend().Tm2GetDownConvID(id);
}

unsigned CTamrelAPI::Tm2GetUpConvID(unsigned& id) const { return backend().Tm2GetUpConvID(id); }

unsigned CTamrelAPI::Tm2GetDspFpgaVer(unsigned& version) const {
    return backend().Tm2GetDspFpgaVer(version);
}

unsigned CTamrelAPI::Tm2GetPumpFpgaVer(unsigned& version) const {
    return backend().Tm2GetPumpFpgaVer(version);
}

unsigned CTamrelAPI::Tm2GetDspNiosVer(unsigned& version) const {
    return backend().Tm2GetDspNiosVer(version);
}

unsigned CTamrelAPI::Tm2GetHWPCBVer(unsigned& version) const {
    return backend().Tm2GetHWPCBVer(version);
}

unsigned CTamrelAPI::Tm2PlayGetSpectrumOffsetGain(float& db) const {
    return backend().Tm2PlayGetSpectrumOffsetGain(db);
}

unsigned CTamrelAPI::Tm2RecordGetSpectrumOffsetGain(float& db) const {
    return backend().Tm2RecordGetSpectrumOffsetGain(db);
}

unsigned CTamrelAPI::Tm2RecordGetBandPowerOffsetGain(float& db) const {
    return backend().Tm2RecordGetBandPowerOffsetGain(db);
}

unsigned CTamrelAPI::Tm2PlayGetOffSetGain(short& tenth_db) const {
    return backend().Tm2PlayGetOffSetGain(tenth_db);
}

unsigned CTamrelAPI::Tm2PlayGetOffSetGain_RfPathFromDac(short& tenth_db) const {
    return backend().Tm2PlayGetOffSetGain_RfPathFromDac(tenth_db);
}

unsigned CTamrelAPI::Tm2RecordGetGain(short& tenth_db) const {
    return backend().Tm2RecordGetGain(tenth_db);
}

unsigned CTamrelAPI::Tm2GetTriggerInLevel(unsigned& level) const {
    return backend().Tm2GetTriggerInLevel(level);
}

unsigned CTamrelAPI::Tm2PowerOffLED() const { return backend().Tm2PowerOffLED(); }

unsigned CTamrelAPI::Tm2SetDMAInitCtrl(bool capture, unsigned rate) const {
    return backend().Tm2SetDMAInitCtrl(capture, rate);
}

unsigned CTamrelAPI::Tm2Start() const { return backend().Tm2Start(); }
unsigned CTamrelAPI::Tm2Stop() const { return backend().Tm2Stop(); }

unsigned CTamrelAPI::Tm2Read(void* buffer, unsigned length, unsigned& transferred) const {
    return backend().Tm2Read(buffer, length, transferred);
}

unsigned CTamrelAPI::Tm2Write(const void* buffer, unsigned length, unsigned& transferred) const {
    return backend().Tm2Write(buffer, length, transferred);
}

unsigned CTamrelAPI::Tm2PlaySetIQRate(unsigned rate) const {
    return backend().Tm2PlaySetIQRate(rate);
}

unsigned CTamrelAPI::Tm2PlaySetFreq(unsigned hz) const { return backend().Tm2PlaySetFreq(hz); }

unsigned CTamrelAPI::Tm2PlaySetFilePowerGain(short tenth_db) const {
    return backend().Tm2PlaySetFilePowerGain(tenth_db);
}

unsigned CTamrelAPI::Tm2PlaySetUserGain(short tenth_db) const {
    return backend().Tm2PlaySetUserGain(tenth_db);
}

unsigned CTamrelAPI::Tm2GetDMASpeed(unsigned& speed) const {
    return backend().Tm2GetDMASpeed(speed);
}

unsigned CTamrelAPI::Tm2RecordGetIQRate(unsigned& rate) const {
    return backend().Tm2RecordGetIQRate(rate);
}

unsigned CTamrelAPI::Tm2RecordSetIQRate(unsigned rate) const {
    return backend().Tm2RecordSetIQRate(rate);
}

unsigned CTamrelAPI::Tm2GetSystemMode(unsigned& mode) const {
    return backend().Tm2GetSystemMode(mode);
}

unsigned CTamrelAPI::Tm2SetSystemMode(unsigned mode) const {
    return backend().Tm2SetSystemMode(mode);
}

unsigned CTamrelAPI::HDRadio_SetDMAInitCtrl(unsigned block_bytes) const {
    return backend().HDRadio_SetDMAInitCtrl(block_bytes);
}
