// The first generation's system commands: the 10 MHz reference (extclk), the trigger input and
// the board mode (modechange: play, capture or full-band capture).

#include "comlib/console/command_line.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

namespace {

constexpr unsigned kBoardPlay = 0;
constexpr unsigned kBoardCapture = 1;
constexpr unsigned kBoardFullBand = 3;
constexpr unsigned kRunPreviewing = 5;

}  // namespace

void CTamrelComMFC::cmd_extclk(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::usage || (in.form == ArgumentForm::write && in.value != 0 && in.value != 1)) {
        send_usage(u"Usage(read) : extclk", u"Usage(write) : extclk 0/1(disable/enable)");
        return;
    }
    const CTamrelAPI& device = tm_device();
    if (in.form == ArgumentForm::write) {
        if (const unsigned status = device.SetRef10M(static_cast<unsigned>(in.value))) TmErrorReport(status);
        setting_.set(&_TmSettingBlock_t::RefClock, static_cast<std::uint32_t>(in.value));
    }
    unsigned external = setting_.get(&_TmSettingBlock_t::RefClock);
    if (const unsigned status = device.GetRef10M(external)) TmErrorReport(status);
    send_status(external == 1 ? u"extclk:Ext Clk Enable" : u"extclk:Ext Clk Disable");
    if (in.form == ArgumentForm::write) TmSetStaticWinText(TM_STATIC_REF, external == 1 ? u"EXT" : u"INT");
}

void CTamrelComMFC::cmd_trigger(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form == ArgumentForm::usage || (in.form == ArgumentForm::write && in.value != 0 && in.value != 1)) {
        send_usage(u"Usage(read) : trigger", u"Usage(write) : trigger 0/1(Off/On)");
        return;
    }
    const CTamrelAPI& device = tm_device();
    auto failed = [this](unsigned status) {
        send_status(platform::format(u"Err:0x%x", status).c_str());
        TmErrorReport(status);
    };
    auto text_of = [](unsigned on, const char16_t* when_on, const char16_t* when_off, const char16_t* otherwise) {
        return on == 1 ? when_on : on == 0 ? when_off : otherwise;
    };
    if (in.form == ArgumentForm::read) {
        unsigned on = 0;
        if (const unsigned status = device.GetTrigger(on)) {
            failed(status);
            return;
        }
        send_status(text_of(on, u"Trigger :On", u"Trigger :Off", u"Trigger :Invalid"));
        return;
    }
    const auto requested = static_cast<unsigned>(in.value);
    if (const unsigned status = device.SetTrigger(requested)) {
        failed(status);
        return;
    }
    TmReturnAck(0, TM_CMD_TRIGGER);
    setting_.set(&_TmSettingBlock_t::Trigger, requested);
    send_status(requested == 1 ? u"Trigger :On" : u"Trigger :Off");
    unsigned on = 0;
    if (const unsigned status = device.GetTrigger(on)) {
        failed(status);
        return;
    }
    TmSetStaticWinText(TM_STATIC_TRIGGER, text_of(on, u"On", u"Off", u"Invalid"));
}

void CTamrelComMFC::cmd_modechange(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    if (in.form != ArgumentForm::write) {
        send_status(direction_.load() != 0 ? u"Capture Mode" : u"Play Mode");
        return;
    }
    if (in.value != 0 && in.value != 1 && in.value != 3) {
        send_status(u"modechange:Fail");
        return;
    }
    const auto board_mode = static_cast<unsigned>(in.value);
    const CTamrelAPI& device = tm_device();
    StartStop_ThreadCyclicControl(0);
    // What runs is stopped; from idle there is nothing to stop and nothing to report.
    if (const TmMode_e mode = current_mode_.load(); mode != TM_MODE_INIT) {
        if (const unsigned result = TmPlayRecord(mode, 0)) TmErrorReport(result);
    }
    const unsigned status = device.SetCapturePlayMode(board_mode);
    if (status != 0) {
        TmErrorReport(status);
        send_status(u"modechange:Fail");
    } else {
        send_status(u"modechange:Ok");
    }
    auto show_capture_state = [this] {
        UpdateSSDSize();
        report_capture_gain(u"Gain:%.1f");
        unsigned speed = 0;
        (void)TmGetDMASpeed(speed);
    };
    switch (board_mode) {
    case kBoardCapture:
        if (status == 0) {
            std::lock_guard lock(mode_mutex_);  // a start, as the controller makes one
            if (current_mode_.load() == TM_MODE_INIT && connection_state_.load() == 2) {
                TmSetGraphInitTime(TM_MODE_RECORD_PREVIEW);
                if (TmRecordPreview() == 0) {
                    TmReturnAck(0, TM_CMD_PREVIEW_START);
                    set_run_status(kRunPreviewing);
                }
            }
        }
        if (status == 0) show_capture_state();
        StartStop_ThreadCyclicControl(1);
        direction_.store(kBoardCapture);
        break;
    case kBoardFullBand:
        if (status == 0) {
            if (const unsigned result = TmPlayRecord(TM_MODE_FULL_BAND_PREVIEW, 1)) TmErrorReport(result);
            show_capture_state();
        }
        // The follower stays stopped while the full band is swept.
        direction_.store(kBoardFullBand);
        break;
    case kBoardPlay:
    default:
        if (status == 0) {
            UpdateSSDSize();
            unsigned speed = 0;
            (void)TmGetDMASpeed(speed);  // reads into the block and sends the last speed
        }
        StartStop_ThreadCyclicControl(1);
        direction_.store(kBoardPlay);
        break;
    }
}
