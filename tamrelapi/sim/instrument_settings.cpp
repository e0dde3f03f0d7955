// The first generation's settings that the board records and the session reads back: the play
// gain, rate and spectral inversion, the capture path (centre frequency, input range, pre-amp,
// loop-through, AGC) and the board as a whole (mode, 10 MHz reference, trigger). The play
// bandwidth and centre frequency setters are in instrument_play.cpp.
//
// A setter refuses a value outside its range with status_invalid_argument and changes nothing.

#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

// Play

unsigned Instrument::PlayGetCenterFreq(unsigned& hz) {
    return get("PlayGetCenterFreq", Needs::first_open, hz,
               [this] { return play_settings_.get().center_freq; });
}

unsigned Instrument::PlaySetGain(short gain) {
    return put("PlaySetGain", Needs::first_open, arg("gain", gain), is_play_gain(gain),
               [&] { play_settings_.update([gain](PlaySettings& s) { s.gain = gain; }); });
}

unsigned Instrument::PlayGetGain(short& gain) {
    return get("PlayGetGain", Needs::first_open, gain,
               [this] { return play_settings_.get().gain; });
}

unsigned Instrument::PlayGetBW(unsigned& iq_rate) {
    return get("PlayGetBW", Needs::first_open, iq_rate,
               [this] { return play_settings_.get().iq_rate; });
}

unsigned Instrument::PlaySetSpectralInv(unsigned on) {
    return put("PlaySetSpectralInv", Needs::first_open, arg("on", on), is_switch(on), [&] {
        play_settings_.update([on](PlaySettings& s) { s.spectral_inversion = on; });
    });
}

// The play DAC's symbol rate is the play rate PlaySetBW set.
unsigned Instrument::CAD9789_GetArbSymRate(unsigned& rate) {
    return get("CAD9789::GetArbSymRate", Needs::first_open, rate,
               [this] { return play_settings_.get().iq_rate; });
}

// Capture

unsigned Instrument::CaptureSetCenterFreq(unsigned hz) {
    return put("CaptureSetCenterFreq", Needs::first_open, arg("hz", hz), is_capture_center_freq(hz),
               [&] { capture_settings_.update([hz](CaptureSettings& s) { s.center_freq = hz; }); });
}

unsigned Instrument::CaptureGetCenterFreq(unsigned& hz) {
    return get("CaptureGetCenterFreq", Needs::first_open, hz,
               [this] { return capture_settings_.get().center_freq; });
}

// The range sets the capture gain the board reports (and the capture source's signal level
// follows it); a gain set afterwards through the control interface overrides it until the next
// range.
unsigned Instrument::CaptureSetRange(short range) {
    return put("CaptureSetRange", Needs::first_open, arg("range", range), is_capture_range(range),
               [&] {
                   capture_settings_.update([range](CaptureSettings& s) { s.range = range; });
                   readings_.update(
                       [range](Readings& r) { r.capture_gain = capture_gain_of_range(range); });
               });
}

unsigned Instrument::CaptureGetRange(short& range) {
    return get("CaptureGetRange", Needs::first_open, range,
               [this] { return capture_settings_.get().range; });
}

unsigned Instrument::CaptureSetPreAmp(unsigned on) {
    return put("CaptureSetPreAmp", Needs::first_open, arg("on", on), is_switch(on),
               [&] { capture_settings_.update([on](CaptureSettings& s) { s.pre_amp = on; }); });
}

unsigned Instrument::CaptureGetPreAmp(unsigned& on) {
    return get("CaptureGetPreAmp", Needs::first_open, on,
               [this] { return capture_settings_.get().pre_amp; });
}

unsigned Instrument::CaptureSetLoopThr(unsigned on) {
    return put("CaptureSetLoopThr", Needs::first_open, arg("on", on), is_switch(on), [&] {
        capture_settings_.update([on](CaptureSettings& s) { s.loop_through = on; });
    });
}

unsigned Instrument::CaptureSetAGC(unsigned on) {
    return put("CaptureSetAGC", Needs::first_open, arg("on", on), is_switch(on),
               [&] { capture_settings_.update([on](CaptureSettings& s) { s.agc = on; }); });
}

unsigned Instrument::CaptureSetAGCSpeed(unsigned ms) {
    return put("CaptureSetAGCSpeed", Needs::first_open, arg("ms", ms), is_agc_speed(ms),
               [&] { capture_settings_.update([ms](CaptureSettings& s) { s.agc_speed = ms; }); });
}

unsigned Instrument::CaptureGetAGCSpeed(unsigned& ms) {
    return get("CaptureGetAGCSpeed", Needs::first_open, ms,
               [this] { return capture_settings_.get().agc_speed; });
}

// System

unsigned Instrument::SetCapturePlayMode(unsigned mode) {
    return put(
        "SetCapturePlayMode", Needs::first_open, arg("mode", mode), is_board_mode(mode),
        [&] { system_settings_.update([mode](SystemSettings& s) { s.board_mode = mode; }); });
}

unsigned Instrument::SetRef10M(unsigned external) {
    return put("SetRef10M", Needs::first_open, arg("external", external), is_switch(external), [&] {
        system_settings_.update([external](SystemSettings& s) { s.ref_10m = external; });
    });
}

unsigned Instrument::GetRef10M(unsigned& external) {
    return get("GetRef10M", Needs::first_open, external,
               [this] { return system_settings_.get().ref_10m; });
}

unsigned Instrument::SetTrigger(unsigned on) {
    return put("SetTrigger", Needs::first_open, arg("on", on), is_switch(on),
               [&] { system_settings_.update([on](SystemSettings& s) { s.trigger = on; }); });
}

unsigned Instrument::GetTrigger(unsigned& on) {
    return get("GetTrigger", Needs::first_open, on,
               [this] { return system_settings_.get().trigger; });
}

}  // namespace tamrel::sim
