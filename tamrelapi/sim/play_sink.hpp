#pragma once
// The play sink: the board FIFO the play DMA fills, the transmitter that plays it out, and the
// record of every byte the board received, so tests can prove what was played.
//
// Consumption. Between start() and stop() the transmitter wants samples (4 bytes each) at the
// run's rate. Paced, it has wanted rate x speed factor x the time since the run was primed
// (steady clock); unpaced, it plays every byte the moment it arrives, so the FIFO is never full
// and never runs dry. A run is primed by the first bytes that arrive after start() or
// fifo_reset(): before that the transmitter waits for data, so the empty FIFO of a fresh start is
// not an underrun. Nothing runs in the background: consumption is brought up to date whenever
// someone looks (a write, the statistics, a control change).
//
// Underruns. While a primed run wants samples and the FIFO is empty, the transmitter starves:
// the bytes it wanted are counted as starved, and each dry episode (from the moment the FIFO runs
// dry to the next write that brings bytes) counts one underrun.
//
// Writes are all-or-nothing, so a short write never loses anything: when `length` bytes fit in
// the FIFO, the write takes them all at once; otherwise it waits until enough has been played
// out, at most write_wait, and takes all or nothing. Before start() a write takes nothing and
// returns status_play_not_started. stop(), fifo_reset() and reset() end every waiting write at
// once, with nothing taken. Waits sleep on a condition variable until the time the room is due,
// never in a busy loop.
//
// The record. Every byte a write takes is counted and hashed (PlayHash), across runs, until
// reset() or clear_record(); so are the writes taken, refused and left empty, the underruns and
// the bytes played, starved and discarded. Invariant, when the record was cleared with an empty
// FIFO (always after reset()): received = consumed + discarded + waiting.
//
// Thread-safety: every member may be called from any thread at once: one data thread writes
// while others start, stop, empty the FIFO, change the settings and look at the statistics. The
// state is under one mutex, never held while another model is called. A write hashes its bytes
// under it (so the hash follows the order the bytes were taken in); that is bounded by the FIFO's
// capacity, so every call returns in bounded time.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/play_hash.hpp"

namespace tamrel::sim {

// The record of what the sink received since the last reset or clear, in bytes.
struct PlayStats {
    bool running = false;
    unsigned rate = 0;                        // samples per second of the current or last run
    std::uint64_t received = 0;               // taken by writes
    std::uint64_t hash = PlayHash{}.value();  // PlayHash of the bytes received, in order
    std::uint64_t writes_taken = 0;
    std::uint64_t refused_not_started = 0;  // writes while the play DMA was not running
    std::uint64_t writes_empty = 0;         // writes that took nothing for lack of room
    std::uint64_t underruns = 0;            // dry episodes of a primed run
    std::uint64_t starved = 0;              // bytes the transmitter wanted while dry
    std::uint64_t consumed = 0;             // played out
    std::uint64_t waiting = 0;              // in the FIFO
    std::uint64_t discarded = 0;            // emptied by stop(), fifo_reset() or a restart

    friend bool operator==(const PlayStats&, const PlayStats&) = default;
};

class PlaySink {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::uint64_t default_fifo_capacity = std::uint64_t{64} << 20;  // 64 MiB
    static constexpr std::chrono::milliseconds write_wait{50};

    // Stopped, an empty record, the default capacity, the given pacing.
    void reset(api::CapturePacing pacing);

    // Begins a run at `rate` samples per second, not yet primed. A running sink restarts: the
    // bytes waiting are discarded. A rate of 0 plays nothing.
    void start(unsigned rate);
    // Ends the run: the bytes waiting are discarded.
    void stop();
    // Discards the bytes waiting; the run goes on and is primed again by the next bytes.
    void fifo_reset();

    // All-or-nothing write: status_ok with `transferred` = `length` (the bytes are recorded), or
    // status_ok with `transferred` = 0 when they did not fit within write_wait. Not running:
    // status_play_not_started. Refused (invalid_argument) while running: a null buffer, or a
    // length beyond the FIFO's capacity, which could never fit. A zero length takes nothing and
    // changes nothing. `transferred` is written only with status_ok.
    unsigned write(const void* buffer, unsigned length, unsigned& transferred);
    // A write the play DMA refused because it does not run towards the board: counted as
    // refused; returns status_play_not_started.
    unsigned refuse_write();

    // True while the sink runs and its last write of the run was taken whole.
    bool byte_indicator();
    PlayStats stats();
    // Received bytes, hash and every counter to zero; the run and the bytes waiting go on.
    void clear_record();

    // Takes effect now: what was played stays, consumption goes on at the new pace.
    void set_pacing(api::CapturePacing pacing);
    // Rounded down to whole samples, at least one. A FIFO already fuller keeps its bytes; writes
    // wait until enough has been played.
    void set_fifo_capacity(std::uint64_t bytes);

private:
    using Lock = std::unique_lock<std::mutex>;

    void consume_locked(Clock::time_point now);
    void discard_waiting_locked();
    // When enough will have been played for `length` more bytes to fit; called only when they
    // do not fit now.
    Clock::time_point room_due_locked(std::uint64_t length) const;
    bool wait_for_room_locked(Lock& lock, std::uint64_t length, std::uint64_t epoch,
                              Clock::time_point deadline);
    void take_locked(const void* buffer, std::uint64_t length);
    void clear_record_locked();

    mutable std::mutex mutex_;
    std::condition_variable changed_;

    // Settings
    api::CapturePacing pacing_;
    std::uint64_t capacity_ = default_fifo_capacity;

    // The run
    bool running_ = false;
    std::uint64_t epoch_ = 0;  // changes at every start, stop, FIFO reset and reset
    unsigned rate_ = 0;
    bool primed_ = false;  // bytes arrived since the start or the FIFO reset
    bool dry_ = false;     // in an underrun episode
    bool last_write_whole_ = false;
    Clock::time_point base_time_{};  // consumption is paced from here...
    std::uint64_t base_demand_ = 0;  // ...on top of what was wanted before it
    std::uint64_t demanded_ = 0;     // bytes wanted since the run was primed
    std::uint64_t waiting_ = 0;

    // The record
    PlayHash hash_;
    std::uint64_t writes_taken_ = 0;
    std::uint64_t refused_ = 0;
    std::uint64_t writes_empty_ = 0;
    std::uint64_t underruns_ = 0;
    std::uint64_t starved_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint64_t discarded_ = 0;
};

}  // namespace tamrel::sim
