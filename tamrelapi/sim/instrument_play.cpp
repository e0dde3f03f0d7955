// The play path: the block writes of the play DMA of both generations, the byte indicator, and
// the play settings (bandwidth and rate, centre frequency, gains). Start, stop and the FIFO reset
// the play DMA shares with capture are in instrument_transfer.cpp.

#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

unsigned Instrument::Write(const void* buffer, unsigned length, unsigned& transferred) {
    if (const unsigned refused = enter("Write", Needs::first_open, arg("length", length))) {
        return refused;
    }
    return play_.write(buffer, length, transferred);
}

unsigned Instrument::Tm2Write(const void* buffer, unsigned length, unsigned& transferred) {
    if (const unsigned refused = enter("Tm2Write", Needs::second_open, arg("length", length))) {
        return refused;
    }
    // Set up for capture, the DMA does not run towards the board, whatever the sink was doing.
    if (transfer_.get().dma_capture) return play_.refuse_write();
    return play_.write(buffer, length, transferred);
}

unsigned Instrument::GetPlayByteIndicator(unsigned& indicator) {
    return get("GetPlayByteIndicator", Needs::either_open, indicator,
               [this] { return play_.byte_indicator() ? 1U : 0U; });
}

unsigned Instrument::PlaySetBW(unsigned bandwidth, unsigned iq_rate) {
    std::string arguments = arg("bandwidth", bandwidth) + " " + arg("rate", iq_rate);
    if (const unsigned refused = enter("PlaySetBW", Needs::first_open, std::move(arguments))) {
        return refused;
    }
    if (bandwidth >= play_bandwidth_types || !is_play_iq_rate(iq_rate)) {
        return api::status_invalid_argument;
    }
    play_settings_.update([=](PlaySettings& s) {
        s.bandwidth = bandwidth;
        s.iq_rate = iq_rate;
    });
    return api::status_ok;
}

unsigned Instrument::PlayGetCapturingGainOrSetCapturedGain(short& gain) {
    return get("PlayGetCapturingGainOrSetCapturedGain", Needs::first_open, gain, [this] {
        const auto applied = outputs_.get().captured_gain;
        return applied ? applied->gain : short{0};
    });
}

unsigned Instrument::PlaySetCenterFreq(unsigned hz) {
    if (const unsigned refused = enter("PlaySetCenterFreq", Needs::first_open, arg("hz", hz))) {
        return refused;
    }
    if (!is_play_center_freq(hz)) return api::status_invalid_argument;
    play_settings_.update([hz](PlaySettings& s) { s.center_freq = hz; });
    return api::status_ok;
}

unsigned Instrument::Tm2PlaySetIQRate(unsigned rate) {
    if (const unsigned refused = enter("Tm2PlaySetIQRate", Needs::second_open, arg("rate", rate))) {
        return refused;
    }
    if (!is_play_iq_rate(rate)) return api::status_invalid_argument;
    play_settings_.update([rate](PlaySettings& s) { s.tm2_iq_rate = rate; });
    return api::status_ok;
}

unsigned Instrument::Tm2PlaySetFreq(unsigned hz) {
    if (const unsigned refused = enter("Tm2PlaySetFreq", Needs::second_open, arg("hz", hz))) {
        return refused;
    }
    if (hz < min_tm2_play_freq) return api::status_invalid_argument;
    play_settings_.update([hz](PlaySettings& s) { s.tm2_freq = hz; });
    return api::status_ok;
}

unsigned Instrument::Tm2PlaySetFilePowerGain(short gain) {
    if (const unsigned refused =
            enter("Tm2PlaySetFilePowerGain", Needs::second_open, arg("gain", gain))) {
        return refused;
    }
    play_settings_.update([gain](PlaySettings& s) { s.file_power_gain = gain; });
    return api::status_ok;
}

unsigned Instrument::Tm2PlaySetUserGain(short gain) {
    if (const unsigned refused =
            enter("Tm2PlaySetUserGain", Needs::second_open, arg("gain", gain))) {
        return refused;
    }
    play_settings_.update([gain](PlaySettings& s) { s.user_gain = gain; });
    return api::status_ok;
}

}  // namespace tamrel::sim
