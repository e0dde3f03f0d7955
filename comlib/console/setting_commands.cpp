// Setting commands of the console that need no mode change: the remote update speed, the
// resolution bandwidth of the spectrum, and the capture gain read-out.

#include "comlib/console/command_line.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

namespace {
constexpr int kSlowestUpdateSpeed = 4;
constexpr int kLastResBw = 3;
}  // namespace

void CTamrelComMFC::cmd_remoteupdatespeed(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    const std::int64_t value = in.value;
    if (form == ArgumentForm::usage) {
        send_usage(u"Usage(read) : remoteupdatespeed",
                   u"Usage(write) : remoteupdatespeed [0/1/2/3/4/5/6](fast, , , ,slow))");
        return;
    }
    if (form == ArgumentForm::write) {
        if (value < 0 || value > kSlowestUpdateSpeed) {
            send_usage(u"Usage(read) : remoteupdatespeed",
                       u"Usage(write) : remoteupdatespeed [0/1/2/3/4/5/6](fast, , , ,slow)");
            return;
        }
        SetRemoteUpdateSpeed(static_cast<_TmRemoteUpdateSpeed_e>(value));
    }
    send_status(platform::format(u"Update Speed : %u", setting_.get(&_TmSettingBlock_t::RemoteUpdateSpeed)).c_str());
}

void CTamrelComMFC::cmd_resbw(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    const std::int64_t value = in.value;
    if (form == ArgumentForm::usage || (form == ArgumentForm::write && (value < 0 || value > kLastResBw))) {
        send_usage(u"Usage(read) : resbw", u"Usage(write) : resbw [0/1/2/3]");
        return;
    }
    if (form == ArgumentForm::write) {
        setting_.set(&_TmSettingBlock_t::ResBW, static_cast<std::uint32_t>(value));
        preview_size_.store(GetTotalRawBytesToFFT());
    }
    static constexpr const char16_t* kNames[] = {u"ResBW(0)", u"ResBW(1)", u"ResBW(2)", u"ResBW(3)"};
    const std::uint32_t index = setting_.get(&_TmSettingBlock_t::ResBW);
    send_status(index <= static_cast<std::uint32_t>(kLastResBw) ? kNames[index] : u"ResBW(Unknown)");
}

void CTamrelComMFC::cmd_capturegain(const CommandContext&) {
    report_capture_gain(u"Gain:%.1f");
    compensate_loop_through();
}
