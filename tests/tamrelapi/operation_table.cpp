#include "operation_table.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "tamrelapi/alt_pci_qsys.hpp"
#include "tamrelapi/converters.hpp"
#include "tamrelapi/plx_io.hpp"
#include "tamrelapi/rf_modules.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/tamrel_api.hpp"

namespace tamrel::test {
namespace {

constexpr unsigned kSentinelU = 0xDEADBEEF;
constexpr short kSentinelS = 0x5A5A;
constexpr float kSentinelF = -12345.5F;
const std::u16string kSentinelText = u"untouched";

template <typename T> T sentinel();
template <> unsigned sentinel<unsigned>() { return kSentinelU; }
template <> short sentinel<short>() { return kSentinelS; }
template <> float sentinel<float>() { return kSentinelF; }
template <> std::u16string sentinel<std::u16string>() { return kSentinelText; }

// A CTamrelAPI getter with one out-parameter.
template <typename T>
OperationCase getter(std::string_view name, Family family,
                     unsigned (CTamrelAPI::*member)(T&) const) {
    return {name, family, true, [member](bool& untouched) {
                T value = sentinel<T>();
                const unsigned status = (CTamrelAPI{}.*member)(value);
                untouched = value == sentinel<T>();
                return status;
            }};
}

// A board-object getter of a float.
template <typename Object>
OperationCase float_getter(std::string_view name, const Object& object,
                           unsigned (Object::*member)(float&) const) {
    return {name, Family::first, true, [&object, member](bool& untouched) {
                float value = kSentinelF;
                const unsigned status = (object.*member)(value);
                untouched = value == kSentinelF;
                return status;
            }};
}

// An operation whose effect is the open state of the board.
OperationCase open_state_change(std::string_view name, Family family, bool needs_open,
                                unsigned (*call)()) {
    return {name, family, needs_open, [call](bool& untouched) {
                const bool was_open = sim::control::is_open();
                const unsigned status = call();
                untouched = sim::control::is_open() == was_open;
                return status;
            }};
}

// An operation whose effect shows in what `read` returns (a value with ==).
template <typename Read>
OperationCase effect(std::string_view name, Family family, unsigned (*call)(), Read read) {
    return {name, family, true, [call, read](bool& untouched) {
                const auto before = read();
                const unsigned status = call();
                untouched = read() == before;
                return status;
            }};
}

// A block read of the capture DMA; a capture source that was never started has nothing to give,
// so a call that acts writes only `transferred`.
OperationCase block_read(std::string_view name, Family family,
                         unsigned (CTamrelAPI::*member)(void*, unsigned, unsigned&) const) {
    return {name, family, true, [member](bool& untouched) {
                constexpr unsigned kLength = 16;
                std::array<unsigned char, kLength> buffer{};
                buffer.fill(0xA5);
                unsigned transferred = kSentinelU;
                const sim::CaptureStats before = sim::control::capture_stats();
                const unsigned status = (CTamrelAPI{}.*member)(buffer.data(), kLength, transferred);
                untouched = transferred == kSentinelU && sim::control::capture_stats() == before &&
                            std::all_of(buffer.begin(), buffer.end(),
                                        [](unsigned char c) { return c == 0xA5; });
                return status;
            }};
}

// A block write of the play DMA, with the sink started through the control interface so an
// opened board takes the block; a call that acts records it, so the play record changes.
OperationCase block_write(std::string_view name, Family family,
                          unsigned (CTamrelAPI::*member)(const void*, unsigned, unsigned&) const) {
    return {name, family, true, [member](bool& untouched) {
                constexpr unsigned kLength = 16;
                std::array<unsigned char, kLength> buffer{};
                buffer.fill(0xA5);
                sim::control::start_play(1'000'000);
                unsigned transferred = kSentinelU;
                const sim::PlayStats before = sim::control::play_stats();
                const unsigned status = (CTamrelAPI{}.*member)(buffer.data(), kLength, transferred);
                untouched = transferred == kSentinelU && sim::control::play_stats() == before;
                return status;
            }};
}

std::vector<OperationCase> build() {
    using F = Family;
    std::vector<OperationCase> cases = {
        open_state_change("Open", F::first, false, [] { return CTamrelAPI{}.Open(0); }),
        open_state_change("Tm2Open", F::second, false, [] { return CTamrelAPI{}.Tm2Open(0); }),
        open_state_change("Close", F::first, true, [] { return CTamrelAPI{}.Close(); }),
        open_state_change("Tm2Close", F::second, true, [] { return CTamrelAPI{}.Tm2Close(); }),
        {"SetImageType", F::first, true,
         [](bool& untouched) {
             const auto before = sim::control::outputs().image_type;
             const unsigned status = CTamrelAPI{}.SetImageType(1);
             untouched = sim::control::outputs().image_type == before;
             return status;
         }},
        getter("GetSerialNumUniCode", F::common, &CTamrelAPI::GetSerialNumUniCode),
        {"GetSerialNum", F::common, true,
         [](bool& untouched) {
             std::array<char, 12> buffer{};
             buffer.fill('x');
             const unsigned status = CTamrelAPI{}.GetSerialNum(buffer.data(), 10);
             untouched = std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == 'x'; });
             return status;
         }},
        getter("GetHWPCBVer", F::first, &CTamrelAPI::GetHWPCBVer),
        getter("PlayGetAttenID", F::first, &CTamrelAPI::PlayGetAttenID),
        getter("CaptureGetDCID", F::first, &CTamrelAPI::CaptureGetDCID),
        getter("CaptureGetGain", F::first, &CTamrelAPI::CaptureGetGain),
        {"PlaySetCapturingGainOrSetCapturedGain", F::first, true,
         [](bool& untouched) {
             const unsigned before = sim::control::outputs().captured_gain_count;
             const unsigned status = CTamrelAPI{}.PlaySetCapturingGainOrSetCapturedGain(0, 25, 250);
             untouched = sim::control::outputs().captured_gain_count == before;
             return status;
         }},
        block_write("Write", F::first, &CTamrelAPI::Write),
        effect("PlaySetBW", F::first, [] { return CTamrelAPI{}.PlaySetBW(1, 30'000'000); },
               sim::control::play_settings),
        getter("PlayGetCapturingGainOrSetCapturedGain", F::first,
               &CTamrelAPI::PlayGetCapturingGainOrSetCapturedGain),
        effect("PlaySetCenterFreq", F::first,
               [] { return CTamrelAPI{}.PlaySetCenterFreq(433'920'000); },
               sim::control::play_settings),
        getter("GetPlayByteIndicator", F::common, &CTamrelAPI::GetPlayByteIndicator),
        getter("PlayGetCenterFreq", F::first, &CTamrelAPI::PlayGetCenterFreq),
        effect("PlaySetGain", F::first, [] { return CTamrelAPI{}.PlaySetGain(-125); },
               sim::control::play_settings),
        getter("PlayGetGain", F::first, &CTamrelAPI::PlayGetGain),
        getter("PlayGetBW", F::first, &CTamrelAPI::PlayGetBW),
        effect("PlaySetSpectralInv", F::first, [] { return CTamrelAPI{}.PlaySetSpectralInv(1); },
               sim::control::play_settings),
        effect("CaptureSetCenterFreq", F::first,
               [] { return CTamrelAPI{}.CaptureSetCenterFreq(100'000'000); },
               sim::control::capture_settings),
        getter("CaptureGetCenterFreq", F::first, &CTamrelAPI::CaptureGetCenterFreq),
        // The range also sets the capture gain; the readings show that half of the effect.
        effect("CaptureSetRange", F::first, [] { return CTamrelAPI{}.CaptureSetRange(-200); },
               sim::control::readings),
        getter("CaptureGetRange", F::first, &CTamrelAPI::CaptureGetRange),
        effect("CaptureSetPreAmp", F::first, [] { return CTamrelAPI{}.CaptureSetPreAmp(1); },
               sim::control::capture_settings),
        getter("CaptureGetPreAmp", F::first, &CTamrelAPI::CaptureGetPreAmp),
        effect("CaptureSetLoopThr", F::first, [] { return CTamrelAPI{}.CaptureSetLoopThr(1); },
               sim::control::capture_settings),
        effect("CaptureSetAGC", F::first, [] { return CTamrelAPI{}.CaptureSetAGC(1); },
               sim::control::capture_settings),
        effect("CaptureSetAGCSpeed", F::first, [] { return CTamrelAPI{}.CaptureSetAGCSpeed(500); },
               sim::control::capture_settings),
        getter("CaptureGetAGCSpeed", F::first, &CTamrelAPI::CaptureGetAGCSpeed),
        effect("SetCapturePlayMode", F::first, [] { return CTamrelAPI{}.SetCapturePlayMode(3); },
               sim::control::system_settings),
        effect("SetRef10M", F::first, [] { return CTamrelAPI{}.SetRef10M(1); },
               sim::control::system_settings),
        getter("GetRef10M", F::first, &CTamrelAPI::GetRef10M),
        effect("SetTrigger", F::first, [] { return CTamrelAPI{}.SetTrigger(1); },
               sim::control::system_settings),
        getter("GetTrigger", F::first, &CTamrelAPI::GetTrigger),
        block_write("Tm2Write", F::second, &CTamrelAPI::Tm2Write),
        effect("Tm2PlaySetIQRate", F::second,
               [] { return CTamrelAPI{}.Tm2PlaySetIQRate(5'000'000); },
               sim::control::play_settings),
        effect("Tm2PlaySetFreq", F::second, [] { return CTamrelAPI{}.Tm2PlaySetFreq(915'000'000); },
               sim::control::play_settings),
        effect("Tm2PlaySetFilePowerGain", F::second,
               [] { return CTamrelAPI{}.Tm2PlaySetFilePowerGain(-35); },
               sim::control::play_settings),
        effect("Tm2PlaySetUserGain", F::second,
               [] { return CTamrelAPI{}.Tm2PlaySetUserGain(12); }, sim::control::play_settings),
        getter("GetDMASpeed", F::first, &CTamrelAPI::GetDMASpeed),
        getter("GetFifo", F::common, &CTamrelAPI::GetFifo),
        effect("FifoReset", F::first, [] { return CTamrelAPI{}.FifoReset(); },
               sim::control::capture_stats),
        effect("Start", F::first, [] { return CTamrelAPI{}.Start(); },
               sim::control::capture_stats),
        effect("Stop", F::first, [] { return CTamrelAPI{}.Stop(); }, sim::control::capture_stats),
        block_read("Read", F::first, &CTamrelAPI::Read),
        effect("CaptureSetBW", F::first, [] { return CTamrelAPI{}.CaptureSetBW(1); },
               sim::control::capture_bandwidth),
        getter("CaptureGetBW", F::first, &CTamrelAPI::CaptureGetBW),
        effect("SetPowerOffMode", F::first, [] { return CTamrelAPI{}.SetPowerOffMode(1); },
               sim::control::outputs),
        effect("PlaySetRfOutEnable", F::first, [] { return CTamrelAPI{}.PlaySetRfOutEnable(true); },
               sim::control::outputs),
        effect("Tm2SetDMAInitCtrl", F::second,
               [] { return CTamrelAPI{}.Tm2SetDMAInitCtrl(false, 2'000'000); },
               sim::control::transfer_settings),
        effect("Tm2Start", F::second, [] { return CTamrelAPI{}.Tm2Start(); },
               sim::control::capture_stats),
        effect("Tm2Stop", F::second, [] { return CTamrelAPI{}.Tm2Stop(); },
               sim::control::capture_stats),
        block_read("Tm2Read", F::second, &CTamrelAPI::Tm2Read),
        getter("Tm2GetDMASpeed", F::second, &CTamrelAPI::Tm2GetDMASpeed),
        getter("Tm2RecordGetIQRate", F::second, &CTamrelAPI::Tm2RecordGetIQRate),
        effect("Tm2RecordSetIQRate", F::second,
               [] { return CTamrelAPI{}.Tm2RecordSetIQRate(1'000'000); },
               sim::control::record_iq_rate),
        getter("Tm2GetSystemMode", F::second, &CTamrelAPI::Tm2GetSystemMode),
        effect("Tm2SetSystemMode", F::second, [] { return CTamrelAPI{}.Tm2SetSystemMode(3); },
               sim::control::system_mode),
        effect("HDRadio_SetDMAInitCtrl", F::second,
               [] { return CTamrelAPI{}.HDRadio_SetDMAInitCtrl(4096); }, sim::control::outputs),
        getter("Tm2GetAttenuatorID", F::second, &CTamrelAPI::Tm2GetAttenuatorID),
        getter("Tm2GetDownConvID", F::second, &CTamrelAPI::Tm2GetDownConvID),
        getter("Tm2GetUpConvID", F::second, &CTamrelAPI::Tm2GetUpConvID),
        getter("Tm2GetDspFpgaVer", F::second, &CTamrelAPI::Tm2GetDspFpgaVer),
        getter("Tm2GetPumpFpgaVer", F::second, &CTamrelAPI::Tm2GetPumpFpgaVer),
        getter("Tm2GetDspNiosVer", F::second, &CTamrelAPI::Tm2GetDspNiosVer),
        getter("Tm2GetHWPCBVer", F::second, &CTamrelAPI::Tm2GetHWPCBVer),
        getter("Tm2PlayGetSpectrumOffsetGain", F::second,
               &CTamrelAPI::Tm2PlayGetSpectrumOffsetGain),
        getter("Tm2RecordGetSpectrumOffsetGain", F::second,
               &CTamrelAPI::Tm2RecordGetSpectrumOffsetGain),
        getter("Tm2RecordGetBandPowerOffsetGain", F::second,
               &CTamrelAPI::Tm2RecordGetBandPowerOffsetGain),
        getter("Tm2PlayGetOffSetGain", F::second, &CTamrelAPI::Tm2PlayGetOffSetGain),
        getter("Tm2PlayGetOffSetGain_RfPathFromDac", F::second,
               &CTamrelAPI::Tm2PlayGetOffSetGain_RfPathFromDac),
        getter("Tm2RecordGetGain", F::second, &CTamrelAPI::Tm2RecordGetGain),
        getter("Tm2GetTriggerInLevel", F::second, &CTamrelAPI::Tm2GetTriggerInLevel),
        {"Tm2PlaySetLogGain", F::second, true,
         [](bool& untouched) {
             const auto before = sim::control::outputs().play_log_gain;
             const unsigned status = CTamrelAPI{}.Tm2PlaySetLogGain(-45);
             untouched = sim::control::outputs().play_log_gain == before;
             return status;
         }},
        {"Tm2PowerOffLED", F::second, true,
         [](bool& untouched) {
             const bool before = sim::control::outputs().power_off_led;
             const unsigned status = CTamrelAPI{}.Tm2PowerOffLED();
             untouched = sim::control::outputs().power_off_led == before;
             return status;
         }},
        {"CPLXIO::read_reg", F::first, true,
         [](bool& untouched) {
             unsigned value = kSentinelU;
             const unsigned status = gc_PLXIO.read_reg(1, 0x8008, value);
             untouched = value == kSentinelU;
             return status;
         }},
        {"CPLXIO::write_reg", F::first, true,
         [](bool& untouched) {
             const auto before = sim::control::peek_register(1, 0x8010);
             const unsigned status = gc_PLXIO.write_reg(1, 0x8010, 0x1234);
             untouched = *sim::control::peek_register(1, 0x8010) == *before;
             return status;
         }},
        float_getter("CRfDC::GetCapture_Spectrum_GainOffset_Cal", gc_RfDC,
                     &CRfDC::GetCapture_Spectrum_GainOffset_Cal),
        float_getter("CRfDC::GetCapture_IQPower_GainOffset_Cal", gc_RfDC,
                     &CRfDC::GetCapture_IQPower_GainOffset_Cal),
        float_getter("CRfAtten::GetPlay_Spectrum_GainOffset_Cal", gc_RfAtten,
                     &CRfAtten::GetPlay_Spectrum_GainOffset_Cal),
        {"CAD9789::GetArbSymRate", F::first, true,
         [](bool& untouched) {
             unsigned rate = kSentinelU;
             const unsigned status = gc_AD9789.GetArbSymRate(rate);
             untouched = rate == kSentinelU;
             return status;
         }},
        {"CALT_PCI_QSYS::String_Recevie_From_GPS_RxCount", F::second, true,
         [](bool& untouched) {
             unsigned count = kSentinelU;
             const unsigned status = gc_AltPciQSys.String_Recevie_From_GPS_RxCount(count);
             untouched = count == kSentinelU;
             return status;
         }},
        // Text waits, so a call that acts takes some of it.
        {"CALT_PCI_QSYS::String_Recevie_From_GPS_Data", F::second, true,
         [](bool& untouched) {
             sim::control::feed_gps_text("$GPGGA");
             const std::size_t waiting = sim::control::gps_text_waiting();
             std::array<unsigned char, 8> buffer{};
             buffer.fill('x');
             const unsigned status = gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer.data(), 4);
             untouched = sim::control::gps_text_waiting() == waiting &&
                         std::all_of(buffer.begin(), buffer.end(),
                                     [](unsigned char c) { return c == 'x'; });
             return status;
         }},
    };
    // The version text needs no board; its own tests cover it, and it takes no part in the
    // availability rules, so it stays out of the table.
    return cases;
}

}  // namespace

bool belongs_to(const OperationCase& op, api::DeviceKind kind) {
    if (kind == api::DeviceKind::none) return false;
    if (op.family == Family::common) return true;
    return (op.family == Family::first) == (kind == api::DeviceKind::first_generation);
}

const std::vector<OperationCase>& operation_cases() {
    static const std::vector<OperationCase> cases = build();
    return cases;
}

}  // namespace tamrel::test
