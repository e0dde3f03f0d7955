// The two periodic threads: the gain/trigger follower (every 500 ms) and the watchdog/status
// thread (every 300 ms while idle, else every update period).

#include <cstring>

#include <netinet/in.h>

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/sys/time.hpp"
#include "platform/text/format.hpp"

namespace {
constexpr unsigned kFollowerPeriodMs = 500;
constexpr std::uint32_t kCapturedGainHoldMs = 1500;
constexpr short kCapturedGainSpeed = 250;
constexpr std::uint32_t kDriveReportMs = 4000;
constexpr unsigned kIdleStatusPeriodMs = 300;

short tenths_rounded(float db) { return static_cast<short>(db * 10.0F + 0.5F); }
}  // namespace

void CTamrelComMFC::follower_thread() {
    while (!follower_stop_.load() && !stop_requested()) {
        follower_pass();
        follower_stop_event_.wait_for(kFollowerPeriodMs);
    }
}

void CTamrelComMFC::follower_pass() {
    if (connection_state_.load() != 2) return;
    const bool second = setting_.get(&_TmSettingBlock_t::Generation) >= 2;
    const TmMode_e mode = current_mode_.load();
    if (direction_.load() != 0) {
        if (second) {
            short tenths = 0;
            if (tm_device().Tm2RecordGetGain(tenths) == 0) capture_gain_db_.store(static_cast<float>(tenths) / 10.0F);
            if (trigger_seen_.load() == 0 && (mode == TM_MODE_BBR_RECORD || mode == TM_MODE_EVENT_RECORD)) {
                unsigned level = 0;
                if (tm_device().Tm2GetTriggerInLevel(level) == 0 && level == 1) {
                    trigger_seen_.store(1);
                    if (mode == TM_MODE_BBR_RECORD) {
                        SendCmdData(host_address_.load(), TM_CMD_BBR_STATUS, TM_RW_BBR_TRIGGER_IN, 0, nullptr);
                    } else {
                        SendCmdData(host_address_.load(), TM_CMD_EVT_NOTICE, TM_RW_EVT_TRIGGER_IN, 0, nullptr);
                    }
                }
            }
        } else if (setting_.get(&_TmSettingBlock_t::CaptureAGC) == 1 && mode != TM_MODE_INIT) {
            short tenths = 0;
            if (tm_device().CaptureGetGain(tenths) == 0) {
                const float db = static_cast<float>(tenths) / 10.0F;
                capture_gain_db_.store(db);
                const std::uint32_t now = platform::tick_ms();
                if (platform::tick_elapsed(last_gain_apply_tick_, now) > kCapturedGainHoldMs &&
                    setting_.get(&_TmSettingBlock_t::CaptureLoopThrough) == 1) {
                    tm_device().PlaySetCapturingGainOrSetCapturedGain(
                        setting_.get(&_TmSettingBlock_t::CaptureBW), tenths_rounded(db), kCapturedGainSpeed);
                    last_gain_apply_tick_ = now;
                }
            }
        }
        return;
    }
    if (mode != TM_MODE_PLAY) return;
    const float file_gain = play_file_gain_db_.load();
    if (second) {
        const int gain = setting_.get(&_TmSettingBlock_t::PlayGain) + static_cast<int>(file_gain * 10.0F);
        tm_device().Tm2PlaySetLogGain(static_cast<short>(gain));
    } else if (play_file_agc_.load() == 1 && file_gain != last_play_file_gain_) {
        last_play_file_gain_ = file_gain;
        tm_device().PlaySetCapturingGainOrSetCapturedGain(setting_.get(&_TmSettingBlock_t::PlayBW),
                                                         tenths_rounded(file_gain), kCapturedGainSpeed);
    }
}

void CTamrelComMFC::status_thread() {
    while (!stop_requested()) {
        status_pass();
        idle_for(current_mode_.load() == TM_MODE_INIT ? kIdleStatusPeriodMs : update_period_ms_.load());
    }
}

void CTamrelComMFC::watchdog_pass() {
    unsigned expected = 0;
    if (!expire_count_.compare_exchange_strong(expected, 60)) return;
    if (connection_state_.load() != 2 || api_in_control_.load() == 1) return;
    SendCmdData(host_address_.load(), TM_CMD_WATCHDOG_EXPIRED, TM_RW_NOTIFY, 0, nullptr);
    stop_current_mode();
    connection_state_.store(0);
    setting_.set(&_TmSettingBlock_t::Connected, 0);
    TmSetStaticWinText(TM_STATIC_CONNECT, u"Off");
    send_status(u"Disconnected");
    command_queue_.clear();
}

void CTamrelComMFC::status_pass() {
    watchdog_pass();

    const std::uint32_t now = platform::tick_ms();
    if (connection_state_.load() == 2 && platform::tick_elapsed(last_drive_report_tick_, now) >= kDriveReportMs) {
        last_drive_report_tick_ = now;
        UpdateSSDSize();
        const std::int32_t figures[3] = {drive_total_gb_.load(), drive_free_gb_.load(), drive_used_gb_.load()};
        SendCmdData(host_address_.load(), TM_CMD_DRIVE_SIZE, TM_RW_NOTIFY, sizeof figures, figures);
        if (low_space_.load() == 1 && current_mode_.load() == TM_MODE_RECORD) {
            SendCmdData(host_address_.load(), TM_CMD_RECORD_NOTICE, TM_RW_LOW_SPACE, 0, nullptr);
        }
    }

    bool sent = false;
    if (remote_monitor_.load() == 1 && preview_ready_.load() == 1 && api_in_control_.load() != 1) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = host_address_.load();
        to.sin_port = htons(host_udp_port_.load());
        SendRawData(&to, preview_buffer_, static_cast<int>(kPreviewBytes), 0);
        preview_ready_.store(0);
        preview_request_.store(1);
        sent = true;
    }
    if (local_monitor_.load() == 1 || sent) {
        const std::size_t queue_length = block_queue_.size();
        unsigned fifo = 0;
        (void)tm_device().GetFifo(fifo);  // a failed read shows 0
        if (local_monitor_.load() == 1) {
            TmStatusStrUpdate(platform::format(u"<DequeSize:%d,H:%d>", static_cast<int>(queue_length),
                                               static_cast<int>(fifo >> 20)));
        }
    }
}

void CTamrelComMFC::stop_current_mode() {
    // The controller of the device's generation: the first generation's stop sequence would send
    // the wrong packets and drive the wrong board calls on a second-generation instrument.
    const TmMode_e mode = current_mode_.load();
    const unsigned result = second_generation() ? Tm2PlayRecord(mode, 0) : TmPlayRecord(mode, 0);
    (void)result;  // 1 while idle: nothing to stop is not a failure here
}
