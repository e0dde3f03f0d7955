// The mode commands that drive a recording from the console (record, preview, t2record,
// t2preview) and the capture-time limit they honour (capturestoptype, capturetime).

#include "comlib/console/command_line.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"
#include "platform/text/scan.hpp"

namespace {
constexpr int kMaxCaptureTimeS = 86'400;
}

void CTamrelComMFC::mode_command(const CommandContext& context, bool second, TmMode_e mode,
                                 const char16_t* read_help, const char16_t* write_help) {
    int value = 0;
    int unused = 0;
    const int scanned = platform::scan(argument_text(context.line, context.word_end), u" %d %d", &value, &unused);
    const ArgumentForm form = argument_form(scanned, 1);
    if (form == ArgumentForm::read) {
        TmPlayCaptureModeStatusPrint(current_mode_.load());
        return;
    }
    if (form != ArgumentForm::write || (value != 0 && value != 1)) {
        send_usage(read_help, write_help);
        return;
    }
    auto controller = [this, second](TmMode_e m, int action) {
        return second ? Tm2PlayRecord(m, action) : TmPlayRecord(m, action);
    };
    if (value == 1) {
        // Another running mode is stopped first; from idle there is nothing to stop, and that
        // is not reported as a failure.
        if (const TmMode_e current = current_mode_.load(); current != TM_MODE_INIT) {
            if (const unsigned result = controller(current, 0)) TmErrorReport(result);
        }
        if (const unsigned result = controller(mode, 1)) TmErrorReport(result);
    } else if (const unsigned result = controller(mode, 0)) {
        TmErrorReport(result);
    }
}

void CTamrelComMFC::cmd_record(const CommandContext& context) {
    mode_command(context, false, TM_MODE_RECORD, u"Usage(read) : record", u"Usage(write) : record [0/1](Stop/Start)");
}

void CTamrelComMFC::cmd_preview(const CommandContext& context) {
    mode_command(context, false, TM_MODE_RECORD_PREVIEW, u"Usage(read) : preview",
                 u"Usage(write) : preview [0/1](Stop/Start)");
}

void CTamrelComMFC::cmd_t2record(const CommandContext& context) {
    mode_command(context, true, TM_MODE_RECORD, u"Usage(read) : t2record",
                 u"Usage(write) : t2record [0/1](Stop/Start)");
}

void CTamrelComMFC::cmd_t2preview(const CommandContext& context) {
    mode_command(context, true, TM_MODE_RECORD_PREVIEW, u"Usage(read) : preview",
                 u"Usage(write) : preview [0/1](Stop/Start)");
}

void CTamrelComMFC::cmd_capturestoptype(const CommandContext& context) {
    int value = 0;
    int unused = 0;
    const int scanned = platform::scan(argument_text(context.line, context.word_end), u" %d %d", &value, &unused);
    const ArgumentForm form = argument_form(scanned, 1);
    if (form == ArgumentForm::usage || (form == ArgumentForm::write && value != 0 && value != 1)) {
        send_usage(u"Usage(read) : capturelimit", u"Usage(write) : capturelimit [0/1](manual/auto)");
        return;
    }
    if (form == ArgumentForm::write) setting_.set(&_TmSettingBlock_t::CaptureStopType, static_cast<std::uint32_t>(value));
    const std::uint32_t stored = setting_.get(&_TmSettingBlock_t::CaptureStopType);
    send_status(stored == 0   ? u"Record Stop : manual"
                : stored == 1 ? u"Record Stop : auto"
                              : u"Record Stop : unknown");
}

void CTamrelComMFC::cmd_capturetime(const CommandContext& context) {
    int value = 0;
    int unused = 0;
    const int scanned = platform::scan(argument_text(context.line, context.word_end), u" %d %d", &value, &unused);
    const ArgumentForm form = argument_form(scanned, 1);
    if (form == ArgumentForm::read) {
        send_status(platform::format(u"Record Time : %d Sec",
                                     static_cast<int>(setting_.get(&_TmSettingBlock_t::CaptureTime))).c_str());
        return;
    }
    if (form != ArgumentForm::write || value < 1 || value > kMaxCaptureTimeS) {
        send_usage(u"Usage(read) : capturetime", u"Usage(write) : capturetime [1~7200]([1~7200]sec)");
        return;
    }
    setting_.set(&_TmSettingBlock_t::CaptureTime, static_cast<std::uint32_t>(value));
    send_status(platform::format(u"Record Time : %u Sec", setting_.get(&_TmSettingBlock_t::CaptureTime)).c_str());
}
