// Starting and ending play of the recording selected for play, and positioning inside it.
//
// A recording plays from byte positions of the whole recording: for a set, the sizes of the
// earlier files plus the offset within the current one. The push thread reads from `play_current_`
// (the project file, or the file of the set that holds the position); the controller moves it
// only while no data thread runs.

#include <algorithm>

#include "comlib/files/file_manage.hpp"
#include "comlib/files/play_list.hpp"
#include "comlib/session/device.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/sys/time.hpp"
#include "platform/text/format.hpp"

namespace {
constexpr unsigned kFifoSettleMs = 200;
}

unsigned CTamrelComMFC::TmPlay() { return start_play(false); }

unsigned CTamrelComMFC::Tm2Play() { return start_play(true); }

std::u16string CTamrelComMFC::PlaySamplePath() const {
    std::lock_guard lock(path_mutex_);
    return play_sample_path_;
}

std::u16string CTamrelComMFC::PlayProjectPath() const {
    std::lock_guard lock(path_mutex_);
    return play_project_path_;
}

_TmFileInfo_t CTamrelComMFC::PlayFileInfo() const { return play_file_info_; }

unsigned CTamrelComMFC::start_play(bool second) {
    if (sample_buffer_ == nullptr) return kStatusRefused;
    const std::u16string sample = PlaySamplePath();
    const std::u16string project = PlayProjectPath();
    send_status(platform::format(u"Playing :file(%s)", sample).c_str());
    send_status(platform::format(u"Playing :extfile(%s)", project).c_str());
    const int kind = play_file_kind_.load();
    unsigned result = 0;
    if (kind == TM_FILE_KIND_BLACK_BOX) {
        result = TmPlayStart_BBR();
    } else if (second && kind == TM_FILE_KIND_EVENT) {
        result = Tm2PlayStart_WER();
    } else {
        result = TmPlayStart_WPJ(sample);
    }
    if (result != 0) return result;
    const std::uint32_t rate = setting_.get(&_TmSettingBlock_t::PlayIQRate);
    TmSetPlaySampleCnt(rate);
    // Touch the whole ring now, not block by block while the board waits for data.
    fill_ring();
    if (!second) {
        tm_device().FifoReset();
        platform::sleep_ms(kFifoSettleMs);
    }
    current_mode_.store(TM_MODE_PLAY);
    if (second) tm_device().Tm2SetDMAInitCtrl(false, rate);
    if (!launch_data_threads(second)) {
        current_mode_.store(TM_MODE_INIT);
        close_play_files();
        return kStatusRefused;
    }
    return 0;
}

unsigned CTamrelComMFC::TmPlayStart_WPJ(const std::u16string& sample_path) {
    close_play_files();
    auto posix = platform::process_drives().resolve(sample_path);
    auto file = posix ? platform::SampleReader::open(*posix) : platform::Result<platform::SampleReader>(posix.status());
    if (!file) {
        send_status(u"File Open Error");
        return kStatusPlayFile;
    }
    play_file_ = std::move(*file);
    position_play_at_elapsed();
    return 0;
}

unsigned CTamrelComMFC::open_set_files(const std::vector<TmPlayListEntry>& files) {
    close_play_files();
    play_set_files_.reserve(files.size());
    play_set_info_.reserve(files.size());
    for (const TmPlayListEntry& entry : files) {
        auto posix = platform::process_drives().resolve(entry.sample_path);
        auto file = posix ? platform::SampleReader::open(*posix)
                          : platform::Result<platform::SampleReader>(posix.status());
        if (!file) {
            // A set plays whole or not at all: the files opened so far are closed again.
            close_play_files();
            return kStatusPlayFile;
        }
        // The size on disk now, not the one listed at opening: the positions must match what
        // the reads will find.
        auto size = file->size();
        play_set_info_.push_back({file->native_handle(), size ? *size : 0});
        play_set_files_.push_back(std::move(*file));
    }
    position_play_at_elapsed();
    return 0;
}

unsigned CTamrelComMFC::TmPlayStart_BBR() { return open_set_files(tm_file_manage().black_box_file_list()); }

unsigned CTamrelComMFC::Tm2PlayStart_WER() { return open_set_files(tm_file_manage().event_play_list()); }

void CTamrelComMFC::close_play_files() {
    play_current_ = nullptr;
    play_index_ = 0;
    if (play_file_.is_open()) (void)play_file_.close();
    for (platform::SampleReader& file : play_set_files_) {
        if (file.is_open()) (void)file.close();
    }
    play_set_files_.clear();
    play_set_info_.clear();
}

void CTamrelComMFC::position_play_at_elapsed() {
    const std::uint64_t position = play_bytes_per_second() * play_elapsed_s_.load() + play_start_offset_.load();
    play_pop_position_.store(position);
    play_push_position_.store(position);
    play_reposition(position);
}

