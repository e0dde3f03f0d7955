// The data transfer: the DMA of both generations (start, stop, the FIFO reset, the capture
// reads; the play writes are in instrument_play.cpp), and the settings of the data path (capture
// bandwidth, record I/Q rate, system mode, DMA direction, power-off mode, RF output, HD Radio DMA
// block).
//
// The DMA runs one way at a time: starting it towards the board (play) stops the capture source,
// starting it from the board (capture) stops the play sink. Stop and FifoReset act on both, so
// the session's stop sequence works whatever it switched before.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

namespace {
constexpr unsigned kPowerOffModes = 2;  // 0 the play path, 1 the capture path
}

unsigned Instrument::read_capture(void* buffer, unsigned length, unsigned& transferred) {
    // Read from the other models first: no lock is held while the source waits.
    const SignalPath path{readings_.get().capture_gain / 10.0,
                          calibration_.get().capture_iq_power_offset_db};
    unsigned taken = 0;
    if (const unsigned refused = capture_.read(buffer, length, taken, path)) return refused;
    transferred = taken;
    return api::status_ok;
}

unsigned Instrument::GetFifo(unsigned& bytes) {
    return get("GetFifo", Needs::either_open, bytes, [this] {
        if (const auto level = capture_.fifo_level()) {
            return static_cast<unsigned>(
                std::min<std::uint64_t>(*level, std::numeric_limits<unsigned>::max()));
        }
        return readings_.get().fifo_bytes;
    });
}

unsigned Instrument::FifoReset() {
    if (const unsigned refused = enter("FifoReset", Needs::first_open)) return refused;
    capture_.fifo_reset();
    play_.fifo_reset();
    return api::status_ok;
}

unsigned Instrument::Start() {
    if (const unsigned refused = enter("Start", Needs::first_open)) return refused;
    // The first generation plays while its RF output is on, and captures otherwise.
    if (outputs_.get().rf_out_enabled) {
        capture_.stop();
        play_.start(play_settings_.get().iq_rate);
    } else {
        play_.stop();
        capture_.start(capture_rate_of_bandwidth(transfer_.get().capture_bandwidth));
    }
    return api::status_ok;
}

unsigned Instrument::Stop() {
    if (const unsigned refused = enter("Stop", Needs::first_open)) return refused;
    capture_.stop();
    play_.stop();
    return api::status_ok;
}

unsigned Instrument::Read(void* buffer, unsigned length, unsigned& transferred) {
    if (const unsigned refused = enter("Read", Needs::first_open, arg("length", length))) {
        return refused;
    }
    return read_capture(buffer, length, transferred);
}

unsigned Instrument::CaptureSetBW(unsigned bandwidth) {
    if (const unsigned refused =
            enter("CaptureSetBW", Needs::first_open, arg("bandwidth", bandwidth))) {
        return refused;
    }
    if (bandwidth >= capture_bandwidths) return api::status_invalid_argument;
    transfer_.update([bandwidth](TransferSettings& s) { s.capture_bandwidth = bandwidth; });
    return api::status_ok;
}

unsigned Instrument::CaptureGetBW(unsigned& bandwidth) {
    return get("CaptureGetBW", Needs::first_open, bandwidth,
               [this] { return transfer_.get().capture_bandwidth; });
}

unsigned Instrument::SetPowerOffMode(unsigned mode) {
    if (const unsigned refused = enter("SetPowerOffMode", Needs::first_open, arg("mode", mode))) {
        return refused;
    }
    if (mode >= kPowerOffModes) return api::status_invalid_argument;
    outputs_.update([mode](Outputs& out) {
        if (mode == 1) {
            out.capture_path_powered_off = true;
        } else {
            out.play_path_powered_off = true;
        }
    });
    return api::status_ok;
}

unsigned Instrument::PlaySetRfOutEnable(bool enable) {
    if (const unsigned refused =
            enter("PlaySetRfOutEnable", Needs::first_open, arg("enable", enable ? 1 : 0))) {
        return refused;
    }
    outputs_.update([enable](Outputs& out) { out.rf_out_enabled = enable; });
    return api::status_ok;
}

unsigned Instrument::Tm2SetDMAInitCtrl(bool capture, unsigned rate) {
    std::string arguments = arg("capture", capture ? 1 : 0) + " " + arg("rate", rate);
    if (const unsigned refused =
            enter("Tm2SetDMAInitCtrl", Needs::second_open, std::move(arguments))) {
        return refused;
    }
    // Recording runs at the record I/Q rate, so the rate matters only for play.
    transfer_.update([capture, rate](TransferSettings& s) {
        s.dma_capture = capture;
        if (!capture) s.dma_play_rate = rate;
    });
    return api::status_ok;
}

unsigned Instrument::Tm2Start() {
    if (const unsigned refused = enter("Tm2Start", Needs::second_open)) return refused;
    const TransferSettings settings = transfer_.get();
    if (settings.dma_capture) {
        play_.stop();
        capture_.start(settings.record_iq_rate);
    } else {
        capture_.stop();  // the DMA runs towards the board: nothing is captured
        play_.start(settings.dma_play_rate);
    }
    return api::status_ok;
}

unsigned Instrument::Tm2Stop() {
    if (const unsigned refused = enter("Tm2Stop", Needs::second_open)) return refused;
    capture_.stop();
    play_.stop();
    return api::status_ok;
}

unsigned Instrument::Tm2Read(void* buffer, unsigned length, unsigned& transferred) {
    if (const unsigned refused = enter("Tm2Read", Needs::second_open, arg("length", length))) {
        return refused;
    }
    if (transfer_.get().dma_capture) return read_capture(buffer, length, transferred);
    // Set up for play, the DMA brings nothing in; wait as a read of a stopped DMA does.
    if (length > 0 && buffer == nullptr) return api::status_invalid_argument;
    capture_.wait_idle();
    transferred = 0;
    return api::status_ok;
}

unsigned Instrument::Tm2RecordGetIQRate(unsigned& rate) {
    return get("Tm2RecordGetIQRate", Needs::second_open, rate,
               [this] { return transfer_.get().record_iq_rate; });
}

unsigned Instrument::Tm2RecordSetIQRate(unsigned rate) {
    if (const unsigned refused =
            enter("Tm2RecordSetIQRate", Needs::second_open, arg("rate", rate))) {
        return refused;
    }
    if (!is_record_iq_rate(rate)) return api::status_invalid_argument;
    transfer_.update([rate](TransferSettings& s) { s.record_iq_rate = rate; });
    return api::status_ok;
}

unsigned Instrument::Tm2GetSystemMode(unsigned& mode) {
    return get("Tm2GetSystemMode", Needs::second_open, mode,
               [this] { return transfer_.get().system_mode; });
}

unsigned Instrument::Tm2SetSystemMode(unsigned mode) {
    if (const unsigned refused = enter("Tm2SetSystemMode", Needs::second_open, arg("mode", mode))) {
        return refused;
    }
    if (mode >= system_modes) return api::status_invalid_argument;
    transfer_.update([mode](TransferSettings& s) { s.system_mode = mode; });
    return api::status_ok;
}

unsigned Instrument::HDRadio_SetDMAInitCtrl(unsigned block_bytes) {
    if (const unsigned refused = enter("HDRadio_SetDMAInitCtrl", Needs::second_open,
                                       arg("block_bytes", block_bytes))) {
        return refused;
    }
    outputs_.update([block_bytes](Outputs& out) { out.hdradio_dma_block_bytes = block_bytes; });
    return api::status_ok;
}

}  // namespace tamrel::sim
