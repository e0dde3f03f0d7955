// The connection commands: search, connect, disconnect and syncdata.

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"

namespace {
constexpr unsigned kConnectWatchdogCount = 8;
constexpr unsigned kPowerOffCapture = 1;
constexpr unsigned kPowerOffPlay = 0;
}  // namespace

void CTamrelComMFC::cmd_search(const CommandContext&) {
    const _TmSettingBlock_t block = setting_.snapshot();
    SendCmdData(search_address_.load(), TM_CMD_SEARCH, TM_RW_ACK, sizeof block, &block);
}

void CTamrelComMFC::cmd_connect(const CommandContext&) {
    // A remote host's connect brought its address and port; they take effect only on success,
    // so a failed connect leaves the attached host's (or the last one's) in place.
    const bool remote = connect_pending_.load() == 1;
    if (setting_.get(&_TmSettingBlock_t::Connected) == 1 || device_count_.load() == 0) {
        connect_pending_.store(0);
        send_status(u"Connect:Fail");
        return;
    }
    if (remote) {
        host_address_.store(pending_host_address_.load());
        host_udp_port_.store(pending_host_port_.load());
    }
    connect_pending_.store(0);
    SetExpireCount(kConnectWatchdogCount);
    connection_state_.store(2);
    setting_.set(&_TmSettingBlock_t::Connected, 1);
    SetRemoteUpdateSpeed(TM_REMOTE_UPDATE_SPEED_1);
    const _TmSettingBlock_t block = setting_.snapshot();
    SendCmdData(host_address_.load(), TM_CMD_CONNECT, TM_RW_ACK, sizeof block, &block);
    TmSetStaticWinText(TM_STATIC_CONNECT, u"On");
    send_status(u"Connect:Ok");
}

void CTamrelComMFC::cmd_disconnect(const CommandContext&) {
    // Nothing runs while idle, and "nothing to stop" is not reported as a failure.
    if (current_mode_.load() != TM_MODE_INIT) {
        const TmMode_e mode = current_mode_.load();
        if (const unsigned result = second_generation() ? Tm2PlayRecord(mode, 0) : TmPlayRecord(mode, 0)) {
            TmErrorReport(result);
        }
    }
    SendCmdData(host_address_.load(), TM_CMD_DISCONNECT, TM_RW_ACK, 0, nullptr);
    // The file copy worker, which a disconnect cancels, is not built yet.
    connection_state_.store(0);
    setting_.set(&_TmSettingBlock_t::Connected, 0);
    TmSetStaticWinText(TM_STATIC_CONNECT, u"Off");
    setting_.set(&_TmSettingBlock_t::Storage, 0);
    setting_.set(&_TmSettingBlock_t::DriveIndex, TM_DRIVE_D);
    if (second_generation()) {
        tm_device().Tm2SetSystemMode(TM2_SYSMODE_IDLE);
    } else {
        if (const unsigned status = tm_device().SetPowerOffMode(kPowerOffCapture)) {
            send_status(u"Capture Power Off:Fail");
            TmErrorReport(status);
        }
        if (const unsigned status = tm_device().SetPowerOffMode(kPowerOffPlay)) {
            send_status(u"PLAY Power Off:Fail");
            TmErrorReport(status);
        }
    }
    api_in_control_.store(0);
    send_status(u"Disconnect:Ok");
}

void CTamrelComMFC::cmd_syncdata(const CommandContext&) {
    const _TmSettingBlock_t block = setting_.snapshot();
    SendCmdData(host_address_.load(), TM_CMD_SYNCDATA, TM_RW_ACK, sizeof block, &block);
}
