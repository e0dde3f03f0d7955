// The data threads of the capture modes (recording, record preview, full-band preview).
//
// Push: reads whole 1 MiB blocks from the board into the ring, in ring order from the first
// block, and queues their addresses; while the queue is full it waits for room and, when capture
// is selected, tells the host at most every 2 s. Once per second of samples it takes the GPS
// receiver's newest sentence for the pop side, and it makes the preview copy on request.
//
// Pop: writes each block to the sample file (recording) and measures it; a completed second
// gives a gain line and its GPS sentence, to the project file and the host. A write failure
// stops the writing and leaves the files whole.

#include <chrono>
#include <cstring>

#include "comlib/files/project_lines.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/sys/time.hpp"

namespace {
constexpr std::chrono::milliseconds kQueueWait{20};
constexpr std::uint32_t kQueueFullReportMs = 2000;
constexpr unsigned kDeviceErrorPauseMs = 10;
// The gain line's power: the capture gain, the level in dB full scale and the fixed corrections
// of the power scale, then the board's calibration offset.
constexpr double kPowerScaleOffset = -11.3 + 1.888;
}  // namespace

bool CTamrelComMFC::read_capture_block(bool second, std::uint8_t* block) {
    unsigned transferred = 0;
    const unsigned status = second ? tm_device().Tm2Read(block, kBlockBytes, transferred)
                                   : tm_device().Read(block, kBlockBytes, transferred);
    if (status != 0) {
        // A board that refuses reads is asked again after a pause, not in a tight loop.
        data_wait(kDeviceErrorPauseMs);
        return false;
    }
    return transferred >= kBlockBytes;  // a short read is retried into the same block
}

void CTamrelComMFC::copy_preview(const std::uint8_t* block) {
    if (preview_enable_.load() != 1 || preview_request_.load() != 1) return;
    preview_request_.store(0);
    std::memcpy(preview_buffer_, block, kPreviewBytes);
    preview_ready_.store(1);
}

std::u16string CTamrelComMFC::take_newest_gps_sentence() {
    // The GPS receiver hands its newest sentence to a recording while the accept flag is set;
    // the receiver itself is not built yet, so no sentence ever arrives.
    return {};
}

void CTamrelComMFC::capture_push_thread(bool second, TmMode_e mode) {
    const bool spectrum = mode == TM_MODE_RECORD || mode == TM_MODE_RECORD_PREVIEW;
    const bool full_band = mode == TM_MODE_FULL_BAND_PREVIEW;
    gps_lines_.clear();
    if (spectrum) {
        if (std::u16string sentence = take_newest_gps_sentence(); !sentence.empty()) gps_lines_.push(std::move(sentence));
    }
    // The second generation's first block after a launch is stale: it is read and dropped.
    bool drop_next = second && !full_band;
    const std::uint64_t samples_per_second = capture_sample_count_[0].load();
    std::uint64_t samples = 0;
    std::size_t index = 0;
    while (data_run_.load() == 1) {
        if (block_queue_.size() >= kRingBlocks) {
            const std::uint32_t now = platform::tick_ms();
            if (direction_.load() != 0 && platform::tick_elapsed(last_queue_full_tick_, now) > kQueueFullReportMs) {
                TmErrorReport(kStatusBlockQueueFull);
                last_queue_full_tick_ = now;
            }
            (void)block_queue_.wait_for_space(kQueueWait);
            continue;
        }
        std::uint8_t* block = ring_block(index);
        if (!read_capture_block(second, block)) continue;
        if (drop_next) {
            drop_next = false;
            continue;
        }
        samples += kBlockSamples;
        if (samples_per_second > 0 && samples >= samples_per_second) {
            if (std::u16string sentence = take_newest_gps_sentence(); !sentence.empty()) gps_lines_.push(std::move(sentence));
            samples %= samples_per_second;
        }
        if (spectrum) {
            copy_preview(block);
        } else if (full_band && preview_enable_.load() == 1 && fullband_request_.load() == 0) {
            std::memcpy(preview_buffer_, block, kPreviewBytes);
            fullband_request_.store(1);
        }
        (void)block_queue_.push(block);  // room was checked above; only this thread appends
        index = (index + 1) % kRingBlocks;
    }
}

