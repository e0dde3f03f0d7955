#pragma once
// The simulated instrument's control interface, for tests and for the host's simulator options.
// The session library never includes this header: it only sees the device library.
//
// Everything here acts on the process's one instrument (the back-end behind CTamrelAPI), so tests
// in one process share it: reset it in every test's SetUp.
//
// Thread-safety: every function may be called from any thread while the session calls the
// device library; each takes effect atomically for the value it changes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/status.hpp"
#include "tamrelapi/device_select.hpp"
#include "tamrelapi/sim/calibration.hpp"
#include "tamrelapi/sim/call_log.hpp"
#include "tamrelapi/sim/capture_content.hpp"
#include "tamrelapi/sim/capture_settings.hpp"
#include "tamrelapi/sim/capture_source.hpp"
#include "tamrelapi/sim/identity.hpp"
#include "tamrelapi/sim/outputs.hpp"
#include "tamrelapi/sim/play_settings.hpp"
#include "tamrelapi/sim/play_sink.hpp"
#include "tamrelapi/sim/readings.hpp"
#include "tamrelapi/sim/system_settings.hpp"
#include "tamrelapi/sim/transfer_settings.hpp"

namespace tamrel::sim::control {

// A fresh instrument of that kind (closed, defaults, no faults, empty log); pacing and seed stay
// as configured.
void reset(api::DeviceKind kind);
// Boards of the fitted generation reported by the counts (1 after a reset); 0 means no board.
void set_board_count(unsigned count);
bool is_open();

// Identification, all fields at once. A first-generation FPGA version lives in register 0x8008
// of address space 1: setting it here pokes the register, and poking the register changes it.
Identity identity();
void set_identity(const Identity& identity);

Calibration calibration();
void set_calibration(const Calibration& calibration);

Readings readings();
void set_readings(const Readings& readings);
void set_capture_gain(short tenth_db);
void set_trigger_in_level(unsigned level);
void set_dma_speed(unsigned speed);
void set_fifo_level(unsigned bytes);

// What the session drove: power-off LED, image loaded, captured-gain compensation.
Outputs outputs();
// Whether the board was prepared for power-off: the power-off bit of register 0x8004 on the
// first generation, the power-off LED on the second.
bool power_off_prepared();

// The next `count` calls of `operation` fail with `status`, then it succeeds again; count 0
// removes the fault. fail_always: every call until cleared. Both refuse an operation name the
// instrument does not know and a status of 0. A fault replaces the operation's earlier one.
// A faulted call does nothing and leaves its out-parameters untouched; a faulted Count or
// Tm2Count reports 0 boards.
platform::Status fail_next(std::string_view operation, unsigned count, unsigned status);
platform::Status fail_always(std::string_view operation, unsigned status);
void clear_fault(std::string_view operation);
void clear_faults();

// The calls made since the last clear (or reset), oldest first; only the most recent
// CallLog::default_capacity are kept. call_count() counts all of them, kept or not.
std::vector<CallRecord> calls();
std::vector<std::string> call_names();
std::uint64_t call_count();
void clear_calls();

// GPS text of the second-generation board: bytes the GPS receiver sent, waiting for
// CALT_PCI_QSYS::String_Recevie_From_GPS_Data. The board holds at most
// GpsText::default_capacity (1 MiB) of them; bytes fed beyond that are dropped and counted.
// feed_gps_text returns the number of bytes kept. A reset empties it and clears the count.
std::size_t feed_gps_text(std::string_view bytes);
std::size_t gps_text_waiting();
std::uint64_t gps_text_dropped();

// The capture source (capture_source.hpp): what the capture DMA delivers. A reset stops it and
// restores the defaults below; the pacing returns to the configured one.
using sim::CaptureContent;
using sim::CaptureStats;
// signal (default): a tone and noise at the input level; counter: sample n is the 32-bit value n;
// constant: every sample is set_constant_sample's pair, (0, 0) after a reset. Takes effect
// from the next read.
void set_capture_content(CaptureContent content);
void set_constant_sample(std::int16_t i, std::int16_t q);
// The level at the board's input, dBm (default -30): signal content is scaled so a recorder
// reads this level at the capture gain and calibration in force. A value that is not finite is
// refused and nothing changes.
platform::Status set_input_level_dbm(double dbm);
// The board FIFO's capacity in bytes (default 128 MiB), rounded down to whole samples, at least
// one sample.
void set_capture_fifo_capacity(std::uint64_t bytes);
// Every capture run produces at most `bytes`, then nothing more (a signal that ends), so a test
// can record an exact number of blocks; std::nullopt lifts it. A reset lifts it too.
void set_capture_run_limit(std::optional<std::uint64_t> bytes);
// Changes the pacing of the running source now, for tests that want a run faster than real time
// or unpaced; the configured pacing (device_config()) is unchanged and a reset returns to it. A
// factor that is not finite and above 0 is refused unless unpaced, as configure_device refuses.
platform::Status set_capture_pacing(api::CapturePacing pacing);
// The counters of the current or last run, in bytes:
// produced = delivered + lost + discarded + waiting.
CaptureStats capture_stats();

// The data path's settings as the session left them, and setters that bypass the open rules.
TransferSettings transfer_settings();
unsigned capture_bandwidth();  // 0 8 MHz, 1 24 MHz
unsigned record_iq_rate();     // samples/s
unsigned system_mode();
// Refused (invalid_argument) as CaptureSetBW and Tm2RecordSetIQRate refuse.
platform::Status set_capture_bandwidth(unsigned bandwidth);
platform::Status set_record_iq_rate(unsigned rate);

// The play sink (play_sink.hpp): what the play DMA received. A reset stops it, empties its record
// and restores the defaults below; the pacing returns to the configured one.
using sim::PlayHash;
using sim::PlayStats;
// The record since the last reset or clear: bytes received and their PlayHash, the writes taken,
// refused before a start and left empty for lack of room, the underruns, and the bytes played,
// starved, waiting and discarded.
PlayStats play_stats();
// Received bytes, hash and every counter to zero; a run goes on.
void clear_play_record();
// As set_capture_pacing, for the play sink: takes effect now, refuses a factor that is not
// finite and above 0 unless unpaced, and a reset returns to the configured pacing.
platform::Status set_play_pacing(api::CapturePacing pacing);
// The play FIFO's capacity in bytes (default 64 MiB), rounded down to whole samples, at least one
// sample.
void set_play_fifo_capacity(std::uint64_t bytes);
// Puts the play DMA in the state the session's start sequence leaves it in, bypassing the open
// rules: on the first generation RF output on and the sink running at the PlaySetBW rate; on the
// second generation the play direction at `rate` (as Tm2SetDMAInitCtrl(false, rate)) and the
// sink running at it. The capture source stops. For tests that need a running sink without
// calling the device library.
void start_play(unsigned rate);
// The play settings as the session left them.
PlaySettings play_settings();

// The first generation's capture settings (centre frequency, input range, pre-amp, loop-through,
// AGC) and system settings (board mode, 10 MHz reference, trigger) as the session left them.
// CaptureSetRange also sets the capture gain; set_capture_gain afterwards overrides it.
CaptureSettings capture_settings();
SystemSettings system_settings();

// Registers of the bridge's address spaces, bypassing the device-open rules; a poke also reaches
// read-only registers. Refused (invalid_argument) outside the windows.
platform::Result<unsigned> peek_register(unsigned space, unsigned offset);
platform::Status poke_register(unsigned space, unsigned offset, unsigned value);

}  // namespace tamrel::sim::control
