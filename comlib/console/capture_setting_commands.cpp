// The first generation's capture setting commands: centre frequency, input range (also the
// automatic range of a remote controller), pre-amplifier, loop-through, AGC and AGC speed.
// Each has a read form, a write form and the usage reply, with the texts as the operators know
// them (their spelling included).

#include "comlib/console/command_line.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

namespace {

constexpr unsigned kCaptureFreqMax = 1'000'000'000;
constexpr unsigned kCaptureFreqMin8MHz = 34'000'000;
constexpr unsigned kCaptureFreqMin24MHz = 42'000'000;
constexpr int kRangeMin = -550;
constexpr int kRangeMax = 0;
constexpr unsigned kAgcSpeedMin = 10;
constexpr unsigned kAgcSpeedMax = 1'000;
constexpr unsigned kCapturedGainSpeedMs = 250;

const char16_t* on_off(std::uint32_t value) { return value == 1 ? u"On" : u"Off"; }

}  // namespace

void CTamrelComMFC::report_capture_gain(const char16_t* format) {
    float gain = capture_gain_db_.load();
    (void)TmGetCaptureGain(gain);
    send_status(platform::format(format, static_cast<double>(gain)).c_str());
}

void CTamrelComMFC::compensate_loop_through() {
    if (setting_.get(&_TmSettingBlock_t::CaptureLoopThrough) != 1) return;
    // Loop-through plays what is captured: the play path takes back the capture gain.
    const float gain = capture_gain_db_.load();
    const auto tenths = static_cast<short>(static_cast<int>(gain * 10.0F + 0.5F));
    if (const unsigned status = tm_device().PlaySetCapturingGainOrSetCapturedGain(
            setting_.get(&_TmSettingBlock_t::CaptureBW), tenths, kCapturedGainSpeedMs)) {
        TmErrorReport(status);
    }
}

void CTamrelComMFC::cmd_capturefreq(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    const CTamrelAPI& device = tm_device();
    auto report_frequency = [&] {
        unsigned hz = setting_.get(&_TmSettingBlock_t::CaptureFreq);
        if (const unsigned status = device.CaptureGetCenterFreq(hz)) TmErrorReport(status);
        send_status(platform::format(u"Capture Frequency : %u hz", hz).c_str());
    };
    if (form == ArgumentForm::read) {
        report_frequency();
        return;
    }
    unsigned lower = kCaptureFreqMin8MHz;
    if (form == ArgumentForm::write) {
        unsigned bandwidth = 0;
        if (const unsigned status = device.CaptureGetBW(bandwidth); status != 0 || bandwidth > TM_BW_24MHZ) {
            // Without the bandwidth the lower bound is unknown: nothing is changed.
            TmErrorReport(status != 0 ? status : kStatusRefused);
            send_status(u"capturefreq:Fail");
            return;
        }
        lower = bandwidth == TM_BW_24MHZ ? kCaptureFreqMin24MHz : kCaptureFreqMin8MHz;
    }
    if (form != ArgumentForm::write || in.value < lower || in.value > kCaptureFreqMax) {
        send_usage(u"Usage(read) : capturefreq",
                   u"Usage(write) : capturefreq [50000000~1000000000] ([50000000~1000000000]hz)");
        return;
    }
    const auto value = static_cast<unsigned>(in.value);
    if (const unsigned status = device.CaptureSetCenterFreq(value)) TmErrorReport(status);
    setting_.set(&_TmSettingBlock_t::CaptureFreq, value);
    TmSetStaticWinText(TM_STATIC_CAPTURE_FREQ, platform::format(u"%u Hz", value));
    report_frequency();
    report_capture_gain(u"Capture Gain:%.1fdB");
}

void CTamrelComMFC::set_capture_range(short range, const char16_t* range_format) {
    const CTamrelAPI& device = tm_device();
    if (const unsigned status = device.CaptureSetRange(range)) TmErrorReport(status);
    setting_.set(&_TmSettingBlock_t::CaptureRange, range);
    TmSetStaticWinText(TM_STATIC_CAPTURE_RANGE, platform::format(u"%d X 0.1dBm", static_cast<int>(range)));
    short now = range;
    if (const unsigned status = device.CaptureGetRange(now)) TmErrorReport(status);
    send_status(platform::format(range_format, static_cast<int>(now)).c_str());
    report_capture_gain(u"Capture Gain:%.1f");
}

void CTamrelComMFC::cmd_capturerange(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::read) {
        short range = setting_.get(&_TmSettingBlock_t::CaptureRange);
        if (const unsigned status = tm_device().CaptureGetRange(range)) TmErrorReport(status);
        send_status(platform::format(u"Capture Range : %d x 0.1dBm", static_cast<int>(range)).c_str());
        return;
    }
    if (in.form == ArgumentForm::usage) {
        send_usage(u"Usage(read) : capturerange",
                   platform::format(u"Usage(write) : capturerange [%d~%d] ( x 0.1dBm)", kRangeMin, kRangeMax).c_str());
        return;
    }
    if (in.value < kRangeMin || in.value > kRangeMax) {
        send_usage(u"Usage(read) : capturerange",
                   platform::format(u"Usage(write) : capturerange [%d~%d] (x 0.1dBm)", kRangeMin, kRangeMax).c_str());
        return;
    }
    set_capture_range(static_cast<short>(in.value), u"Capture Range : %d x 0.1dBm");
    compensate_loop_through();
}

