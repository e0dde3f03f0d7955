#include "tamrelapi/sim/capture_source.hpp"

#include <algorithm>

#include "tamrelapi/status.hpp"

namespace tamrel::sim {
namespace {

constexpr std::uint64_t kSampleBytes = 4;
// Caps what a paced run can have produced, so the conversion from floating point stays defined
// whatever the speed factor (2^52 samples is beyond any run a test or a session makes).
constexpr double kMaxSamples = 0x1.0p52;
// A wait for bytes due further out than this ends at the read's own bound anyway.
constexpr double kMaxDueSeconds = 3600.0;

std::uint64_t samples_covering(std::uint64_t bytes) {
    return (bytes + kSampleBytes - 1) / kSampleBytes;
}

}  // namespace

void CaptureSource::reset(api::CapturePacing pacing, std::uint64_t seed) {
    {
        std::lock_guard lock(mutex_);
        pacing_ = pacing;
        seed_ = seed;
        content_ = CaptureContent::signal;
        constant_i_ = 0;
        constant_q_ = 0;
        input_dbm_ = default_input_level_dbm;
        capacity_ = default_fifo_capacity;
        run_limit_samples_.reset();
        begin_run_locked(false, 0);
    }
    changed_.notify_all();
}

void CaptureSource::start(unsigned rate) {
    {
        std::lock_guard lock(mutex_);
        begin_run_locked(true, rate);
    }
    changed_.notify_all();
}

void CaptureSource::begin_run_locked(bool running, unsigned rate) {
    running_ = running;
    ++epoch_;  // ends the reads waiting on the previous run
    rate_ = rate;
    base_time_ = Clock::now();
    base_samples_ = 0;
    produced_ = 0;
    fifo_.clear();
    waiting_ = 0;
    delivered_ = 0;
    lost_ = 0;
    discarded_ = 0;
}

void CaptureSource::stop() {
    {
        std::lock_guard lock(mutex_);
        produce_locked(Clock::now());  // what the run produced up to now still counts
        running_ = false;
        ++epoch_;
    }
    changed_.notify_all();
}

void CaptureSource::fifo_reset() {
    {
        std::lock_guard lock(mutex_);
        produce_locked(Clock::now());
        discarded_ += waiting_;
        fifo_.clear();
        waiting_ = 0;
    }
    changed_.notify_all();  // a waiting reader needs more than it thought
}

unsigned CaptureSource::read(void* buffer, unsigned length, unsigned& transferred,
                             const SignalPath& path) {
    if (length == 0) {
        transferred = 0;
        return api::status_ok;
    }
    if (buffer == nullptr) return api::status_invalid_argument;

    Lock lock(mutex_);
    if (length > capacity_) return api::status_invalid_argument;
    const std::uint64_t epoch = epoch_;
    if (!running_) {
        changed_.wait_for(lock, idle_wait, [&] { return epoch_ != epoch; });
        transferred = 0;
        return api::status_ok;
    }

    const Clock::time_point deadline = Clock::now() + read_wait;
    std::shared_ptr<const SignalTable> built;
    std::vector<Piece> pieces;
    ContentSettings settings;
    for (;;) {
        if (!wait_for_bytes_locked(lock, length, epoch, deadline)) {
            transferred = 0;
            return api::status_ok;
        }
        settings = content_locked(path, built);
        if (settings.content != CaptureContent::signal || settings.table) break;
        // A new level needs a new period of the signal. It is built without the lock, so stop()
        // and the other readers are not held up; the bytes are checked again afterwards. One
        // build per read at most: the period built serves this read even if the level changed
        // meanwhile.
        const SignalLevel wanted = level_locked(path);
        lock.unlock();
        built = std::make_shared<const SignalTable>(wanted);
        lock.lock();
        table_ = built;
    }
    take_locked(length, pieces);
    lock.unlock();

    auto* out = static_cast<unsigned char*>(buffer);
    for (const Piece& piece : pieces) {
        fill_stream(settings, piece.first_byte, out, static_cast<std::size_t>(piece.length));
        out += piece.length;
    }
    transferred = length;
    return api::status_ok;
}

void CaptureSource::wait_idle() {
    Lock lock(mutex_);
    const std::uint64_t epoch = epoch_;
    changed_.wait_for(lock, idle_wait, [&] { return epoch_ != epoch; });
}

std::optional<std::uint64_t> CaptureSource::fifo_level() {
    std::lock_guard lock(mutex_);
    produce_locked(Clock::now());
    if (running_ && pacing_.unpaced) return capacity_;
    if (running_ || waiting_ > 0) return waiting_;
    return std::nullopt;
}

CaptureStats CaptureSource::stats() {
    std::lock_guard lock(mutex_);
    produce_locked(Clock::now());
    return CaptureStats{running_,   rate_, produced_ * kSampleBytes, delivered_, lost_,
                        waiting_, discarded_};
}

void CaptureSource::set_pacing(api::CapturePacing pacing) {
    {
        std::lock_guard lock(mutex_);
        const Clock::time_point now = Clock::now();
        produce_locked(now);  // up to now at the old pace
        pacing_ = pacing;
        base_time_ = now;
        base_samples_ = produced_;
    }
    changed_.notify_all();  // waiting readers recompute when their bytes are due
}

void CaptureSource::set_run_limit(std::optional<std::uint64_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        produce_locked(Clock::now());
        if (bytes) {
            run_limit_samples_ = *bytes / kSampleBytes;
        } else {
            run_limit_samples_.reset();
        }
    }
    changed_.notify_all();
}

