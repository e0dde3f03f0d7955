// TmFlagInit: every default of the session, in the order of the settings block and then of the
// other groups.

#include <arpa/inet.h>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/text/format.hpp"


unsigned CTamrelComMFC::default_update_period() const {
    if (setting_.get(&_TmSettingBlock_t::Generation) >= 2) return 85;
    unsigned rate = direction_rate();
    // A play rate of 0 would divide by zero; the period then follows the default 10 MS/s.
    if (rate == 0) rate = 10'000'000U;
    const float period = (10'000'000.0F / static_cast<float>(rate)) * 100.0F;
    return static_cast<unsigned>(period);
}

void CTamrelComMFC::TmFlagInit() {
    // 1. The update period, from the direction in force before the defaults.
    update_period_ms_.store(default_update_period());
    TmStatusStrUpdate(platform::format(u"Update Time : %u", update_period_ms_.load()));

    // 2. The settings block.
    using S = _TmSettingBlock_t;
    SettingStore& s = setting_;
    s.set(&S::CaptureFreq, 474'000'000U);
    s.set(&S::CaptureRange, 0);
    s.set(&S::CapturePreAmp, 0);
    s.set(&S::CaptureBW, TM_BW_8MHZ);
    s.set(&S::CaptureLoopThrough, 0);
    s.set(&S::CaptureAGC, 0);
    s.set(&S::CaptureAGCSpeed, 200);
    s.set(&S::PlayFreq, 474'000'000U);
    s.set(&S::PlayGain, 0);
    s.set(&S::PlayBW, TM_BW_8MHZ);
    s.set(&S::PlayIQRate, 10'000'000U);
    s.set(&S::PlayFileLength, 0);
    s.set(&S::PlayRepeatStart, 0);
    s.set(&S::PlayRepeatEnd, 0);
    s.set(&S::PlaySpecInv, 0);
    s.set(&S::RefClock, 0);
    s.set(&S::Trigger, 0);
    s.set(&S::Storage, 0);
    s.set(&S::DriveIndex, TM_DRIVE_D);
    TmCheckDrive(TM_DRIVE_D);
    s.set(&S::RunStatus, 0);
    s.set(&S::Connected, 0);
    s.set(&S::FpgaVer, 0);
    s.set(&S::DMASpeed, 0);
    s.set_serial("", 0);
    s.set(&S::GPS, 0);
    s.set(&S::PlayModuleID, 0);
    s.set(&S::CaptureModuleID, 0);
    s.set(&S::CaptureSpectrumGainOffset, 0.0F);
    s.set(&S::PlaySpectrumGainOffset, 0.0F);
    s.set(&S::ResBW, 1);
    s.set(&S::CaptureStopType, 0);
    s.set(&S::CaptureTime, 30);
    s.set(&S::RemoteUpdateSpeed, 1);
    s.set(&S::TriggerOutLevel, 0);
    s.set(&S::SystemMode, TM2_SYSMODE_IDLE);
    s.set(&S::RecordIQRate, 60'000'000U);
    s.set(&S::UpConvModuleID, 0);
    s.set(&S::PumpFpgaVer, 0);
    s.set(&S::DspNiosVer, 0);
    s.set(&S::AwgnEnable, 0);
    s.set(&S::AwgnSN, 16'384);
    // PCB version, generation selector and HD Radio rate keep what they hold.

    // 3. The state beside the block.
    local_monitor_.store(0);
    connection_state_.store(0);
    remote_monitor_.store(1);
    current_mode_.store(TM_MODE_INIT);
    host_address_.store(htonl(INADDR_LOOPBACK));
    host_udp_port_.store(platform::port_with_offset(platform::kHostPort));
    api_in_control_.store(0);
    expire_count_.store(60);
    direction_.store(1);
    {
        std::lock_guard lock(path_mutex_);
        play_file_path_.clear();
    }
    capture_gain_db_.store(0.0F);
    capture_sample_count_[0].store(10'000'000U);
    capture_sample_count_[1].store(20'000'000U);
    preview_size_.store(kPreviewBytes);
    debug_.store(0);
    device_count_.store(0);
    play_offset_gain_.store(0);
    play_offset_gain_work_.store(0);
    play_offset_gain_dac_.store(0);
    // The limit set starts as the row for the modes without a row of their own, with the
    // full-band limits of a board whose variant is not yet known.
    limits_ = Tm2LimitSet{100'000, 2'700'000'000U, 1'250'000, 70'000'000, -550, 100, -300, 300,
                          48'000'000, 904'000'000, 144'000'000, 1'000'000'000};
    {
        Tm2EvtRecordConfig& e = evt_config_;
        e.start_year = 2015;
        e.start_month = 11;
        e.start_day = 19;
        e.start_hour = 9;
        e.record_time_s = 60;
        e.bytes_per_file = std::uint64_t{s.get(&S::RecordIQRate)} * 4 * 60;
        e.save_count = 3;
        e.total_bytes = e.bytes_per_file * 3;
        e.keep_count = 3;
    }
    UpdateSSDSize();
}
