// The mode controller: the only way in and out of an operating mode. Start launches a mode from
// idle, stop ends the current one, pause and resume hold and continue play. Console commands,
// the connection watchdog and power-off all come here, so every call takes mode_mutex_ and the
// controller runs one call at a time: no mode is started or stopped twice at once.
//
// A start that fails is not reported as started: the start packet and the run status follow
// only a start operation that succeeded, and the mode stays INIT.

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/sys/time.hpp"

namespace {
constexpr unsigned kRunIdle = 0;
constexpr unsigned kRunRecording = 2;
constexpr unsigned kRunPreviewing = 5;
constexpr unsigned kRunPlaying = 8;
constexpr unsigned kRunPaused = 10;
constexpr unsigned kNotCurrent = 1;  // stop or resume of a mode that is not the current one
constexpr unsigned kFifoSettleMs = 200;
constexpr std::uint32_t kHdRadioLargeBlock = 0x300000;
constexpr std::uint32_t kHdRadioSmallBlock = 0x40000;
}  // namespace

unsigned CTamrelComMFC::TmPlayRecord(TmMode_e mode, int action) {
    std::lock_guard lock(mode_mutex_);
    switch (action) {
    case 0: return stop_mode(false, mode);
    case 1: return start_mode(false, mode);
    case 2: return pause_play(false);
    case 3: return resume_play(false, mode);
    default: return kStatusRefused;
    }
}

unsigned CTamrelComMFC::Tm2PlayRecord(TmMode_e mode, int action) {
    std::lock_guard lock(mode_mutex_);
    switch (action) {
    case 0: return stop_mode(true, mode);
    case 1: return start_mode(true, mode);
    case 2: return pause_play(true);
    case 3: return resume_play(true, mode);
    case 4: return pause_hd_radio();
    case 5: return resume_hd_radio(mode);
    default: return kStatusRefused;
    }
}

void CTamrelComMFC::send_mode_packet(TM_CMD_ID_e packet) {
    SendCmdData(host_address_.load(), packet, TM_RW_ACK, 0, nullptr);
}

void CTamrelComMFC::set_run_status(unsigned status) { setting_.set(&_TmSettingBlock_t::RunStatus, status); }

unsigned CTamrelComMFC::start_mode(bool second, TmMode_e mode) {
    if (current_mode_.load() != TM_MODE_INIT || connection_state_.load() != 2 || mode == TM_MODE_INIT ||
        mode > TM_MODE_EVENT_RECORD) {
        return kStatusRefused;
    }
    TmSetGraphInitTime(mode);
    const TM_CMD_ID_e preview_packet = second ? TM_CMD_T2PREVIEW_START : TM_CMD_PREVIEW_START;
    unsigned result = 0;
    switch (mode) {
    case TM_MODE_RECORD:
        if (low_space_.load() == 1) {
            // Under 2 GB free: a record preview runs instead, and the caller hears why.
            if (start_preview(second, TM_MODE_RECORD_PREVIEW) == 0) {
                send_mode_packet(preview_packet);
                if (second) send_status(u"Tm2PreviewStart");
            }
            return kStatusLowSpace;
        }
        result = second ? Tm2Record() : TmRecord();
        if (result != 0) return result;
        send_mode_packet(second ? TM_CMD_T2RECORD_START : TM_CMD_RECORD_START);
        set_run_status(kRunRecording);
        if (second) send_status(u"Tm2RecordStart");
        return 0;
    case TM_MODE_PLAY_PREVIEW:
        return 0;
    case TM_MODE_RECORD_PREVIEW:
    case TM_MODE_FULL_BAND_PREVIEW:
        result = start_preview(second, mode);
        if (result != 0) return result;
        send_mode_packet(preview_packet);
        set_run_status(kRunPreviewing);
        if (second) send_status(mode == TM_MODE_RECORD_PREVIEW ? u"Tm2PreviewStart" : u"Tm2FullBandPreviewStart");
        return 0;
    case TM_MODE_HDRADIO:
    case TM_MODE_EVENT_RECORD:
        if (!second) return 0;  // second-generation modes: nothing to start on the first
        return kStatusRefused;  // HD Radio playback and the event recorder are not built yet
    case TM_MODE_PLAY:
        if (!second) tm_device().PlaySetRfOutEnable(true);
        result = second ? Tm2Play() : TmPlay();
        if (result != 0) {
            // Nothing plays: the first generation's RF output goes off again.
            if (!second) tm_device().PlaySetRfOutEnable(false);
            return result;
        }
        send_mode_packet(second ? TM_CMD_T2PLAY_START : TM_CMD_PLAY_START);
        set_run_status(kRunPlaying);
        if (second) send_status(u"Tm2PlayStart");
        return 0;
    case TM_MODE_BBR_RECORD:
    default:
        // The black-box recorder is not built yet: refused, nothing changed.
        return kStatusRefused;
    }
}

