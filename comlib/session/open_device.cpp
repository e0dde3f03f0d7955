// Opening the device: find the board and its generation, open it, read its identification and
// calibration into the settings, check the second generation's firmware, fill the status windows
// and start the threads.

#include <cstring>

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/rf_modules.hpp"

namespace {

constexpr unsigned kFpgaVersionSpace = 1;
constexpr unsigned kFpgaVersionRegister = 0x8008;

std::u16string version_text(std::uint32_t v) {
    return platform::format(u"%d.%d.%d.%d", (v >> 24) & 0xFF, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

const char16_t* on_off(std::uint32_t flag) { return flag != 0 ? u"On" : u"Off"; }

// The firmware a second-generation board of hardware variant 1, 2 or 3 needs.
struct RequiredFirmware {
    const char16_t* pump;
    const char16_t* nios;
};
constexpr RequiredFirmware kRequired[] = {
    {u"2.1.1.2", u"1.1.0.2"}, {u"2.2.0.0", u"1.2.0.0"}, {u"2.3.0.0", u"1.3.0.0"}};

}  // namespace

unsigned CTamrelComMFC::TmOpenDevice() {
    using S = _TmSettingBlock_t;
    const CTamrelAPI& device = tm_device();
    unsigned result = 0;

    // 1. Who we are and which library we talk to.
    send_status(u" <<Tamrel Program>>");
    std::u16string library_version;
    if (device.GetDllVerUniCode(library_version) == 0) TmStatusStrUpdate(library_version);

    // 2. Find the device and its generation.
    setting_.set(&S::Generation, 0);
    unsigned count = device.Count();
    if (count != 0) {
        send_status(u"Tamrel Device Ok");
    } else {
        count = device.Tm2Count();
        if (count == 1) {
            setting_.set(&S::Generation, 2);
            send_status(u"Tamrel2 Device Ok");
        } else {
            send_status(u"Tamrel No Device");
        }
    }
    device_count_.store(count);
    TmStatusStrUpdate(platform::format(u"Boards Number=%d", count));

    if (count == 0) {
        send_status(u"Tamrel Open Fail");
    } else if (setting_.get(&S::Generation) < 2) {
        // 4. First generation.
        send_status(device.Open(0) == 0 ? u"Tamrel Device Open Ok" : u"Tamrel Device Open Fail");
        send_status(OpenSerial() == 0 ? u"COM5 GPS Open Ok" : u"COM5 GPS Open Fail");
        unsigned value = 0;
        if (device.GetHWPCBVer(value) == 0) setting_.set(&S::PCBVersion, value);
        if (const unsigned status = device.SetImageType(0); status != 0) {
            TmStatusStrUpdate(platform::format(u"Tamrel Image Download  Error:0x%x", status));
            result = status;
        }
        if (gc_PLXIO.read_reg(kFpgaVersionSpace, kFpgaVersionRegister, value) == 0) setting_.set(&S::FpgaVer, value);
        if (device.PlayGetAttenID(value) == 0) setting_.set(&S::PlayModuleID, value);
        if (device.CaptureGetDCID(value) == 0) setting_.set(&S::CaptureModuleID, value);
        float offset = 0.0F;
        if (gc_RfAtten.GetPlay_Spectrum_GainOffset_Cal(offset) == 0) setting_.set(&S::PlaySpectrumGainOffset, offset);
        if (gc_RfDC.GetCapture_Spectrum_GainOffset_Cal(offset) == 0) setting_.set(&S::CaptureSpectrumGainOffset, offset);
        if (gc_RfDC.GetCapture_IQPower_GainOffset_Cal(offset) == 0) capture_iq_power_offset_.store(offset);
        TmSetStaticWinText(TM_STATIC_FPGA_VER, version_text(setting_.get(&S::FpgaVer)));
    } else {
        // 5. Second generation.
        send_status(device.Tm2Open(0) == 0 ? u"Tamrel2 Device Open Ok" : u"Tamrel2 Device Open Fail");
        send_status(Tm2GPSOpen() == 0 ? u"Tamrel2 GPS Open Ok" : u"Tamrel2 GPS Open Fail");
        unsigned value = 0;
        if (device.Tm2GetAttenuatorID(value) == 0) setting_.set(&S::PlayModuleID, value);
        if (device.Tm2GetDownConvID(value) == 0) setting_.set(&S::CaptureModuleID, value);
        if (device.Tm2GetUpConvID(value) == 0) setting_.set(&S::UpConvModuleID, value);
        if (device.Tm2GetDspFpgaVer(value) == 0) setting_.set(&S::FpgaVer, value);
        if (device.Tm2GetHWPCBVer(value) == 0) setting_.set(&S::PCBVersion, value);
        float offset = 0.0F;
        if (device.Tm2PlayGetSpectrumOffsetGain(offset) == 0) setting_.set(&S::PlaySpectrumGainOffset, offset);
        if (device.Tm2RecordGetSpectrumOffsetGain(offset) == 0) setting_.set(&S::CaptureSpectrumGainOffset, offset);
        if (device.Tm2RecordGetBandPowerOffsetGain(offset) == 0) capture_iq_power_offset_.store(offset);
        if (device.Tm2GetDspNiosVer(value) == 0) setting_.set(&S::DspNiosVer, value);
        if (device.Tm2GetPumpFpgaVer(value) == 0) setting_.set(&S::PumpFpgaVer, value);
        short gain = 0;
        if (device.Tm2PlayGetOffSetGain(gain) == 0) {
            play_offset_gain_.store(gain);
            play_offset_gain_work_.store(gain);
        }
        if (device.Tm2PlayGetOffSetGain_RfPathFromDac(gain) == 0) play_offset_gain_dac_.store(gain);

        // Firmware check: the texts are compared as strings, as the update tools do, so
        // "2.10.0.0" counts as older than "2.2.0.0".
        const std::uint32_t pump = setting_.get(&S::PumpFpgaVer);
        const std::uint32_t nios = setting_.get(&S::DspNiosVer);
        const std::uint32_t variant = (pump >> 16) & 0xFF;
        if (variant >= 1 && variant <= 3) {
            const RequiredFirmware& required = kRequired[variant - 1];
            if (std::u16string_view(required.pump) > version_text(pump) && (pump >> 24) == 2) {
                TmPostMessage(static_cast<int>(platform::kMsgPumpFlashNeedsUpdate), 0, 0);
            }
            if (std::u16string_view(required.nios) > version_text(nios) && (nios >> 24) == 1) {
                TmPostMessage(static_cast<int>(platform::kMsgDspFlashNeedsUpdate), 0, 0);
            }
        }
        TmSetStaticWinText(TM_STATIC_FPGA_VER, version_text(setting_.get(&S::FpgaVer)));
    }

    // 6. Serial number.
    char serial[10] = {};
    if (device.GetSerialNum(serial, sizeof serial) == 0) setting_.set_serial(serial, sizeof serial);

    // 7. Threads.
    BeginThread();

    // 8. Status windows.
    const _TmSettingBlock_t b = setting_.snapshot();
    const bool second = b.Generation >= 2;
    std::u16string serial_text;
    (void)device.GetSerialNumUniCode(serial_text);
    TmSetStaticWinText(TM_STATIC_SN, serial_text);
    TmSetStaticWinText(TM_STATIC_CONNECT, connection_state_.load() == 2 ? u"On" : u"Off");
    TmSetStaticWinText(TM_STATIC_MODE, direction_.load() == 1 ? u"Capture" : u"Play");
    TmSetStaticWinText(TM_STATIC_GPS, on_off(b.GPS));
    TmSetStaticWinText(TM_STATIC_DRIVE, platform::format(u"%c", static_cast<char16_t>(u'A' + b.DriveIndex % 26)));
    TmSetStaticWinText(TM_STATIC_TOTAL, platform::format(u"%d GB", drive_total_gb_.load()));
    TmSetStaticWinText(TM_STATIC_FREE, platform::format(u"%d GB", drive_free_gb_.load()));
    TmSetStaticWinText(TM_STATIC_REF, b.RefClock != 0 ? u"EXT" : u"INT");
    TmSetStaticWinText(TM_STATIC_TRIGGER, on_off(b.Trigger));
    TmSetStaticWinText(TM_STATIC_CAPTURE_FREQ, platform::format(u"%u Hz", b.CaptureFreq));
    TmSetStaticWinText(TM_STATIC_CAPTURE_RANGE, platform::format(u"%d X 0.1dBm", b.CaptureRange));
    TmSetStaticWinText(TM_STATIC_CAPTURE_PREAMP, second ? u"N/A" : on_off(b.CapturePreAmp));
    TmSetStaticWinText(TM_STATIC_CAPTURE_BW,
                       second ? platform::format(u"%.3fM", static_cast<double>(b.RecordIQRate) * 0.8 / 1'000'000.0)
                              : std::u16string(b.CaptureBW == TM_BW_24MHZ ? u"24M" : u"8M"));
    TmSetStaticWinText(TM_STATIC_CAPTURE_LOOP, on_off(b.CaptureLoopThrough));
    TmSetStaticWinText(TM_STATIC_CAPTURE_AGC, on_off(b.CaptureAGC));
    TmSetStaticWinText(TM_STATIC_CAPTURE_AGC_SPEED, platform::format(u"%d ms", b.CaptureAGCSpeed));
    TmSetStaticWinText(TM_STATIC_PLAY_FREQ, platform::format(u"%u Hz", b.PlayFreq));
    TmSetStaticWinText(TM_STATIC_PLAY_GAIN, platform::format(u"%d X 0.1dB", b.PlayGain));
    TmSetStaticWinText(TM_STATIC_PLAY_BW, b.PlayBW == TM_BW_24MHZ ? u"24MHz" : u"8MHz");
    TmSetStaticWinText(TM_STATIC_PLAY_SPECINV, on_off(b.PlaySpecInv));
    return result;
}

unsigned CTamrelComMFC::Tm2InitMinMaxValueForSystemMode(_Tm2SystemMode_e mode) {
    struct Row {
        std::uint32_t freq_min, freq_max, rate_min, rate_max;
        std::int32_t range_min, range_max;
    };
    static constexpr Row kRows[] = {
        {100'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},      // other modes
        {48'000'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},   // 1 HF_HP
        {48'000'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, -300},  // 2 HF_LP
        {500'000, 47'500'000, 1'250'000, 60'000'000, -450, 100},          // 3 LF
        {1'000'000, 1'000'000, 2'500'000, 2'500'000, -450, 100},          // 4 LF_AM
        {48'000'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},   // 5 FULL_BAND_HF_HP
        {100'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100},      // 6 PLAY
        {100'000, 200'000'000, 1'000, 1'000'000, -550, 100},              // 7 HD Radio
    };
    const Row& row = (mode >= 1 && mode <= 7) ? kRows[mode] : kRows[0];
    const std::uint32_t variant = (setting_.get(&_TmSettingBlock_t::PumpFpgaVer) >> 16) & 0xFF;
    Tm2LimitSet limits{row.freq_min, row.freq_max, row.rate_min, row.rate_max, row.range_min,
                       row.range_max, -300, 300, 48'000'000, 0, 0, 2'700'000'000U};
    if (variant < 2) {
        limits.fullband_start_max = 2'604'000'000U;
        limits.fullband_stop_min = 144'000'000;
    } else {
        limits.fullband_start_max = 2'588'000'000U;
        limits.fullband_stop_min = 160'000'000;
    }
    limits_ = limits;
    return 0;
}