void CTamrelComMFC::cmd_autorange(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form != ArgumentForm::write || in.value < kRangeMin || in.value > kRangeMax) {
        send_status(platform::format(u"Usage(write) : capturerange [%d~%d] ( x 0.1dBm)", kRangeMin, kRangeMax).c_str());
        return;
    }
    set_capture_range(static_cast<short>(in.value), u"Capture Range: %d x 0.1dBm");
}

void CTamrelComMFC::cmd_captureamp(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::usage || (in.form == ArgumentForm::write && in.value != 0 && in.value != 1)) {
        send_usage(u"Usage : captureamp 1(AMP On)", u"Usage : captureamp 0(Amp Off)");
        return;
    }
    const CTamrelAPI& device = tm_device();
    auto failed = [this](unsigned status) {
        send_status(platform::format(u"Err:0x%x", status).c_str());
        TmErrorReport(status);
    };
    unsigned status = 0;
    if (in.form == ArgumentForm::write) {
        status = device.CaptureSetPreAmp(static_cast<unsigned>(in.value));
        if (status == 0) setting_.set(&_TmSettingBlock_t::CapturePreAmp, static_cast<std::uint32_t>(in.value));
    }
    unsigned amp = 0;
    if (status == 0) status = device.CaptureGetPreAmp(amp);
    if (status != 0) {
        failed(status);
        return;
    }
    send_status(amp == 1 ? u"PreAmp :On" : amp == 0 ? u"PreAmp :Off" : u"PreAmp :Invalid");
    if (in.form == ArgumentForm::write) {
        TmSetStaticWinText(TM_STATIC_CAPTURE_PREAMP, amp == 1 ? u"AMP On" : amp == 0 ? u"AMP Off" : u"AMP Invalid");
    }
}

void CTamrelComMFC::cmd_captureloop(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::usage || (in.form == ArgumentForm::write && in.value != 0 && in.value != 1)) {
        send_usage(u"Usage(read) : captureloop", u"Usage(wrtie) : captureloop 0/1(Off/On)");
        return;
    }
    if (in.form == ArgumentForm::write) {
        StartStop_ThreadCyclicControl(0);
        if (const unsigned status = tm_device().CaptureSetLoopThr(static_cast<unsigned>(in.value))) {
            TmErrorReport(status);
        } else {
            setting_.set(&_TmSettingBlock_t::CaptureLoopThrough, static_cast<std::uint32_t>(in.value));
        }
        TmSetStaticWinText(TM_STATIC_CAPTURE_LOOP, on_off(setting_.get(&_TmSettingBlock_t::CaptureLoopThrough)));
    }
    send_status(setting_.get(&_TmSettingBlock_t::CaptureLoopThrough) == 1 ? u"Loop Through:On" : u"Loop Through:Off");
    if (in.form == ArgumentForm::write) StartStop_ThreadCyclicControl(1);
}

void CTamrelComMFC::cmd_captureagc(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::usage || (in.form == ArgumentForm::write && in.value != 0 && in.value != 1)) {
        send_usage(u"Usage(read) : captureagc", u"Usage(wrtie) : captureagc 0/1(Off/On)");
        return;
    }
    if (in.form == ArgumentForm::write) {
        if (const unsigned status = tm_device().CaptureSetAGC(static_cast<unsigned>(in.value))) {
            TmErrorReport(status);
        } else {
            setting_.set(&_TmSettingBlock_t::CaptureAGC, static_cast<std::uint32_t>(in.value));
        }
        TmSetStaticWinText(TM_STATIC_CAPTURE_AGC, on_off(setting_.get(&_TmSettingBlock_t::CaptureAGC)));
    }
    send_status(setting_.get(&_TmSettingBlock_t::CaptureAGC) == 1 ? u"AGC:On" : u"AGC:Off");
}

void CTamrelComMFC::cmd_captureagcspeed(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::read) {
        unsigned ms = setting_.get(&_TmSettingBlock_t::CaptureAGCSpeed);
        if (const unsigned status = tm_device().CaptureGetAGCSpeed(ms)) TmErrorReport(status);
        send_status(platform::format(u"AGC Speed : %u ms", ms).c_str());
        return;
    }
    if (in.form != ArgumentForm::write || in.value < kAgcSpeedMin || in.value > kAgcSpeedMax) {
        send_usage(u"Usage(read) : captureagcspeed", u"Usage(write) : captureagcspeed [10~500]([10~500]ms)");
        return;
    }
    const auto ms = static_cast<unsigned>(in.value);
    if (const unsigned status = tm_device().CaptureSetAGCSpeed(ms)) TmErrorReport(status);
    setting_.set(&_TmSettingBlock_t::CaptureAGCSpeed, ms);
    TmSetStaticWinText(TM_STATIC_CAPTURE_AGC_SPEED, platform::format(u"%u ms", ms));
    send_status(platform::format(u"AGC Speed : %u ms", ms).c_str());
}
