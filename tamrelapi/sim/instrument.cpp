#include "tamrelapi/sim/instrument.hpp"

#include "tamrelapi/sim/board_registers.hpp"
#include "tamrelapi/sim/identity_environment.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

using api::DeviceKind;

Instrument::Instrument(const api::DeviceConfig& config) : presence_(config.kind) {
    reset(config);
}

void Instrument::reset(const api::DeviceConfig& config) {
    config_.set(config);
    presence_.reset(config.kind);
    faults_.clear_all();
    calls_.clear();
    const Identity fresh = default_identity(config.kind);
    identity_.set(fresh);
    power_on_registers(config.kind, fresh.fpga_version);
    calibration_.set(default_calibration(config.kind));
    readings_.set(default_readings(config.kind));
    outputs_.set(Outputs{});
    gps_text_.clear();
    transfer_.set(TransferSettings{});
    capture_.reset(config.pacing, config.seed);
    play_settings_.set(PlaySettings{});
    play_.reset(config.pacing);
    capture_settings_.set(CaptureSettings{});
    system_settings_.set(SystemSettings{});
}

void Instrument::power_on_registers(DeviceKind kind, unsigned fpga_version) {
    namespace reg = board_registers;
    registers_.clear();
    if (kind != DeviceKind::first_generation) return;
    registers_.poke(reg::control_space, reg::fpga_version, fpga_version);
    registers_.set_read_only(reg::control_space, reg::fpga_version);
}

Identity Instrument::identity() const {
    namespace reg = board_registers;
    Identity current = identity_.get();
    if (presence_.kind() == DeviceKind::first_generation) {
        registers_.read(reg::control_space, reg::fpga_version, current.fpga_version);
    }
    return current;
}

void Instrument::set_identity(const Identity& identity) {
    namespace reg = board_registers;
    identity_.set(identity);
    if (presence_.kind() == DeviceKind::first_generation) {
        registers_.poke(reg::control_space, reg::fpga_version, identity.fpga_version);
    }
}

platform::Status Instrument::apply_identity_environment() {
    Identity changed = identity();
    if (platform::Status refused = sim::apply_identity_environment(changed); !refused) {
        return refused;
    }
    set_identity(changed);
    return {};
}

unsigned Instrument::enter(std::string_view operation, Needs needs, std::string arguments) {
    calls_.record(operation, std::move(arguments));
    if (const auto injected = faults_.take(operation)) return *injected;
    return presence_.admit(needs);
}

namespace {

api::DeviceConfig startup_config() {
    auto from_environment = api::device_config_from_environment();
    return from_environment ? *from_environment : api::DeviceConfig{};
}

}  // namespace

Instrument& instrument() {
    // Leaked on purpose: threads still calling the library while the process exits must never
    // meet a destroyed instrument.
    static Instrument* const the_instrument = [] {
        auto* fresh = new Instrument(startup_config());
        // A malformed variable keeps the defaults here; configure_device() and
        // api::check_sim_identity_environment() report it.
        (void)fresh->apply_identity_environment();
        return fresh;
    }();
    return *the_instrument;
}

}  // namespace tamrel::sim
