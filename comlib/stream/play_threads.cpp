// The data threads of play.
//
// Push: fills ring blocks from the recording and queues them, in ring order. A block is always
// filled whole: at the end of the repeat range the rest of the block comes from the range's
// start ("File repeat"), and a file of a set that ends continues in the next file ("Next BBR").
// Reads never go past the repeat end, so nothing outside the range is played and no arithmetic
// can reach outside the block.
//
// Pop: writes each queued block to the board's play DMA. A write refused because the play DMA
// has not started starts it and writes the same block again; a short write continues with the
// rest of the block; so every block reaches the board exactly once, in order. Each block written
// advances the play counters: the elapsed second (with the repeat wrap), the DMA speed and the
// recorded gain of the second.

#include <algorithm>

#include "comlib/files/file_info.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"
#include "tamrelapi/status.hpp"

namespace {
constexpr std::chrono::milliseconds kQueueWait{20};
constexpr unsigned kDeviceErrorPauseMs = 10;
}  // namespace

bool CTamrelComMFC::fill_play_block(std::uint8_t* block) {
    const int kind = play_file_kind_.load();
    const bool set = kind == TM_FILE_KIND_BLACK_BOX || kind == TM_FILE_KIND_EVENT;
    std::size_t filled = 0;
    std::size_t filled_at_last_wrap = kBlockBytes + 1;
    // Back to the start of the repeat range; false when the range gave nothing since the last
    // wrap (an empty or unreadable recording), so the thread cannot spin on it.
    auto wrap = [&]() {
        filled &= ~std::size_t{3};
        if (filled == filled_at_last_wrap) return false;
        filled_at_last_wrap = filled;
        const std::uint64_t start = play_repeat_start_byte_.load();
        play_push_position_.store(start);
        play_reposition(start);
        send_status(u"File repeat");
        return true;
    };
    while (filled < kBlockBytes) {
        if (data_run_.load() != 1) return false;
        const std::uint64_t end = play_repeat_end_byte_.load();
        std::uint64_t push = play_push_position_.load();
        if (push >= end) {
            if (!wrap()) {
                data_wait(kDeviceErrorPauseMs);
                return false;
            }
            continue;
        }
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes - filled, end - push));
        std::size_t got = 0;
        if (play_current_ != nullptr) {
            // A read error counts as the end of the file.
            if (auto n = play_current_->read(block + filled, want)) got = *n;
        }
        push += got;
        filled += got;
        play_push_position_.store(push);
        if (got == want) continue;
        // The file ended before the recording says it should.
        if (set) {
            if (play_index_ + 1 < play_set_files_.size()) {
                ++play_index_;
                play_current_ = &play_set_files_[play_index_];
                (void)play_current_->seek(0);
                send_status(u"Next BBR");
                continue;
            }
            send_status(u"Error BBR Curr Play Idx");
            const std::uint64_t start = play_repeat_start_byte_.load();
            play_push_position_.store(start);
            play_reposition(start);
            data_wait(kDeviceErrorPauseMs);
            return false;
        }
        if (!wrap()) {
            data_wait(kDeviceErrorPauseMs);
            return false;
        }
    }
    return true;
}

void CTamrelComMFC::play_push_thread(bool /*second*/) {
    std::size_t index = 0;
    while (data_run_.load() == 1) {
        if (block_queue_.size() >= kRingBlocks) {
            (void)block_queue_.wait_for_space(kQueueWait);
            continue;
        }
        std::uint8_t* block = ring_block(index);
        if (!fill_play_block(block)) continue;
        (void)block_queue_.push(block);  // room was checked above; only this thread appends
        index = (index + 1) % kRingBlocks;
    }
}

void CTamrelComMFC::play_pop_thread(bool second) {
    const CTamrelAPI& device = tm_device();
    std::size_t written = 0;  // bytes of the front block the board has taken
    while (data_run_.load() == 1) {
        if (!block_queue_.wait_for_item(kQueueWait)) continue;
        std::uint8_t* block = block_queue_.front();
        const auto remaining = static_cast<unsigned>(kBlockBytes - written);
        unsigned taken = 0;
        const unsigned status = second ? device.Tm2Write(block + written, remaining, taken)
                                       : device.Write(block + written, remaining, taken);
        if (status == tamrel::api::status_play_not_started) {
            if ((second ? device.Tm2Start() : device.Start()) != 0) data_wait(kDeviceErrorPauseMs);
            continue;  // the same block again
        }
        if (status != 0) {
            data_wait(kDeviceErrorPauseMs);
            continue;
        }
        written += std::min(taken, remaining);
        if (written < kBlockBytes) continue;
        written = 0;
        count_played_block(second);
        copy_preview(block);
        block_queue_.pop_front();
    }
}

void CTamrelComMFC::send_elapsed_seconds() {
    const std::u16string text = platform::format(u"%u", play_elapsed_s_.load());
    const auto bytes = static_cast<unsigned>(text.size() * sizeof(char16_t));
    const std::uint32_t host = host_address_.load();
    SendCmdData(host, TM_CMD_GAIN_CHANNEL, TM_RW_GRAPH_TIME, bytes, text.data());
    SendCmdData(host, TM_CMD_GPS_CHANNEL, TM_RW_GRAPH_TIME, bytes, text.data());
}

void CTamrelComMFC::count_played_block(bool second) {
    unsigned indicator = 0;
    if (tm_device().GetPlayByteIndicator(indicator) != 0 || indicator != 1) return;
    std::uint64_t pop = play_pop_position_.load() + kBlockBytes;
    std::uint64_t since = play_bytes_this_second_.load() + kBlockBytes;
    const std::uint64_t per_second = play_bytes_per_second_.load();
    const std::uint32_t total = setting_.get(&_TmSettingBlock_t::PlayFileLength);
    bool second_passed = false;
    // Every second boundary inside the block counts (at low rates a block holds many seconds).
    while (per_second > 0 && since >= per_second) {
        since -= per_second;
        second_passed = true;
        play_elapsed_s_.fetch_add(1);
        if (play_elapsed_s_.load() <= total) send_elapsed_seconds();
        const std::uint64_t start = play_repeat_start_byte_.load();
        const std::uint64_t end = play_repeat_end_byte_.load();
        if (end > start && pop - since >= end) {
            // The push side wrapped here: the bytes after this boundary came from the range's start.
            play_elapsed_s_.store(setting_.get(&_TmSettingBlock_t::PlayRepeatStart));
            SendCmdData(host_address_.load(), TM_CMD_INFO, TM_RW_PLAY_SECTION_WRAP, 0, nullptr);
            pop -= end - start;
            send_elapsed_seconds();
        }
    }
    play_pop_position_.store(pop);
    play_bytes_this_second_.store(since);
    if (second_passed) {
        unsigned speed = 0;
        (void)(second ? Tm2GetDMASpeed(speed) : TmGetDMASpeed(speed));  // both send the last speed
    }
    // The recorded gain of the second now playing, when it changes; never that of the last
    // second, and none for a recording shorter than 2 s.
    const std::uint32_t elapsed = play_elapsed_s_.load();
    if (total >= 2 && elapsed < total - 1 && elapsed < play_gain_table_.size()) {
        const float gain = play_gain_table_[elapsed];
        if (gain != play_file_gain_db_.load()) {
            play_file_gain_db_.store(gain);
            const auto tenths = static_cast<short>(static_cast<int>(gain * 10.0F));
            SendCmdData(host_address_.load(), TM_CMD_GAIN_CHANNEL, TM_RW_GAIN, sizeof tenths, &tenths);
        }
    }
}
