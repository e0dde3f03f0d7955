// What the running board reports (capture gain, trigger input, DMA speed) and the outputs the
// session drives (captured-gain compensation, power-off LED). The FIFO level belongs to the data
// transfer (instrument_transfer.cpp).

#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

namespace {
constexpr unsigned kBandwidths = 2;  // 0 8 MHz, 1 24 MHz
}

unsigned Instrument::CaptureGetGain(short& gain) {
    return get("CaptureGetGain", Needs::first_open, gain,
               [this] { return readings_.get().capture_gain; });
}

unsigned Instrument::Tm2RecordGetGain(short& tenth_db) {
    return get("Tm2RecordGetGain", Needs::second_open, tenth_db,
               [this] { return readings_.get().capture_gain; });
}

unsigned Instrument::Tm2GetTriggerInLevel(unsigned& level) {
    return get("Tm2GetTriggerInLevel", Needs::second_open, level,
               [this] { return readings_.get().trigger_in_level; });
}

unsigned Instrument::GetDMASpeed(unsigned& speed) {
    return get("GetDMASpeed", Needs::first_open, speed,
               [this] { return readings_.get().dma_speed; });
}

unsigned Instrument::Tm2GetDMASpeed(unsigned& speed) {
    return get("Tm2GetDMASpeed", Needs::second_open, speed,
               [this] { return readings_.get().dma_speed; });
}

unsigned Instrument::PlaySetCapturingGainOrSetCapturedGain(unsigned bandwidth, short gain,
                                                           unsigned speed) {
    std::string arguments = arg("bandwidth", bandwidth) + " " + arg("gain", gain) + " " +
                            arg("speed", speed);
    if (const unsigned refused = enter("PlaySetCapturingGainOrSetCapturedGain",
                                       Needs::first_open, std::move(arguments))) {
        return refused;
    }
    if (bandwidth >= kBandwidths) return api::status_invalid_argument;
    outputs_.update([&](Outputs& out) {
        out.captured_gain = CapturedGainCompensation{bandwidth, gain, speed};
        ++out.captured_gain_count;
    });
    return api::status_ok;
}

unsigned Instrument::Tm2PlaySetLogGain(short gain) {
    if (const unsigned refused = enter("Tm2PlaySetLogGain", Needs::second_open, arg("gain", gain))) {
        return refused;
    }
    outputs_.update([gain](Outputs& out) { out.play_log_gain = gain; });
    return api::status_ok;
}

unsigned Instrument::Tm2PowerOffLED() {
    if (const unsigned refused = enter("Tm2PowerOffLED", Needs::second_open)) return refused;
    outputs_.update([](Outputs& out) { out.power_off_led = true; });
    return api::status_ok;
}

}  // namespace tamrel::sim
