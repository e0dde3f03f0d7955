// Opening a recording for play: a project file, a black-box set or an event set. An opener
// reads the recording's description, makes it the session's play selection, reads its gain and
// power tables, sets the play hardware to the recording and shows the host the first spectrum.
//
// Nothing of the previous selection changes until the description has been read whole: a file
// that is refused leaves the session's description, paths, tables and set list as they were.
// Openers run on the console thread while nothing plays (the commands check the run status).

#include <algorithm>

#include "comlib/files/file_manage.hpp"
#include "comlib/files/file_names.hpp"
#include "comlib/files/gain_lines.hpp"
#include "comlib/files/play_list.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

namespace {

constexpr int kAgcGainSpeedMs = 250;
constexpr std::int32_t kGainRangeLimit = 300;   // 0.1 dB
constexpr std::int32_t kGainRangeFloor = -900;  // 0.1 dB
constexpr std::uint32_t kLowBandHz = 48'000'000;

// A gain in dB as the board takes it: tenths of a dB, truncated toward zero, 16 bits.
short tenths_toward_zero(double db) { return static_cast<short>(static_cast<int>(db * 10.0)); }

}  // namespace

TM_CMD_ID_e CTamrelComMFC::play_open_row(PlayOpener opener) {
    switch (opener) {
    case PlayOpener::play_file: return TM_CMD_PLAYFILE;
    case PlayOpener::play_file_ex: return TM_CMD_PLAYFILEEX;
    case PlayOpener::second: break;
    }
    return TM_CMD_T2PLAYFILE;
}

unsigned CTamrelComMFC::TmCMDPlayFileProcess_WPJ(const std::u16string& project_path) {
    return open_for_play(PlayOpener::play_file, project_path, TM_FILE_KIND_PROJECT);
}
unsigned CTamrelComMFC::TmCMDPlayFileExProcess_WPJ(const std::u16string& project_path) {
    return open_for_play(PlayOpener::play_file_ex, project_path, TM_FILE_KIND_PROJECT);
}
unsigned CTamrelComMFC::Tm2CMDPlayFileExProcess_WPJ(const std::u16string& project_path) {
    return open_for_play(PlayOpener::second, project_path, TM_FILE_KIND_PROJECT);
}
unsigned CTamrelComMFC::TmCMDPlayFileProcess_BBR(const std::u16string& event_path) {
    return open_for_play(PlayOpener::play_file, event_path, TM_FILE_KIND_BLACK_BOX);
}
unsigned CTamrelComMFC::TmCMDPlayFileExProcess_BBR(const std::u16string& event_path) {
    return open_for_play(PlayOpener::play_file_ex, event_path, TM_FILE_KIND_BLACK_BOX);
}
unsigned CTamrelComMFC::Tm2CMDPlayFileExProcess_BBR(const std::u16string& event_path) {
    return open_for_play(PlayOpener::second, event_path, TM_FILE_KIND_BLACK_BOX);
}
unsigned CTamrelComMFC::Tm2CMDPlayFileExProcess_WER(const std::u16string& event_path) {
    return open_for_play(PlayOpener::second, event_path, TM_FILE_KIND_EVENT);
}