void CTamrelComMFC::play_reposition(std::uint64_t position) {
    if (play_file_kind_.load() == TM_FILE_KIND_PROJECT) {
        play_current_ = play_file_.is_open() ? &play_file_ : nullptr;
        play_index_ = 0;
        if (play_current_ != nullptr) (void)play_current_->seek(static_cast<std::int64_t>(position));
        return;
    }
    position_in_set(position);
}

unsigned CTamrelComMFC::TmPlayPosition_BBR(std::uint64_t position) { return position_in_set(position); }

unsigned CTamrelComMFC::TmPlayPosition_WER(std::uint64_t position) { return position_in_set(position); }

unsigned CTamrelComMFC::position_in_set(std::uint64_t position) {
    std::size_t index = 0;
    std::uint64_t offset = 0;
    std::uint64_t before = 0;
    for (std::size_t i = 0; i < play_set_info_.size(); ++i) {
        const std::uint64_t end = before + play_set_info_[i].SampleSize;
        if (end > position) {
            index = i;
            offset = position - before;
            break;
        }
        before = end;
    }
    // The file in which the repeat range ends, and how far its end lies beyond the range's end.
    const std::uint64_t repeat_end = play_repeat_end_byte_.load();
    std::size_t end_index = play_set_info_.empty() ? 0 : play_set_info_.size() - 1;
    std::uint64_t cumulative = 0;
    std::uint64_t end_of_end_file = 0;
    for (std::size_t i = 0; i < play_set_info_.size(); ++i) {
        cumulative += play_set_info_[i].SampleSize;
        end_of_end_file = cumulative;
        if (cumulative >= repeat_end) {
            end_index = i;
            break;
        }
    }
    const std::uint64_t beyond = end_of_end_file >= repeat_end ? end_of_end_file - repeat_end : 0;
    send_status(platform::format(u"u4_CurrPlayIdx:%u", static_cast<unsigned>(index)).c_str());
    send_status(platform::format(u"s8_PlayidxFileStartPoSition:%I64d", static_cast<long long>(offset)).c_str());
    send_status(platform::format(u"u4_EndPlayIdx:%u", static_cast<unsigned>(end_index)).c_str());
    send_status(platform::format(u"s8_PlayIdxFileEndPoSition:%I64d",
                                 static_cast<long long>(beyond != 0 ? beyond : end_of_end_file))
                    .c_str());
    play_index_ = index;
    play_current_ = index < play_set_files_.size() && play_set_files_[index].is_open() ? &play_set_files_[index] : nullptr;
    if (play_current_ != nullptr) (void)play_current_->seek(static_cast<std::int64_t>(offset));
    return 0;
}

unsigned CTamrelComMFC::TmGetMultiplePlayFileInfo(_TmMultiplePlayFileInfo_t* destination, unsigned index) const {
    if (destination == nullptr || index >= play_set_info_.size()) return kStatusRefused;
    *destination = play_set_info_[index];
    return 0;
}

// The stop sequences. The data threads have ended (the controller stopped them).
unsigned CTamrelComMFC::finish_play(bool second) {
    const int kind = play_file_kind_.load();
    if (second) {
        tm_device().Tm2Stop();
    } else {
        tm_device().PlaySetRfOutEnable(false);
        tm_device().Stop();
        tm_device().FifoReset();
    }
    block_queue_.clear();
    close_play_files();
    if (kind == TM_FILE_KIND_PROJECT) send_status(u"PlayStop");
    send_mode_packet(second ? TM_CMD_T2PLAY_STOP : TM_CMD_PLAY_STOP);
    set_run_status(0);
    return 0;
}

unsigned CTamrelComMFC::TmPlayStop_WPJ() { return finish_play(false); }
unsigned CTamrelComMFC::TmPlayStop_BBR() { return finish_play(false); }
unsigned CTamrelComMFC::Tm2PlayStop_WPJ() { return finish_play(true); }
unsigned CTamrelComMFC::Tm2PlayStop_BBR() { return finish_play(true); }
unsigned CTamrelComMFC::Tm2PlayStop_WER() { return finish_play(true); }

void CTamrelComMFC::halt_play_threads(bool second) {
    stop_data_threads();
    if (second) {
        tm_device().Tm2Stop();
    } else {
        tm_device().Stop();
    }
    block_queue_.clear();
}

void CTamrelComMFC::relaunch_play_at(bool second, std::uint64_t position) {
    play_pop_position_.store(position);
    play_push_position_.store(position);
    play_reposition(position);
    const std::uint32_t rate = setting_.get(&_TmSettingBlock_t::PlayIQRate);
    if (second) {
        tm_device().Tm2SetDMAInitCtrl(false, rate);
    } else {
        tm_device().FifoReset();
        platform::sleep_ms(kFifoSettleMs);
    }
    (void)launch_data_threads(second);
}
