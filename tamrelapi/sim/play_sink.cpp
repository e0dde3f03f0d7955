#include "tamrelapi/sim/play_sink.hpp"

#include <algorithm>

#include "tamrelapi/status.hpp"

namespace tamrel::sim {
namespace {

constexpr std::uint64_t kSampleBytes = 4;
// Caps what a paced run can have wanted, so the conversion from floating point stays defined
// whatever the speed factor (2^52 samples is beyond any run a test or a session makes).
constexpr double kMaxSamples = 0x1.0p52;
// A wait for room due further out than this ends at the write's own bound anyway.
constexpr double kMaxDueSeconds = 3600.0;

}  // namespace

void PlaySink::reset(api::CapturePacing pacing) {
    {
        std::lock_guard lock(mutex_);
        pacing_ = pacing;
        capacity_ = default_fifo_capacity;
        running_ = false;
        ++epoch_;  // ends the writes waiting on the old board
        rate_ = 0;
        primed_ = false;
        dry_ = false;
        last_write_whole_ = false;
        waiting_ = 0;
        clear_record_locked();
    }
    changed_.notify_all();
}

void PlaySink::start(unsigned rate) {
    {
        std::lock_guard lock(mutex_);
        consume_locked(Clock::now());  // a running sink played up to now before it restarts
        discard_waiting_locked();
        running_ = true;
        ++epoch_;
        rate_ = rate;
        primed_ = false;
        dry_ = false;
        last_write_whole_ = false;
    }
    changed_.notify_all();
}

void PlaySink::stop() {
    {
        std::lock_guard lock(mutex_);
        consume_locked(Clock::now());  // what the run played up to now still counts
        discard_waiting_locked();
        running_ = false;
        ++epoch_;
        primed_ = false;
        dry_ = false;
    }
    changed_.notify_all();
}

void PlaySink::fifo_reset() {
    {
        std::lock_guard lock(mutex_);
        consume_locked(Clock::now());
        discard_waiting_locked();
        ++epoch_;
        // The transmitter waits for data again, so the FIFO emptied here is not an underrun.
        primed_ = false;
        dry_ = false;
    }
    changed_.notify_all();
}

void PlaySink::discard_waiting_locked() {
    discarded_ += waiting_;
    waiting_ = 0;
}

unsigned PlaySink::write(const void* buffer, unsigned length, unsigned& transferred) {
    Lock lock(mutex_);
    if (!running_) {
        ++refused_;
        return api::status_play_not_started;
    }
    if (length == 0) {
        transferred = 0;
        return api::status_ok;
    }
    if (buffer == nullptr || length > capacity_) return api::status_invalid_argument;

    const std::uint64_t epoch = epoch_;
    const Clock::time_point deadline = Clock::now() + write_wait;
    if (!wait_for_room_locked(lock, length, epoch, deadline)) {
        ++writes_empty_;
        last_write_whole_ = false;
        transferred = 0;
        return api::status_ok;
    }
    take_locked(buffer, length);
    transferred = length;
    return api::status_ok;
}

unsigned PlaySink::refuse_write() {
    std::lock_guard lock(mutex_);
    ++refused_;
    return api::status_play_not_started;
}

bool PlaySink::byte_indicator() {
    std::lock_guard lock(mutex_);
    return running_ && last_write_whole_;
}

PlayStats PlaySink::stats() {
    std::lock_guard lock(mutex_);
    consume_locked(Clock::now());
    PlayStats s;
    s.running = running_;
    s.rate = rate_;
    s.received = hash_.bytes();
    s.hash = hash_.value();
    s.writes_taken = writes_taken_;
    s.refused_not_started = refused_;
    s.writes_empty = writes_empty_;
    s.underruns = underruns_;
    s.starved = starved_;
    s.consumed = consumed_;
    s.waiting = waiting_;
    s.discarded = discarded_;
    return s;
}

void PlaySink::clear_record() {
    std::lock_guard lock(mutex_);
    consume_locked(Clock::now());  // what was played before the clear is not in the new record
    clear_record_locked();
}

void PlaySink::clear_record_locked() {
    hash_ = PlayHash{};
    writes_taken_ = 0;
    refused_ = 0;
    writes_empty_ = 0;
    underruns_ = 0;
    starved_ = 0;
    consumed_ = 0;
    discarded_ = 0;
}

void PlaySink::set_pacing(api::CapturePacing pacing) {
    {
        std::lock_guard lock(mutex_);
        const Clock::time_point now = Clock::now();
        consume_locked(now);  // up to now at the old pace
        pacing_ = pacing;
        base_time_ = now;
        base_demand_ = demanded_;
        consume_locked(now);  // unpaced from now: what waits is played at once
    }
    changed_.notify_all();  // waiting writes recompute when their room is due
}

void PlaySink::set_fifo_capacity(std::uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        consume_locked(Clock::now());
        capacity_ = std::max(kSampleBytes, bytes - bytes % kSampleBytes);
    }
    changed_.notify_all();
}

