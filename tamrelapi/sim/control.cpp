#include "tamrelapi/sim/control.hpp"

#include <cmath>
#include <string>

#include "tamrelapi/sim/board_registers.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/sim/operations.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim::control {

using platform::Errc;
using platform::Status;

void reset(api::DeviceKind kind) {
    api::DeviceConfig config = instrument().config();
    config.kind = kind;
    instrument().reset(config);
}

void set_board_count(unsigned count) { instrument().presence().set_board_count(count); }
bool is_open() { return instrument().presence().is_open(); }

Identity identity() { return instrument().identity(); }
void set_identity(const Identity& identity) { instrument().set_identity(identity); }

Calibration calibration() { return instrument().calibration().get(); }
void set_calibration(const Calibration& calibration) {
    instrument().calibration().set(calibration);
}

Readings readings() { return instrument().readings().get(); }
void set_readings(const Readings& readings) { instrument().readings().set(readings); }

void set_capture_gain(short tenth_db) {
    instrument().readings().update([=](Readings& r) { r.capture_gain = tenth_db; });
}

void set_trigger_in_level(unsigned level) {
    instrument().readings().update([=](Readings& r) { r.trigger_in_level = level; });
}

void set_dma_speed(unsigned speed) {
    instrument().readings().update([=](Readings& r) { r.dma_speed = speed; });
}

void set_fifo_level(unsigned bytes) {
    instrument().readings().update([=](Readings& r) { r.fifo_bytes = bytes; });
}

Outputs outputs() { return instrument().outputs().get(); }

bool power_off_prepared() {
    namespace reg = board_registers;
    Instrument& board = instrument();
    if (board.presence().kind() == api::DeviceKind::first_generation) {
        unsigned value = 0;
        board.registers().read(reg::control_space, reg::power_control, value);
        return (value & reg::power_off_bit) != 0;
    }
    return board.outputs().get().power_off_led;
}

namespace {

Status check_fault(std::string_view operation, unsigned status) {
    if (!is_known_operation(operation)) {
        return Status(Errc::invalid_argument,
                      "unknown operation \"" + std::string(operation) + "\"");
    }
    if (status == api::status_ok) {
        return Status(Errc::invalid_argument, "an injected fault needs a non-zero status");
    }
    return {};
}

// A pacing configure_device would accept.
Status check_pacing(api::CapturePacing pacing) {
    if (!pacing.unpaced && (!std::isfinite(pacing.speed_factor) || pacing.speed_factor <= 0.0)) {
        return Status(Errc::invalid_argument, "simulator speed factor must be above 0");
    }
    return {};
}

}  // namespace

Status fail_next(std::string_view operation, unsigned count, unsigned status) {
    if (Status refused = check_fault(operation, status); !refused) return refused;
    instrument().faults().fail_next(operation, count, status);
    return {};
}

Status fail_always(std::string_view operation, unsigned status) {
    if (Status refused = check_fault(operation, status); !refused) return refused;
    instrument().faults().fail_always(operation, status);
    return {};
}

void clear_fault(std::string_view operation) { instrument().faults().clear(operation); }
void clear_faults() { instrument().faults().clear_all(); }

std::vector<CallRecord> calls() { return instrument().calls().snapshot(); }

std::vector<std::string> call_names() {
    std::vector<std::string> names;
    for (CallRecord& record : instrument().calls().snapshot()) {
        names.push_back(std::move(record.operation));
    }
    return names;
}

std::uint64_t call_count() { return instrument().calls().total(); }
void clear_calls() { instrument().calls().clear(); }

std::size_t feed_gps_text(std::string_view bytes) { return instrument().gps_text().feed(bytes); }
std::size_t gps_text_waiting() { return instrument().gps_text().waiting(); }
std::uint64_t gps_text_dropped() { return instrument().gps_text().dropped(); }

void set_capture_content(CaptureContent content) { instrument().capture().set_content(content); }

void set_constant_sample(std::int16_t i, std::int16_t q) {
    instrument().capture().set_constant_sample(i, q);
}

Status set_input_level_dbm(double dbm) {
    if (!std::isfinite(dbm)) return Status(Errc::invalid_argument, "input level must be finite");
    instrument().capture().set_input_level_dbm(dbm);
    return {};
}

void set_capture_fifo_capacity(std::uint64_t bytes) {
    instrument().capture().set_fifo_capacity(bytes);
}

void set_capture_run_limit(std::optional<std::uint64_t> bytes) {
    instrument().capture().set_run_limit(bytes);
}

Status set_capture_pacing(api::CapturePacing pacing) {
    if (Status refused = check_pacing(pacing); !refused) return refused;
    instrument().capture().set_pacing(pacing);
    return {};
}

CaptureStats capture_stats() { return instrument().capture().stats(); }

PlayStats play_stats() { return instrument().play().stats(); }
void clear_play_record() { instrument().play().clear_record(); }

Status set_play_pacing(api::CapturePacing pacing) {
    if (Status refused = check_pacing(pacing); !refused) return refused;
    instrument().play().set_pacing(pacing);
    return {};
}

void set_play_fifo_capacity(std::uint64_t bytes) { instrument().play().set_fifo_capacity(bytes); }

void start_play(unsigned rate) {
    Instrument& board = instrument();
    board.capture().stop();
    if (board.presence().kind() == api::DeviceKind::first_generation) {
        board.outputs().update([](Outputs& out) { out.rf_out_enabled = true; });
        board.play().start(board.play_settings().get().iq_rate);
        return;
    }
    board.transfer().update([rate](TransferSettings& s) {
        s.dma_capture = false;
        s.dma_play_rate = rate;
    });
    board.play().start(rate);
}

PlaySettings play_settings() { return instrument().play_settings().get(); }
CaptureSettings capture_settings() { return instrument().capture_settings().get(); }
SystemSettings system_settings() { return instrument().system_settings().get(); }

TransferSettings transfer_settings() { return instrument().transfer().get(); }
unsigned capture_bandwidth() { return transfer_settings().capture_bandwidth; }
unsigned record_iq_rate() { return transfer_settings().record_iq_rate; }
unsigned system_mode() { return transfer_settings().system_mode; }

Status set_capture_bandwidth(unsigned bandwidth) {
    if (bandwidth >= capture_bandwidths) {
        return Status(Errc::invalid_argument, "capture bandwidth must be 0 or 1");
    }
    instrument().transfer().update([=](TransferSettings& s) { s.capture_bandwidth = bandwidth; });
    return {};
}

Status set_record_iq_rate(unsigned rate) {
    if (!is_record_iq_rate(rate)) {
        return Status(Errc::invalid_argument, "record I/Q rate must be 1000 to 70000000");
    }
    instrument().transfer().update([=](TransferSettings& s) { s.record_iq_rate = rate; });
    return {};
}

platform::Result<unsigned> peek_register(unsigned space, unsigned offset) {
    unsigned value = 0;
    if (instrument().registers().read(space, offset, value) != api::status_ok) {
        return Status(Errc::invalid_argument, "register address outside the board's windows");
    }
    return value;
}

Status poke_register(unsigned space, unsigned offset, unsigned value) {
    if (instrument().registers().poke(space, offset, value) != api::status_ok) {
        return Status(Errc::invalid_argument, "register address outside the board's windows");
    }
    return {};
}

}  // namespace tamrel::sim::control