unsigned CTamrelComMFC::open_for_play(PlayOpener opener, const std::u16string& path, int kind) {
    const TM_CMD_ID_e row = play_open_row(opener);
    CTmFileManage& catalogue = tm_file_manage();
    _TmFileInfo_t info{};
    bool read = false;
    switch (kind) {
    case TM_FILE_KIND_PROJECT: read = catalogue.parse_project_header(0, path, info); break;
    case TM_FILE_KIND_EVENT: read = catalogue.read_event_set(0, path, info, true); break;
    default: read = catalogue.read_black_box_set(0, path, info, true); break;
    }
    const std::vector<TmPlayListEntry>& files =
        kind == TM_FILE_KIND_EVENT ? catalogue.event_play_list() : catalogue.black_box_file_list();
    if (!read || (kind != TM_FILE_KIND_PROJECT && files.empty())) {
        TmReturnAck(kStatusPlayFile, row);
        TmErrorReport(kStatusPlayFile);
        send_status(u"Playfile:Fail");
        return kStatusPlayFile;
    }
    TmReturnAck(0, row);
    send_status(u"Tamrel Project File:Ok");
    // A set is played through its list; both of its paths are the set's own file.
    const std::u16string sample_path =
        kind == TM_FILE_KIND_PROJECT ? file_folder(path) + std::u16string(file_info_name(info.SampleName)) : path;
    {
        std::lock_guard lock(path_mutex_);
        play_sample_path_ = sample_path;
        play_project_path_ = path;
        play_file_path_ = path;
    }
    play_file_info_ = info;
    play_file_kind_.store(kind);
    play_file_agc_.store(info.AGC == 1 ? 1 : 0);
    TmPlayFileSelected(&play_file_info_);
    SendCmdData(host_address_.load(), TM_CMD_GAIN_CHANNEL, TM_RW_GRAPH_RESET, 0, nullptr);
    SendCmdData(host_address_.load(), TM_CMD_GPS_CHANNEL, TM_RW_GRAPH_RESET, 0, nullptr);
    double max_power = static_cast<double>(kNoPower);
    unsigned max_position = 0;
    if (kind == TM_FILE_KIND_EVENT) {
        TmPlayFileExGetAllGainFromWERFullPath(path, max_power, max_position);
    } else if (kind == TM_FILE_KIND_BLACK_BOX) {
        TmPlayFileExGetAllGainFromBBRFullPath(path, max_power, max_position);
    } else if (opener == PlayOpener::play_file) {
        TmPlayFileGetAllGainFromWPJFullPath(path, max_power, max_position);
    } else {
        TmPlayFileExGetAllGainFromWPJFullPath(path, max_power, max_position);
    }
    const unsigned frequency_status = set_play_hardware(opener, max_power, max_position);
    preview_size_.store(GetTotalRawBytesToFFT());
    TmPlayFileSendFirstSpectrum(kind == TM_FILE_KIND_PROJECT ? sample_path : files.front().sample_path);
    return frequency_status;
}

unsigned CTamrelComMFC::TmPlayFileSelected(const _TmFileInfo_t* description) {
    if (description == nullptr) return kStatusRefused;
    const _TmFileInfo_t& d = *description;
    play_elapsed_s_.store(0);
    setting_.set(&_TmSettingBlock_t::PlayBW, static_cast<std::uint32_t>(d.Bandwidth));
    setting_.set(&_TmSettingBlock_t::PlayFreq, d.CenterFreq);
    setting_.set(&_TmSettingBlock_t::PlayIQRate, d.IQRate);
    setting_.set(&_TmSettingBlock_t::PlayFileLength, d.Duration);
    setting_.set(&_TmSettingBlock_t::PlayRepeatStart, 0U);
    setting_.set(&_TmSettingBlock_t::PlayRepeatEnd, d.Duration);
    play_start_offset_.store(d.StartOffset);
    play_repeat_start_byte_.store(d.StartOffset);
    play_repeat_end_byte_.store(d.StartOffset + play_bytes_per_second() * d.Duration);
    play_pop_position_.store(d.StartOffset);
    play_push_position_.store(d.StartOffset);
    send_status(platform::format(u"IQ Rate:%u Hz", d.IQRate).c_str());
    // The windows put their labels ("File Name:", "Frequency:", "BW:") before the values.
    TmSetStaticWinText(TM_STATIC_PLAY_FILE, std::u16string(file_info_name(d.ProjectName)));
    TmSetStaticWinText(TM_STATIC_PLAY_FREQ, platform::format(u"%u Hz", d.CenterFreq));
    const auto bandwidth_mhz = static_cast<float>(static_cast<double>(d.IQRate) * 0.8 / 1'000'000.0);
    TmSetStaticWinText(TM_STATIC_PLAY_BW, platform::format(u"%.3f MHz", static_cast<double>(bandwidth_mhz)));
    return 0;
}

std::uint64_t CTamrelComMFC::play_bytes_per_second() const {
    // 4 bytes per sample; at most 280,000,000 for the highest rate, so 32 bits hold it.
    const double rate = setting_.get(&_TmSettingBlock_t::PlayIQRate);
    return static_cast<std::uint32_t>(rate * 4.0 + 0.5);
}