void PlaySink::consume_locked(Clock::time_point now) {
    if (!running_ || !primed_) return;
    if (pacing_.unpaced) {
        consumed_ += waiting_;
        waiting_ = 0;
        return;
    }
    if (now <= base_time_) return;
    const double elapsed = std::chrono::duration<double>(now - base_time_).count();
    const double due = std::min(elapsed * rate_ * pacing_.speed_factor, kMaxSamples);
    const std::uint64_t wanted = base_demand_ + static_cast<std::uint64_t>(due) * kSampleBytes;
    if (wanted <= demanded_) return;

    // No bytes arrived since the last look (every write looks first), so the FIFO fed the
    // transmitter until it ran dry, if it did, and it starved from then on.
    const std::uint64_t more = wanted - demanded_;
    demanded_ = wanted;
    const std::uint64_t played = std::min(more, waiting_);
    waiting_ -= played;
    consumed_ += played;
    if (played < more) {
        starved_ += more - played;
        if (!dry_) {
            dry_ = true;
            ++underruns_;
        }
    }
}

PlaySink::Clock::time_point PlaySink::room_due_locked(std::uint64_t length) const {
    // Nothing is played before the run is primed (and then the FIFO is empty anyway).
    if (!primed_) return Clock::time_point::max();
    const std::uint64_t to_play = waiting_ + length - capacity_;
    const std::uint64_t wanted = demanded_ + to_play - base_demand_;
    const double samples = static_cast<double>((wanted + kSampleBytes - 1) / kSampleBytes);
    const double per_second = rate_ * pacing_.speed_factor;
    if (!(per_second > 0.0)) return Clock::time_point::max();
    const double seconds = samples / per_second;
    if (!(seconds < kMaxDueSeconds)) return Clock::time_point::max();
    // Rounded up, and a little later still, so the wake-up finds the room there.
    return base_time_ + std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(seconds)) +
           std::chrono::microseconds(1);
}

bool PlaySink::wait_for_room_locked(Lock& lock, std::uint64_t length, std::uint64_t epoch,
                                    Clock::time_point deadline) {
    for (;;) {
        if (epoch_ != epoch || !running_) return false;
        const Clock::time_point now = Clock::now();
        consume_locked(now);
        if (pacing_.unpaced || waiting_ + length <= capacity_) return true;
        if (now >= deadline) return false;
        changed_.wait_until(lock, std::min(deadline, room_due_locked(length)));
    }
}

void PlaySink::take_locked(const void* buffer, std::uint64_t length) {
    if (!primed_) {
        // The first bytes of the run (or since the FIFO reset): the transmitter starts now.
        primed_ = true;
        base_time_ = Clock::now();
        base_demand_ = 0;
        demanded_ = 0;
    }
    hash_.update(buffer, static_cast<std::size_t>(length));
    ++writes_taken_;
    waiting_ += length;
    dry_ = false;
    last_write_whole_ = true;
    if (pacing_.unpaced) {
        consumed_ += waiting_;
        waiting_ = 0;
    }
}

}  // namespace tamrel::sim
