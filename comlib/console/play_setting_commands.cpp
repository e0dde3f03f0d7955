// The first generation's play setting commands: centre frequency, gain, I/Q rate (arb) and
// spectral inversion.

#include "comlib/console/command_line.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"
#include "tamrelapi/converters.hpp"

namespace {

constexpr int kPlayFreqMin = 50'000'000;
constexpr int kPlayFreqMax = 1'000'000'000;
constexpr int kPlayGainLimit = 300;
constexpr unsigned kRate8MHz = 10'000'000;
constexpr unsigned kRate24MHz = 30'000'000;

}  // namespace

void CTamrelComMFC::cmd_playfreq(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    const std::int64_t value = in.value;
    const CTamrelAPI& device = tm_device();
    if (form == ArgumentForm::read) {
        unsigned hz = setting_.get(&_TmSettingBlock_t::PlayFreq);
        if (const unsigned status = device.PlayGetCenterFreq(hz)) TmErrorReport(status);
        send_status(platform::format(u"playfreq:%u", hz).c_str());
        return;
    }
    if (form != ArgumentForm::write || value < kPlayFreqMin || value > kPlayFreqMax) {
        send_usage(u"Usage(read) : playfreq", u"Usage(write) : playfreq freq");
        return;
    }
    const auto hz = static_cast<std::uint32_t>(value);
    setting_.set(&_TmSettingBlock_t::PlayFreq, hz);
    if (const unsigned status = device.PlaySetCenterFreq(hz)) {
        TmErrorReport(status);
        send_status(u"playfreq:Fail");
        return;
    }
    send_status(u"playfreq:Ok");
    TmSetStaticWinText(TM_STATIC_PLAY_FREQ, platform::format(u"%u Hz", hz));
}

void CTamrelComMFC::cmd_playgain(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    const std::int64_t value = in.value;
    const CTamrelAPI& device = tm_device();
    auto report_gain = [&] {
        short tenths = setting_.get(&_TmSettingBlock_t::PlayGain);
        if (const unsigned status = device.PlayGetGain(tenths)) TmErrorReport(status);
        send_status(platform::format(u"Play Gain : %d x 01dB", static_cast<int>(tenths)).c_str());
    };
    if (form == ArgumentForm::read) {
        report_gain();
        return;
    }
    if (form == ArgumentForm::usage) {
        send_usage(u"Usage(read) : playgain", u"Usage(write) : playgain 01dB");
        return;
    }
    // The low 16 bits, taken as signed: what a remote controller's 16-bit field carries.
    const auto gain = static_cast<short>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFFU));
    if (gain < -kPlayGainLimit || gain > kPlayGainLimit) {
        send_usage(u"Usage(read) : playgain", u"Usage(write) : playgain a(a x 01dB)");
        return;
    }
    setting_.set(&_TmSettingBlock_t::PlayGain, gain);
    if (const unsigned status = device.PlaySetGain(gain)) {
        TmErrorReport(status);
        send_status(u"playgain:Fail");
    } else {
        send_status(u"playgain:Ok");
    }
    report_gain();
    TmSetStaticWinText(TM_STATIC_PLAY_GAIN, platform::format(u"%d X0.1dB", static_cast<int>(gain)));
}

void CTamrelComMFC::cmd_arb(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    if (form == ArgumentForm::read) {
        unsigned rate = setting_.get(&_TmSettingBlock_t::PlayIQRate);
        if (const unsigned status = gc_AD9789.GetArbSymRate(rate)) TmErrorReport(status);
        send_status(platform::format(u"I/Q Rate:%u", rate).c_str());
        return;
    }
    // A rate beyond 32 bits is no rate: the usage reply, as for a wrong count.
    if (form != ArgumentForm::write || in.value < 0 || in.value > std::int64_t{UINT32_MAX}) {
        send_usage(u"Usage(read) : arb", u"Usage(write) : arb a(2343751 ~ 30000000)");
        return;
    }
    const auto value = static_cast<unsigned>(in.value);
    std::lock_guard lock(mode_mutex_);
    const TmMode_e mode = current_mode_.load();
    if (mode != TM_MODE_INIT && mode != TM_MODE_PLAY) {
        send_status(u"Invalid Play Mode!");
        preview_size_.store(GetTotalRawBytesToFFT());
        return;
    }
    const bool playing = mode == TM_MODE_PLAY && RunStatus() == 8;
    const bool second = second_generation();
    if (playing) halt_play_threads(second);
    const CTamrelAPI& device = tm_device();
    const unsigned type = value == kRate8MHz ? 0U : value == kRate24MHz ? 1U : 2U;
    // A rate the board refuses (0 included) is never stored, so the play arithmetic never
    // divides by it.
    if (const unsigned status = device.PlaySetBW(type, value)) {
        TmErrorReport(status);
        if (mode == TM_MODE_PLAY) send_status(u"I/Q Rate:Fail");
    } else {
        setting_.set(&_TmSettingBlock_t::PlayIQRate, value);
    }
    if (const unsigned status = device.PlaySetCenterFreq(setting_.get(&_TmSettingBlock_t::PlayFreq))) {
        TmErrorReport(status);
    }
    unsigned rate = setting_.get(&_TmSettingBlock_t::PlayIQRate);
    (void)device.PlayGetBW(rate);
    TmSetPlaySampleCnt(setting_.get(&_TmSettingBlock_t::PlayIQRate));
    // The new rate moves every byte position: both ends of the repeat range and the play
    // position are recomputed, so they still mark the same seconds.
    const std::uint64_t offset = play_start_offset_.load();
    const std::uint64_t per_second = play_bytes_per_second();
    const std::uint32_t start = setting_.get(&_TmSettingBlock_t::PlayRepeatStart);
    play_elapsed_s_.store(start);
    play_repeat_start_byte_.store(offset + per_second * start);
    play_repeat_end_byte_.store(offset + per_second * setting_.get(&_TmSettingBlock_t::PlayRepeatEnd));
    const std::uint64_t position = offset + per_second * start;
    if (playing) {
        relaunch_play_at(second, position);
    } else {
        play_pop_position_.store(position);
        play_push_position_.store(position);
    }
    if (mode == TM_MODE_PLAY) send_status(platform::format(u"I/Q Rate:%d", static_cast<int>(rate)).c_str());
    preview_size_.store(GetTotalRawBytesToFFT());
}

void CTamrelComMFC::cmd_playspecinv(const CommandContext& context) {
    const NumberArgument in = scan_number(argument_text(context.line, context.word_end));
    const ArgumentForm form = in.form;
    const std::int64_t value = in.value;
    if (form == ArgumentForm::usage || (form == ArgumentForm::write && value != 0 && value != 1)) {
        send_usage(u"Usage(read) : playspecinv", u"Usage(wrtie) : playspecinv 0/1(Off/On)");
        return;
    }
    if (form == ArgumentForm::write) {
        if (const unsigned status = tm_device().PlaySetSpectralInv(static_cast<unsigned>(value))) {
            TmErrorReport(status);
        } else {
            setting_.set(&_TmSettingBlock_t::PlaySpecInv, static_cast<std::uint32_t>(value));
        }
    }
    const bool on = setting_.get(&_TmSettingBlock_t::PlaySpecInv) == 1;
    send_status(on ? u"Spectral INV:On" : u"Spectral INV:Off");
    if (form == ArgumentForm::write) TmSetStaticWinText(TM_STATIC_PLAY_SPECINV, on ? u"On" : u"Off");
}