unsigned CTamrelComMFC::set_play_hardware(PlayOpener opener, double max_power, unsigned max_position) {
    const std::uint32_t host = host_address_.load();
    const std::uint32_t bandwidth = setting_.get(&_TmSettingBlock_t::PlayBW);
    const std::uint32_t rate = setting_.get(&_TmSettingBlock_t::PlayIQRate);
    const std::uint32_t centre = setting_.get(&_TmSettingBlock_t::PlayFreq);
    const std::uint32_t duration = setting_.get(&_TmSettingBlock_t::PlayFileLength);
    auto send_short = [&](TM_CMD_ID_e cmd, TM_RW_ID_e rw, short value) {
        SendCmdData(host, cmd, rw, sizeof value, &value);
    };
    auto send_range = [&](TM_RW_ID_e rw, std::int32_t maximum, std::int32_t minimum) {
        play_gain_range_max_.store(maximum);
        play_gain_range_min_.store(minimum);
        const std::int32_t range[2] = {maximum, minimum};
        SendCmdData(host, TM_CMD_INFO, rw, sizeof range, range);
    };
    auto reported = [this](unsigned status) {
        if (status != 0) TmErrorReport(status);
        return status;
    };
    const CTamrelAPI& device = tm_device();
    if (opener == PlayOpener::second) {
        reported(device.Tm2PlaySetIQRate(rate));
        const float file_gain = play_gain_table_.empty() ? 0.0F : play_gain_table_[0];
        play_file_gain_db_.store(file_gain);
        const short e = tenths_toward_zero(file_gain);
        const auto base = setting_.get(&_TmSettingBlock_t::PlayGain);
        device.Tm2PlaySetLogGain(static_cast<short>(e + base));
        device.Tm2PlaySetFilePowerGain(e);
        device.Tm2PlaySetUserGain(0);
        send_short(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN, e);
        send_short(TM_CMD_GAIN_CHANNEL, TM_RW_PLAY_GAIN, e);
        // The loudest recorded gain sets how far the operator may raise the play gain. A
        // recording without a whole second has no gain to go by: it counts as 0 dB.
        const std::size_t seconds = std::min<std::size_t>(duration, play_gain_table_.size());
        int k = 0;
        if (seconds > 0) {
            const float loudest = *std::max_element(play_gain_table_.begin(),
                                                    play_gain_table_.begin() + static_cast<std::ptrdiff_t>(seconds));
            k = static_cast<int>(loudest * 10.0F);
        }
        const int offset = play_offset_gain_.load();
        const int minimum = std::max(kGainRangeFloor - offset - k, -kGainRangeLimit);
        const int headroom = centre < kLowBandHz ? 100 : 30;
        const int maximum = std::clamp(headroom + 200 - offset - k, 0, kGainRangeLimit);
        send_range(TM_RW_T2_PLAY_GAIN_RANGE, maximum, minimum);
        return reported(device.Tm2PlaySetFreq(centre));
    }

    // With AGC the recording's gain moved, so play follows it from the first second (the
    // follower takes over from there); without, the loudest second's gain is used, and the third
    // value is its power instead of a ramp speed.
    float file_gain = play_file_gain_db_.load();
    int third = kAgcGainSpeedMs;
    if (play_file_info_.AGC == 1) {
        if (!play_gain_table_.empty()) file_gain = play_gain_table_[0];
        last_play_file_gain_.store(file_gain);
    } else {
        if (max_position != 0 && max_position <= duration && max_position - 1 < play_gain_table_.size()) {
            file_gain = play_gain_table_[max_position - 1];
        }
        third = static_cast<int>(max_power * 10.0 + 0.5);
    }
    play_file_gain_db_.store(file_gain);
    const short g = tenths_toward_zero(file_gain);
    reported(device.PlaySetBW(bandwidth, rate));
    device.PlaySetCapturingGainOrSetCapturedGain(bandwidth, g, static_cast<unsigned>(third));
    send_short(TM_CMD_GAIN_CHANNEL, TM_RW_GAIN, g);
    short read_back = g;
    device.PlayGetCapturingGainOrSetCapturedGain(read_back);
    send_short(TM_CMD_GAIN_CHANNEL, TM_RW_PLAY_GAIN, read_back);
    if (opener == PlayOpener::play_file_ex) {
        std::int32_t maximum = kGainRangeLimit;
        std::int32_t minimum = -kGainRangeLimit;
        if (read_back > 0) maximum = kGainRangeLimit - read_back;
        if (read_back < 0) minimum = std::max(kGainRangeFloor - read_back, -kGainRangeLimit);
        send_range(TM_RW_PLAY_GAIN_RANGE, maximum, minimum);
    }
    return reported(device.PlaySetCenterFreq(centre));
}

void CTamrelComMFC::Tm2CmdPlayFileFullPath(const std::u16string& path) {
    platform::send_message(main_window_.load(), platform::kMsgPlayFilePath, platform::text_wparam(path.c_str()), 0);
}

unsigned CTamrelComMFC::Tm2PlaySetLogGain(float gain_db) {
    const int base = setting_.get(&_TmSettingBlock_t::PlayGain);
    return tm_device().Tm2PlaySetLogGain(static_cast<short>(base + static_cast<int>(gain_db * 10.0F)));
}
