// The commands that choose the capture rate: capturebw (first generation: 8 or 24 MHz, i.e. 10
// or 30 MS/s) and t2recordiqrate (second generation: the record I/Q rate).

#include "comlib/console/command_line.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"
#include "platform/text/scan.hpp"

void CTamrelComMFC::cmd_capturebw(const CommandContext& context) {
    int value = 0;
    int unused = 0;
    const int scanned = platform::scan(argument_text(context.line, context.word_end), u" %d %d", &value, &unused);
    const ArgumentForm form = argument_form(scanned, 1);
    if (form == ArgumentForm::usage || (form == ArgumentForm::write && value != 0 && value != 1)) {
        send_usage(u"Usage(read) : capturebw", u"Usage(wrtie) : capturebw 0/1(8M/24M)");
        return;
    }
    if (form == ArgumentForm::read) {
        send_status(setting_.get(&_TmSettingBlock_t::CaptureBW) == TM_BW_24MHZ ? u"Capture BW:24MHz"
                                                                              : u"Capture BW:8MHz");
        return;
    }
    {
        const auto bandwidth = static_cast<std::uint32_t>(value);
        const TmMode_e mode = current_mode_.load();
        if (mode == TM_MODE_RECORD_PREVIEW) {
            StartStop_ThreadCyclicControl(0);
            if (const unsigned result = TmPlayRecord(mode, 0)) TmErrorReport(result);
            if (const unsigned status = tm_device().CaptureSetBW(bandwidth)) {
                TmErrorReport(status);
            } else {
                setting_.set(&_TmSettingBlock_t::CaptureBW, bandwidth);
                std::lock_guard lock(mode_mutex_);  // a start, as the controller makes one
                if (current_mode_.load() == TM_MODE_INIT && connection_state_.load() == 2) {
                    TmSetGraphInitTime(TM_MODE_RECORD_PREVIEW);
                    if (TmRecordPreview() == 0) {
                        send_mode_packet(TM_CMD_PREVIEW_START);
                        set_run_status(5);
                    }
                }
                TmReturnAck(0, TM_CMD_CAPTUREBW);
            }
            StartStop_ThreadCyclicControl(1);
        } else if (mode != TM_MODE_RECORD) {
            // Taken by the board when the next capture mode starts.
            setting_.set(&_TmSettingBlock_t::CaptureBW, bandwidth);
        }
    }
    preview_size_.store(GetTotalRawBytesToFFT());
    const bool wide = setting_.get(&_TmSettingBlock_t::CaptureBW) == TM_BW_24MHZ;
    send_status(wide ? u"Capture BW:24MHz" : u"Capture BW:8MHz");
    TmSetStaticWinText(TM_STATIC_CAPTURE_BW, wide ? u"24M" : u"8M");
    float gain = capture_gain_db_.load();
    (void)TmGetCaptureGain(gain);
    send_status(platform::format(u"Gain:%.1f", static_cast<double>(gain)).c_str());
}

void CTamrelComMFC::cmd_t2recordiqrate(const CommandContext& context) {
    unsigned value = 0;
    int unused = 0;
    const int scanned = platform::scan(argument_text(context.line, context.word_end), u" %u %d", &value, &unused);
    const ArgumentForm form = argument_form(scanned, 1);
    const Tm2LimitSet limits = limits_;
    if (form == ArgumentForm::usage ||
        (form == ArgumentForm::write && (value < limits.record_iq_rate_min || value > limits.record_iq_rate_max))) {
        send_status(u"Usage(read) : t2recordiqrate");
        send_status(platform::format(u"Usage(wrtie) : t2recordiqrate [%u ~ %u]", limits.record_iq_rate_min,
                                     limits.record_iq_rate_max).c_str());
        return;
    }
    auto bandwidth_line = [this] {
        const double rate = setting_.get(&_TmSettingBlock_t::RecordIQRate);
        send_status(platform::format(u"Capture BW:%u Hz", static_cast<unsigned>(rate * 0.8 + 0.5)).c_str());
    };
    if (form == ArgumentForm::read) {
        bandwidth_line();
        return;
    }
    const TmMode_e mode = current_mode_.load();
    if (mode == TM_MODE_RECORD_PREVIEW) {
        StartStop_ThreadCyclicControl(0);
        if (const unsigned result = Tm2PlayRecord(mode, 0)) TmErrorReport(result);
        if (const unsigned status = tm_device().Tm2RecordSetIQRate(value)) {
            TmErrorReport(status);
        } else {
            setting_.set(&_TmSettingBlock_t::RecordIQRate, value);
            if (const unsigned result = Tm2PlayRecord(TM_MODE_RECORD_PREVIEW, 1)) TmErrorReport(result);
            TmReturnAck(0, TM_CMD_T2RECORDIQRATE);
        }
        StartStop_ThreadCyclicControl(1);
    } else if (mode != TM_MODE_RECORD) {
        // Taken by the board when the next record or preview starts.
        setting_.set(&_TmSettingBlock_t::RecordIQRate, value);
    }
    raw_data_limit_.store(GetTotalRawBytesToFFT());
    bandwidth_line();
    const double rate = setting_.get(&_TmSettingBlock_t::RecordIQRate);
    TmSetStaticWinText(TM_STATIC_CAPTURE_BW, platform::format(u"%.3fM", rate * 0.8 / 1000.0 / 1000.0));
}
