#pragma once
// Which instrument the device library talks to. The back-end is chosen once, when the process
// starts: the host parses its options into a DeviceConfig and calls configure_device() before it
// creates the session. Without that call the library takes TAMREL_DEVICE from the environment
// (sim1, sim2 or none), and without that the second generation.
//
// Today every kind is served by the simulated instrument; "none" is an instrument with no board
// fitted, so both counts are 0 and every call that needs a board fails with status_no_device.

#include <cstdint>
#include <string_view>

#include "platform/status.hpp"

namespace tamrel::api {

enum class DeviceKind { none, first_generation, second_generation };

// How fast the simulated capture source delivers samples: in real time multiplied by
// speed_factor, or as fast as it is read when unpaced (benchmarks).
struct CapturePacing {
    bool unpaced = false;
    double speed_factor = 1.0;

    friend bool operator==(const CapturePacing&, const CapturePacing&) = default;
};

struct DeviceConfig {
    DeviceKind kind = DeviceKind::second_generation;
    CapturePacing pacing;
    std::uint64_t seed = 1;  // makes the simulated signal and noise repeatable

    friend bool operator==(const DeviceConfig&, const DeviceConfig&) = default;
};

// The option text of the kind: "sim1", "sim2" or "none".
const char* device_kind_name(DeviceKind kind);

// "sim2", "sim1" or "none" (the host's --device values and TAMREL_DEVICE); anything else is
// refused with invalid_argument and a message naming the accepted texts.
platform::Result<DeviceKind> parse_device_kind(std::string_view text);

// A --sim-speed value: "unpaced", or a finite factor above 0 ("1", "2.5", "10").
platform::Result<CapturePacing> parse_sim_speed(std::string_view text);

// The configuration TAMREL_DEVICE asks for (the default configuration when the variable is unset
// or empty); an unknown value is refused so the host can say so. The library itself, when nothing
// was configured, falls back to the default for an unknown value.
platform::Result<DeviceConfig> device_config_from_environment();

// Whether the identification variables of the environment (TAMREL_SIM_FPGA_VERSION,
// TAMREL_SIM_PUMP_FPGA_VERSION, TAMREL_SIM_DSP_NIOS_VERSION, TAMREL_SIM_PCB_VERSION,
// TAMREL_SIM_SERIAL; see tamrelapi/sim/identity_environment.hpp) are all well-formed: ok, or
// invalid_argument naming the first malformed variable and its value. Configures nothing.
platform::Status check_sim_identity_environment();

// Selects the instrument and starts it afresh (closed, default identification and readings),
// then applies the identification variables of the environment over the defaults. Call it
// before the session starts; calling it later replaces the instrument under the session.
// Refuses a pacing factor that is not a finite number above 0, changing nothing. Refuses a
// malformed identification variable as check_sim_identity_environment() does; the instrument is
// then started with the defaults and none of the variables applied.
platform::Status configure_device(const DeviceConfig& config);

// The configuration in force.
DeviceConfig device_config();

}  // namespace tamrel::api
