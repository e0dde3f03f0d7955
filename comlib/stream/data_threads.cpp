// The pair of data threads every streaming mode runs: the push thread moves blocks between the
// board and the block queue, the pop thread between the queue and the disk (or the
// measurement). They run while the run flag is 1 and end within one block transfer once it is
// cleared: every device read and every queue wait they make is bounded.

#include <cstring>

#include "comlib/session/tamrel_com_mfc.hpp"

void CTamrelComMFC::TmBeginThread_PushPop() { (void)launch_data_threads(false); }

void CTamrelComMFC::Tm2BeginThread_PushPop() { (void)launch_data_threads(true); }

bool CTamrelComMFC::launch_data_threads(bool second) {
    const TmMode_e mode = current_mode_.load();
    data_run_.store(1);
    data_stop_event_.reset();
    if (second && mode == TM_MODE_HDRADIO) {
        hd_radio_bytes_per_second_.store(setting_.get(&_TmSettingBlock_t::HDRadioIQRate) * 4.0);
        hd_radio_bytes_this_second_.store(0.0);
    } else {
        play_bytes_per_second_.store(std::uint64_t{play_sample_count_[0].load()} * 4);
        play_bytes_this_second_.store(0);
    }
    const bool capture = mode == TM_MODE_RECORD || mode == TM_MODE_RECORD_PREVIEW || mode == TM_MODE_FULL_BAND_PREVIEW;
    auto push = platform::Thread::start("tm-push", [this, second, mode, capture] {
        if (capture) capture_push_thread(second, mode);
        if (mode == TM_MODE_PLAY) play_push_thread(second);
    });
    if (!push.ok()) {
        data_run_.store(0);
        send_status(u"Data thread start failed");
        return false;
    }
    push_thread_ = std::move(push.value());
    auto pop = platform::Thread::start("tm-pop", [this, second, mode, capture] {
        if (capture) capture_pop_thread(second, mode);
        if (mode == TM_MODE_PLAY) play_pop_thread(second);
    });
    if (!pop.ok()) {
        stop_data_threads();
        send_status(u"Data thread start failed");
        return false;
    }
    pop_thread_ = std::move(pop.value());
    return true;
}

void CTamrelComMFC::stop_data_threads() {
    data_run_.store(0);
    data_stop_event_.set();
    block_queue_.wake();
    // No limit on the joins: both threads poll the run flag at least every block transfer, and
    // nothing they use may be freed or reused before they have ended.
    push_thread_.join();
    pop_thread_.join();
}

bool CTamrelComMFC::DataThreadsRunning() const {
    for (const platform::Thread* t : {&push_thread_, &pop_thread_}) {
        if (t->joinable() && !t->finished()) return true;
    }
    return false;
}

void CTamrelComMFC::data_wait(unsigned ms) { (void)data_stop_event_.wait_for(ms); }

void CTamrelComMFC::fill_ring() {
    if (sample_buffer_ != nullptr) std::memset(sample_buffer_, 0xFF, kSampleBufferBytes);
}

std::size_t CTamrelComMFC::BlockQueueLength() const { return block_queue_.size(); }
