#pragma once
// Identification from the environment: lets a user start the simulated board with other
// versions or another serial number without a test build, for example an old pump FPGA that
// makes the session ask for a configuration-flash update:
//   TAMREL_SIM_PUMP_FPGA_VERSION=2.1.0.0 tamrel-host ...
//
//   TAMREL_SIM_FPGA_VERSION       a.b.c.d   FPGA version (first generation: register 0x8008)
//   TAMREL_SIM_PUMP_FPGA_VERSION  a.b.c.d   pump FPGA version; b is the hardware variant, 1 to 3
//   TAMREL_SIM_DSP_NIOS_VERSION   a.b.c.d   DSP Nios version
//   TAMREL_SIM_PCB_VERSION        decimal   PCB version
//   TAMREL_SIM_SERIAL             text      serial number, 1 to 10 printable ASCII characters
// A version is four numbers 0 to 255, high byte first ("2.1.1.2" is 0x02010102). A variable that
// is unset or empty leaves its field alone. The instrument applies them after its defaults when
// configure_device() starts it and when it is first used.
//
// Pure functions apart from apply_identity_environment(), which reads the environment.

#include <span>
#include <string>
#include <string_view>

#include "platform/status.hpp"
#include "tamrelapi/sim/identity.hpp"

namespace tamrel::sim {

// The variables above, in that order.
std::span<const std::string_view> identity_variables();

// "a.b.c.d" as four bytes, high byte first; anything else is refused with invalid_argument.
platform::Result<unsigned> parse_version_text(std::string_view text);

// Sets the field `name` (one of identity_variables()) of `identity` from `value`. Refuses, with
// invalid_argument naming the variable and the value, an unknown name or a malformed value;
// `identity` is then unchanged.
platform::Status apply_identity_variable(Identity& identity, std::string_view name,
                                         std::string_view value);

// Applies every variable that is set and not empty. On the first malformed one, returns its
// refusal and leaves `identity` as it was: either all of them apply or none.
platform::Status apply_identity_environment(Identity& identity);

}  // namespace tamrel::sim
