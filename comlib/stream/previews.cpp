// The two preview modes: the board streams into the ring without any file. Record preview
// measures every second (gain lines, GPS sentences, DMA speed to the host) and offers spectrum
// blocks; full-band preview copies single blocks on request for the sweep across the band.

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/sys/time.hpp"

namespace {
constexpr unsigned kFifoSettleMs = 200;
}

unsigned CTamrelComMFC::TmRecordPreview() { return start_preview(false, TM_MODE_RECORD_PREVIEW); }
unsigned CTamrelComMFC::Tm2RecordPreview() { return start_preview(true, TM_MODE_RECORD_PREVIEW); }
unsigned CTamrelComMFC::TmRecordFullBandPreview() { return start_preview(false, TM_MODE_FULL_BAND_PREVIEW); }
unsigned CTamrelComMFC::Tm2RecordFullBandPreview() { return start_preview(true, TM_MODE_FULL_BAND_PREVIEW); }

unsigned CTamrelComMFC::start_preview(bool second, TmMode_e mode) {
    if (sample_buffer_ == nullptr) return kStatusRefused;  // said once, when allocation failed
    const bool full_band = mode == TM_MODE_FULL_BAND_PREVIEW;
    if (!full_band) gps_accept_.store(1);
    unsigned started = 0;
    if (second) {
        fill_ring();
        // The rate the board runs at, read back after the session's choice was applied.
        unsigned rate = apply_capture_rate(true);
        if (tm_device().Tm2RecordGetIQRate(rate) == 0) setting_.set(&_TmSettingBlock_t::RecordIQRate, rate);
        Tm2SetCaptureSampleCnt(rate);
    } else {
        (void)apply_capture_rate(false);
        tm_device().FifoReset();
        platform::sleep_ms(kFifoSettleMs);
        started = tm_device().Start();
        fill_ring();
    }
    if (full_band) {
        preview_ready_.store(0);
        fullband_request_.store(1);
        fullband_segment_.store(0);
    }
    if (started == 0) {
        current_mode_.store(mode);
        if (second) tm_device().Tm2SetDMAInitCtrl(true, 0);
        if (!launch_data_threads(second)) {
            started = kStatusRefused;
        } else if (second) {
            started = tm_device().Tm2Start();
            if (started != 0) stop_data_threads();
        }
    }
    if (started != 0) {
        // The board did not start: the preview is not running.
        gps_accept_.store(0);
        if (second) tm_device().Tm2Stop(); else tm_device().Stop();
        current_mode_.store(TM_MODE_INIT);
        return started;
    }
    return 0;
}
