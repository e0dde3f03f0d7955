// Small queries and settings of the host notifications: mode lines, graph resets, the update
// period, sample counts, spectrum size, search range, the DMA speed and capture gain, and the
// host program's version.

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

unsigned CTamrelComMFC::direction_rate(bool full_band_as_capture) const {
    const unsigned direction = direction_.load();
    if (direction == 0) return setting_.get(&_TmSettingBlock_t::PlayIQRate);
    if (direction == 1 || (full_band_as_capture && direction == 3)) {
        if (setting_.get(&_TmSettingBlock_t::Generation) >= 2) {
            return setting_.get(&_TmSettingBlock_t::RecordIQRate);
        }
        return setting_.get(&_TmSettingBlock_t::CaptureBW) == TM_BW_24MHZ ? 30'000'000U : 10'000'000U;
    }
    return 10'000'000U;
}

void CTamrelComMFC::TmPlayCaptureModeStatusPrint(TmMode_e mode) {
    static constexpr const char16_t* kNames[] = {
        u"Mode:INIT",           u"Mode:PLAY",      u"Mode:RECORD",
        u"Mode:PLAY_PREVIEW",   u"Mode:RECORD_PREVIEW", u"Mode:BBR_RECORD",
        u"Mode:FULL_BAND_PREVIEW", u"Mode:HDRADIO", u"Mode:EVENT_RECORD"};
    send_status(mode <= TM_MODE_EVENT_RECORD ? kNames[mode] : u"Mode:Fail");
}

void CTamrelComMFC::TmSetGraphInitTime(TmMode_e mode) {
    const std::uint32_t host = host_address_.load();
    if (mode == TM_MODE_PLAY) {
        const char16_t one = u'1';  // the text "1", no terminator
        SendCmdData(host, TM_CMD_GAIN_CHANNEL, TM_RW_GRAPH_TIME, sizeof one, &one);
        SendCmdData(host, TM_CMD_GPS_CHANNEL, TM_RW_GRAPH_TIME, sizeof one, &one);
    } else if (mode == TM_MODE_RECORD || mode == TM_MODE_PLAY_PREVIEW ||
               mode == TM_MODE_RECORD_PREVIEW || mode == TM_MODE_BBR_RECORD ||
               mode == TM_MODE_EVENT_RECORD) {
        SendCmdData(host, TM_CMD_GAIN_CHANNEL, TM_RW_GRAPH_RESET, 0, nullptr);
        SendCmdData(host, TM_CMD_GPS_CHANNEL, TM_RW_GRAPH_RESET, 0, nullptr);
    }
}

void CTamrelComMFC::SetRemoteUpdateSpeed(_TmRemoteUpdateSpeed_e speed) {
    if (speed > TM_REMOTE_UPDATE_SPEED_4) return;
    unsigned period = 0;
    if (setting_.get(&_TmSettingBlock_t::Generation) >= 2) {
        static constexpr unsigned kPeriods[] = {55, 85, 115, 145, 185};
        period = kPeriods[speed];
    } else {
        static constexpr float kFactors[] = {80.0F, 100.0F, 130.0F, 160.0F, 200.0F};
        unsigned rate = direction_rate();
        if (rate == 0) rate = 10'000'000U;  // never divide by a zero play rate
        period = static_cast<unsigned>((10'000'000.0F / static_cast<float>(rate)) * kFactors[speed]);
    }
    setting_.set(&_TmSettingBlock_t::RemoteUpdateSpeed, speed);
    update_period_ms_.store(period);
    TmStatusStrUpdate(platform::format(u"Update Time : %u", period));
}

void CTamrelComMFC::TmSetCaptureSampleCnt(_TmBWType_e bandwidth) {
    if (bandwidth == TM_BW_8MHZ) {
        capture_sample_count_[0].store(10'000'000U);
        capture_sample_count_[1].store(20'000'000U);
    } else if (bandwidth == TM_BW_24MHZ) {
        capture_sample_count_[0].store(30'000'000U);
        capture_sample_count_[1].store(60'000'000U);
    }
}

void CTamrelComMFC::TmSetPlaySampleCnt(unsigned rate) {
    const auto first = static_cast<unsigned>(static_cast<double>(rate) / 1'000'000.0 * 1000.0 * 1000.0 + 0.5);
    play_sample_count_[0].store(first);
    play_sample_count_[1].store(first * 2);
}