void CTamrelComMFC::capture_pop_thread(bool second, TmMode_e mode) {
    const bool recording = mode == TM_MODE_RECORD;
    const bool measuring = recording || mode == TM_MODE_RECORD_PREVIEW;
    meter_.start(capture_sample_count_[0].load());
    record_writing_.store(recording ? 1 : 0);
    std::u16string last_sentence;
    while (data_run_.load() == 1) {
        if (!block_queue_.wait_for_item(kQueueWait)) continue;
        const std::uint8_t* block = block_queue_.front();
        bool measure = measuring && !recording;
        if (recording && record_writing_.load() == 1) {
            if (sample_file_.write(block, kBlockBytes)) {
                measure = true;
            } else {
                sample_write_failed();
            }
        }
        if (measure) {
            meter_.feed(reinterpret_cast<const std::int16_t*>(block), kBlockSamples,
                        [&](std::uint64_t power_sum, std::uint32_t number) {
                            return report_second(second, power_sum, number, recording, last_sentence);
                        });
        }
        block_queue_.pop_front();
    }
}

bool CTamrelComMFC::report_second(bool second, std::uint64_t power_sum, std::uint32_t number, bool to_file,
                                  std::u16string& last_sentence) {
    if (auto sentence = gps_lines_.take()) last_sentence = std::move(*sentence);
    const float gain = capture_gain_db_.load();
    const double power = static_cast<double>(gain) + SecondMeter::dbfs(power_sum, meter_.samples_per_second()) +
                         kPowerScaleOffset + static_cast<double>(capture_iq_power_offset_.load());
    const std::u16string line = gain_line(gain, power, static_cast<int>(number));
    const std::uint32_t host = host_address_.load();
    if (to_file) (void)project_file_.write(line);
    SendCmdData(host, TM_CMD_GAIN_CHANNEL, TM_RW_GAIN_LINE, static_cast<unsigned>(line.size() * sizeof(char16_t)),
                line.data());
    if (to_file && !last_sentence.empty()) (void)project_file_.write(last_sentence);
    SendCmdData(host, TM_CMD_GPS_CHANNEL, TM_RW_GPS_LINE,
                static_cast<unsigned>(last_sentence.size() * sizeof(char16_t)), last_sentence.data());
    // Each second reaches the disk as it completes, so the project file stays whole whenever the
    // recording ends.
    if (to_file) (void)project_file_.flush();
    unsigned speed = 0;
    (void)(second ? Tm2GetDMASpeed(speed) : TmGetDMASpeed(speed));  // both send the last speed
    if (to_file && setting_.get(&_TmSettingBlock_t::CaptureStopType) == 1 &&
        number == setting_.get(&_TmSettingBlock_t::CaptureTime)) {
        record_writing_.store(0);
        SendCmdData(host, TM_CMD_RECORD_NOTICE, TM_RW_TIME_LIMIT_REACHED, 0, nullptr);
        return false;
    }
    return true;
}

void CTamrelComMFC::sample_write_failed() {
    record_writing_.store(0);
    // Whole blocks stay; a block the disk took only part of is cut off, so the sample file
    // remains a whole number of blocks that matches the gain lines written.
    const std::uint64_t whole = sample_file_.bytes_written() / kBlockBytes * kBlockBytes;
    const std::string path = sample_file_.path();
    (void)sample_file_.close(platform::CloseSync::no_sync);
    if (auto file = platform::File::open(path, platform::FileMode::read_write); file) {
        (void)file->truncate(whole);
        (void)file->close();
    }
    send_status(u"IQW File Write Error");
    TmErrorReport(kStatusIqwFile);
}
