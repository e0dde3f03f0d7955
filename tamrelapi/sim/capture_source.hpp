#pragma once
// The capture source: what the board's receiver produces while the capture DMA runs, the board
// FIFO where it waits, and the block reads that take it out.
//
// Production. Between start() and stop() the source produces samples (4 bytes each) at the run's
// rate. Paced, it has produced rate x speed factor x the time since start (steady clock);
// unpaced, it produces on demand exactly what a read asks for, so data is always available and
// nothing is lost. Nothing runs in the background: production is brought up to date whenever
// someone looks (a read, the FIFO level, the statistics). The FIFO keeps stream positions, not
// bytes, because the content is a function of the position (capture_content.hpp) and is written
// straight into the reader's buffer.
//
// The FIFO. It holds at most its capacity (default 128 MiB). Samples produced while it is full
// are lost and counted, and the stream goes on with the samples produced after them, so counter
// content shows a gap where the loss was. Bytes emptied by fifo_reset() are discarded, not lost.
//
// Reads are all-or-nothing, so a short read never loses anything: when `length` bytes wait, a
// read takes exactly those; otherwise it waits until they do, at most read_wait, and takes
// nothing. While stopped a read takes nothing after waiting at most idle_wait, so a caller that
// polls does not spin. stop() and reset() end every waiting read at once. Waits sleep on a
// condition variable until the time the missing bytes are due, never in a busy loop.
//
// A run is counted afresh by start(): FIFO empty, sample index 0, counters zero. Invariant of the
// counters: produced = delivered + lost + discarded + waiting.
//
// Thread-safety: every member may be called from any thread at once: one data thread reads while
// others start, stop, empty the FIFO and change the settings. The state is under one mutex, which
// is never held while another model is called or while content is written, so every call returns
// in bounded time.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/capture_content.hpp"
#include "tamrelapi/sim/capture_signal.hpp"

namespace tamrel::sim {

// The counters of the current run (or the last one, once stopped), in bytes.
struct CaptureStats {
    bool running = false;
    unsigned rate = 0;            // samples per second
    std::uint64_t produced = 0;
    std::uint64_t delivered = 0;  // taken by reads
    std::uint64_t lost = 0;       // produced while the FIFO was full
    std::uint64_t waiting = 0;    // in the FIFO
    std::uint64_t discarded = 0;  // emptied by fifo_reset()

    friend bool operator==(const CaptureStats&, const CaptureStats&) = default;
};

class CaptureSource {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::uint64_t default_fifo_capacity = std::uint64_t{128} << 20;  // 128 MiB
    static constexpr double default_input_level_dbm = -30.0;
    static constexpr std::chrono::milliseconds read_wait{50};
    static constexpr std::chrono::milliseconds idle_wait{20};

    // Stopped, with the defaults: signal content, -30 dBm input, constant sample (0, 0), the
    // default capacity. The signal period last built is kept, as it depends only on its level.
    void reset(api::CapturePacing pacing, std::uint64_t seed);

    // Begins a fresh run at `rate` samples per second (above 0); a running source restarts.
    void start(unsigned rate);
    void stop();
    // Empties the FIFO; the run and its sample index go on.
    void fifo_reset();

    // Block read: status_ok with `transferred` = `length` and the bytes in `buffer`, or
    // status_ok with `transferred` = 0 and `buffer` untouched. Refused (invalid_argument) with a
    // null buffer, or a length beyond the FIFO's capacity, which could never wait whole.
    // `path` sets the level of signal content.
    unsigned read(void* buffer, unsigned length, unsigned& transferred, const SignalPath& path);
    // What a read does while the DMA runs the other way: waits at most idle_wait (less when the
    // source starts, stops or resets) and takes nothing.
    void wait_idle();

    // Bytes waiting while the source runs, or while bytes are left after a stop; none otherwise.
    // Unpaced, a running source reads full (its capacity): data is always available.
    std::optional<std::uint64_t> fifo_level();
    CaptureStats stats();

    // Takes effect now: what was produced stays, production goes on at the new pace.
    void set_pacing(api::CapturePacing pacing);
    // Every run produces at most `bytes` (rounded down to whole samples), then nothing more, as
    // a receiver whose signal ends; none lifts the limit. Kept across runs until a reset.
    void set_run_limit(std::optional<std::uint64_t> bytes);
    void set_content(CaptureContent content);
    void set_constant_sample(std::int16_t i, std::int16_t q);
    void set_input_level_dbm(double dbm);
    // Rounded down to whole samples, at least one. A FIFO already fuller keeps its bytes and
    // loses what arrives until reads make room.
    void set_fifo_capacity(std::uint64_t bytes);

private:
    struct Piece {
        std::uint64_t first_byte;  // position in the run's stream
        std::uint64_t length;
    };
    using Lock = std::unique_lock<std::mutex>;

    // A fresh run's state: empty FIFO, sample index 0, counters zero.
    void begin_run_locked(bool running, unsigned rate);
    void produce_locked(Clock::time_point now);
    void append_locked(std::uint64_t samples, bool bounded);
    Clock::time_point due_time_locked(std::uint64_t length) const;
    bool wait_for_bytes_locked(Lock& lock, std::uint64_t length, std::uint64_t epoch,
                               Clock::time_point deadline);
    void take_locked(std::uint64_t length, std::vector<Piece>& pieces);
    // The content as it stands; a null table when signal content needs a period not yet built
    // (and `built` is not it either).
    ContentSettings content_locked(const SignalPath& path,
                               const std::shared_ptr<const SignalTable>& built) const;
    SignalLevel level_locked(const SignalPath& path) const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;

    // Settings
    api::CapturePacing pacing_;
    std::uint64_t seed_ = 1;
    CaptureContent content_ = CaptureContent::signal;
    std::int16_t constant_i_ = 0;
    std::int16_t constant_q_ = 0;
    double input_dbm_ = default_input_level_dbm;
    std::uint64_t capacity_ = default_fifo_capacity;
    std::shared_ptr<const SignalTable> table_;
    std::optional<std::uint64_t> run_limit_samples_;

    // The run
    bool running_ = false;
    std::uint64_t epoch_ = 0;  // changes at every start, stop and reset: ends waiting reads
    unsigned rate_ = 0;
    Clock::time_point base_time_{};  // production is paced from here...
    std::uint64_t base_samples_ = 0;  // ...on top of what was produced before it
    std::uint64_t produced_ = 0;      // samples; also the index of the next one
    std::deque<Piece> fifo_;
    std::uint64_t waiting_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t lost_ = 0;
    std::uint64_t discarded_ = 0;
};

}  // namespace tamrel::sim