unsigned CTamrelComMFC::stop_mode(bool second, TmMode_e mode) {
    const TmMode_e current = current_mode_.load();
    if (mode != current || current == TM_MODE_INIT) {
        if (current == TM_MODE_INIT) set_run_status(kRunIdle);
        return kNotCurrent;
    }
    stop_data_threads();
    switch (current) {
    case TM_MODE_PLAY:
        finish_play(second);
        if (second) send_status(u"Tm2PlayStop");
        break;
    case TM_MODE_RECORD:
        finish_record(second, second ? TM_CMD_T2RECORD_STOP : TM_CMD_RECORD_STOP,
                      second ? u"Tm2RecordStop" : u"RecordStop");
        break;
    case TM_MODE_PLAY_PREVIEW:
        set_run_status(kRunIdle);
        if (second) send_status(u"Tm2PlayPreviewStop");
        break;
    case TM_MODE_RECORD_PREVIEW:
        finish_preview(second, second ? TM_CMD_T2PREVIEW_STOP : TM_CMD_PREVIEW_STOP,
                       second ? u"Tm2RecordPreviewStop" : u"RecordPreviewStop");
        break;
    case TM_MODE_BBR_RECORD:
        finish_record(second, second ? TM_CMD_T2BBRRECORD_STOP : TM_CMD_BBRRECORD_STOP,
                      second ? u"Tm2BlackBoxPreviewStop" : u"BlackBoxRecordStop");
        break;
    case TM_MODE_FULL_BAND_PREVIEW:
        finish_preview(second, second ? TM_CMD_T2PREVIEW_STOP : TM_CMD_PREVIEW_STOP,
                       second ? u"Tm2FullBandPreviewStop" : u"RecordPreviewStop");
        break;
    case TM_MODE_HDRADIO:
        if (second) send_status(u"HD Radio Play Stop");
        break;
    case TM_MODE_EVENT_RECORD:
        if (second) finish_record(true, TM_CMD_EVTRECORD_STOP, u"Tm2EvtRecordStop");
        break;
    case TM_MODE_INIT:
        break;
    }
    current_mode_.store(TM_MODE_INIT);
    return 0;
}

// The capture board stopped (and the first generation's FIFO emptied), the GPS receiver no longer
// handing sentences over, and the queue empty: what every capture mode's stop begins with.
void CTamrelComMFC::stop_capture(bool second) {
    gps_accept_.store(0);
    if (second) {
        tm_device().Tm2Stop();
    } else {
        tm_device().Stop();
        tm_device().FifoReset();
    }
    block_queue_.clear();
}

void CTamrelComMFC::finish_record(bool second, TM_CMD_ID_e packet, const char16_t* status_line) {
    stop_capture(second);
    if (!second) send_status(status_line);
    TmCloseRecordFile();
    prepare_next_record_names();
    send_mode_packet(packet);
    set_run_status(kRunIdle);
    if (second) send_status(status_line);
}