unsigned CTamrelComMFC::GetTotalRawBytesToFFT() {
    // In the HD Radio system mode the HD Radio player sizes the spectrum; it arrives with HD Radio
    // playback, until then that mode is sized like the others.
    static constexpr double kDivisors[] = {3000.0, 5000.0, 10000.0, 20000.0};
    const unsigned index = setting_.get(&_TmSettingBlock_t::ResBW);
    if (index > 3) return 0;
    auto samples = static_cast<unsigned>(std::lround(static_cast<double>(direction_rate(true)) / kDivisors[index]));
    SetRemoteUpdateSpeed(static_cast<_TmRemoteUpdateSpeed_e>(setting_.get(&_TmSettingBlock_t::RemoteUpdateSpeed)));
    if (samples % 2 != 0) ++samples;
    return samples * 4;
}

short CTamrelComMFC::GetSearchRange(_TmBWType_e, float level) {
    struct Step {
        float level;
        short range;
    };
    static constexpr Step kSteps[] = {{-5, 0},      {-10, -50},  {-15, -100}, {-20, -150}, {-25, -200},
                                      {-30, -250},  {-35, -300}, {-40, -350}, {-45, -400}};
    for (const Step& step : kSteps) {
        if (level >= step.level) return step.range;
    }
    return -550;
}

unsigned CTamrelComMFC::TmGetDMASpeed(unsigned& speed) { return read_dma_speed(&CTamrelAPI::GetDMASpeed, speed); }

unsigned CTamrelComMFC::Tm2GetDMASpeed(unsigned& speed) { return read_dma_speed(&CTamrelAPI::Tm2GetDMASpeed, speed); }

unsigned CTamrelComMFC::TmGetCaptureGain(float& gain_db) {
    return read_capture_gain(&CTamrelAPI::CaptureGetGain, gain_db);
}

unsigned CTamrelComMFC::Tm2GetCaptureGain(float& gain_db) {
    return read_capture_gain(&CTamrelAPI::Tm2RecordGetGain, gain_db);
}

// The last speed the board reported is kept in the settings block and sent to the host whether or
// not this read succeeded.
unsigned CTamrelComMFC::read_dma_speed(unsigned (CTamrelAPI::*read)(unsigned&) const, unsigned& speed) {
    unsigned value = 0;
    const unsigned status = (tm_device().*read)(value);
    if (status == 0) {
        speed = value;
        setting_.set(&_TmSettingBlock_t::DMASpeed, value);
    }
    const std::uint32_t reported = setting_.get(&_TmSettingBlock_t::DMASpeed);
    SendCmdData(host_address_.load(), TM_CMD_DMASPEED, TM_RW_VALUE, sizeof reported, &reported);
    return status;
}

unsigned CTamrelComMFC::read_capture_gain(unsigned (CTamrelAPI::*read)(short&) const, float& gain_db) {
    short tenths = 0;
    const unsigned status = (tm_device().*read)(tenths);
    if (status == 0) {
        const float db = static_cast<float>(tenths) / 10.0F;
        capture_gain_db_.store(db);
        gain_db = db;
    }
    return status;
}

_TmVer_u CTamrelComMFC::GetSWVer() {
    // The host program carries a fixed-file-information record: the signature BD 04 EF FE, the
    // structure version, then the file version as two words (major<<16 | minor, build<<16 |
    // revision). The running executable's file is searched for it; the last one found wins.
    _TmVer_u version{};
    version.value = 0;
    std::ifstream file("/proc/self/exe", std::ios::binary);
    if (!file) return version;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    static constexpr std::uint8_t kSignature[] = {0xBD, 0x04, 0xEF, 0xFE};
    constexpr std::size_t kRecordBytes = 16;  // signature, structure version, two version words
    for (std::size_t i = 0; i + kRecordBytes <= bytes.size(); ++i) {
        if (std::memcmp(&bytes[i], kSignature, sizeof kSignature) != 0) continue;
        std::uint32_t high = 0;
        std::uint32_t low = 0;
        std::memcpy(&high, &bytes[i + 8], 4);
        std::memcpy(&low, &bytes[i + 12], 4);
        version.part.major = static_cast<std::uint8_t>(high >> 16);
        version.part.minor = static_cast<std::uint8_t>(high);
        version.part.build = static_cast<std::uint8_t>(low >> 16);
        version.part.revision = static_cast<std::uint8_t>(low);
    }
    return version;
}