void CaptureSource::set_content(CaptureContent content) {
    std::lock_guard lock(mutex_);
    content_ = content;
}

void CaptureSource::set_constant_sample(std::int16_t i, std::int16_t q) {
    std::lock_guard lock(mutex_);
    constant_i_ = i;
    constant_q_ = q;
}

void CaptureSource::set_input_level_dbm(double dbm) {
    std::lock_guard lock(mutex_);
    input_dbm_ = dbm;
}

void CaptureSource::set_fifo_capacity(std::uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        produce_locked(Clock::now());  // what arrived so far met the old capacity
        capacity_ = std::max(kSampleBytes, bytes - bytes % kSampleBytes);
    }
    changed_.notify_all();
}

void CaptureSource::produce_locked(Clock::time_point now) {
    if (!running_ || pacing_.unpaced || now <= base_time_) return;
    const double elapsed = std::chrono::duration<double>(now - base_time_).count();
    const double due = std::min(elapsed * rate_ * pacing_.speed_factor, kMaxSamples);
    std::uint64_t total = base_samples_ + static_cast<std::uint64_t>(due);
    if (run_limit_samples_) total = std::min(total, *run_limit_samples_);
    if (total > produced_) append_locked(total - produced_, true);
}

void CaptureSource::append_locked(std::uint64_t samples, bool bounded) {
    std::uint64_t kept = samples;
    if (bounded) {
        // A sample is kept while the FIFO has room for any of its bytes. After a read that took
        // some of a sample, a block as long as the FIFO can then still come together.
        const std::uint64_t room = capacity_ > waiting_ ? capacity_ - waiting_ : 0;
        kept = std::min(samples, samples_covering(room));
    }
    if (kept > 0) {
        const std::uint64_t first = produced_ * kSampleBytes;
        const std::uint64_t bytes = kept * kSampleBytes;
        if (!fifo_.empty() && fifo_.back().first_byte + fifo_.back().length == first) {
            fifo_.back().length += bytes;
        } else {
            fifo_.push_back(Piece{first, bytes});
        }
        waiting_ += bytes;
    }
    lost_ += (samples - kept) * kSampleBytes;
    produced_ += samples;
}

CaptureSource::Clock::time_point CaptureSource::due_time_locked(std::uint64_t length) const {
    const std::uint64_t needed = produced_ + samples_covering(length - waiting_);
    if (run_limit_samples_ && needed > *run_limit_samples_) return Clock::time_point::max();
    const double seconds = static_cast<double>(needed - base_samples_) /
                           (rate_ * pacing_.speed_factor);
    if (!(seconds < kMaxDueSeconds)) return Clock::time_point::max();
    // Rounded up, and a little later still, so the wake-up finds the bytes there.
    return base_time_ +
           std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(seconds)) +
           std::chrono::microseconds(1);
}

bool CaptureSource::wait_for_bytes_locked(Lock& lock, std::uint64_t length, std::uint64_t epoch,
                                          Clock::time_point deadline) {
    for (;;) {
        if (epoch_ != epoch || !running_) return false;
        const Clock::time_point now = Clock::now();
        produce_locked(now);
        if (pacing_.unpaced && waiting_ < length) {
            std::uint64_t samples = samples_covering(length - waiting_);
            if (run_limit_samples_) samples = std::min(samples, *run_limit_samples_ - std::min(*run_limit_samples_, produced_));
            append_locked(samples, false);
        }
        if (waiting_ >= length) return true;
        if (now >= deadline) return false;
        changed_.wait_until(lock, std::min(deadline, due_time_locked(length)));
    }
}

void CaptureSource::take_locked(std::uint64_t length, std::vector<Piece>& pieces) {
    waiting_ -= length;
    delivered_ += length;
    while (length > 0) {
        Piece& head = fifo_.front();
        const std::uint64_t piece = std::min(length, head.length);
        pieces.push_back(Piece{head.first_byte, piece});
        head.first_byte += piece;
        head.length -= piece;
        if (head.length == 0) fifo_.pop_front();
        length -= piece;
    }
}

ContentSettings CaptureSource::content_locked(const SignalPath& path,
                                          const std::shared_ptr<const SignalTable>& built) const {
    ContentSettings settings;
    settings.content = content_;
    settings.constant_i = constant_i_;
    settings.constant_q = constant_q_;
    if (content_ == CaptureContent::signal) {
        if (table_ && table_->level() == level_locked(path)) {
            settings.table = table_;
        } else {
            settings.table = built;
        }
    }
    return settings;
}

SignalLevel CaptureSource::level_locked(const SignalPath& path) const {
    return SignalLevel{input_dbm_, path, seed_};
}

}  // namespace tamrel::sim