void CTamrelComMFC::finish_preview(bool second, TM_CMD_ID_e packet, const char16_t* status_line) {
    stop_capture(second);
    send_mode_packet(packet);
    set_run_status(kRunIdle);
    send_status(status_line);
}

// Pause holds play at the start of the second it reached. It applies to play only: for any other
// mode, or for play already paused, it returns 1 and leaves the threads alone.
unsigned CTamrelComMFC::pause_play(bool second) {
    if (current_mode_.load() != TM_MODE_PLAY || RunStatus() != kRunPlaying) return kNotCurrent;
    data_run_.store(0);
    if (!second) tm_device().PlaySetRfOutEnable(false);
    halt_play_threads(second);
    position_play_at_elapsed();
    send_status(second ? u"Tm2PlayPause" : u"PlayPause");
    send_mode_packet(second ? TM_CMD_T2PLAYPAUSE : TM_CMD_PLAY_PAUSE);
    set_run_status(kRunPaused);
    return 0;
}

// Resume continues only a paused play of the requested mode; anything else returns 1 and starts
// no threads (a second resume must never start a second pair).
unsigned CTamrelComMFC::resume_play(bool second, TmMode_e mode) {
    const TmMode_e current = current_mode_.load();
    if (mode != current || current == TM_MODE_INIT || RunStatus() != kRunPaused) return kNotCurrent;
    // Play continues at the start of the elapsed second: where pause left it, or where a seek
    // made while paused moved it.
    position_play_at_elapsed();
    if (second) {
        tm_device().Tm2SetDMAInitCtrl(false, setting_.get(&_TmSettingBlock_t::PlayIQRate));
        Tm2BeginThread_PushPop();
        send_mode_packet(TM_CMD_T2PLAYRESUME);
        set_run_status(kRunPlaying);
        send_status(u"Tm2PlayResume");
    } else {
        tm_device().PlaySetRfOutEnable(true);
        tm_device().FifoReset();
        platform::sleep_ms(kFifoSettleMs);
        TmBeginThread_PushPop();
        send_status(u"PlayResume");
        send_mode_packet(TM_CMD_PLAY_RESUME);
        set_run_status(kRunPlaying);
    }
    return 0;
}

unsigned CTamrelComMFC::pause_hd_radio() {
    if (current_mode_.load() != TM_MODE_HDRADIO || RunStatus() != kRunPlaying) return kNotCurrent;
    stop_data_threads();
    tm_device().Tm2Stop();
    block_queue_.clear();
    const double rate = setting_.get(&_TmSettingBlock_t::HDRadioIQRate);
    auto offset = static_cast<std::int64_t>(rate * 4.0 * static_cast<double>(play_elapsed_s_.load()));
    if (offset % 4 != 0) offset += 4 - offset % 4;
    const std::uint64_t position = static_cast<std::uint64_t>(offset) + play_start_offset_.load();
    play_pop_position_.store(position);
    play_push_position_.store(position);
    if (play_file_.is_open()) (void)play_file_.seek(static_cast<std::int64_t>(position));
    send_mode_packet(TM_CMD_HDR_PAUSE);
    set_run_status(kRunPaused);
    send_status(u"HD Radio Pause");
    return 0;
}

unsigned CTamrelComMFC::resume_hd_radio(TmMode_e mode) {
    const TmMode_e current = current_mode_.load();
    if (mode != current || current == TM_MODE_INIT || RunStatus() != kRunPaused) return kNotCurrent;
    tm_device().HDRadio_SetDMAInitCtrl(hd_radio_block_selector_.load() == 1 ? kHdRadioLargeBlock
                                                                             : kHdRadioSmallBlock);
    Tm2BeginThread_PushPop();
    send_mode_packet(TM_CMD_HDR_RESUME);
    set_run_status(kRunPlaying);
    send_status(u"HD Radio Resume");
    return 0;
}
