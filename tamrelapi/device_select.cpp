#include "tamrelapi/device_select.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "tamrelapi/sim/identity.hpp"
#include "tamrelapi/sim/identity_environment.hpp"
#include "tamrelapi/sim/instrument.hpp"

namespace tamrel::api {

using platform::Errc;
using platform::Status;

const char* device_kind_name(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::none: return "none";
        case DeviceKind::first_generation: return "sim1";
        case DeviceKind::second_generation: return "sim2";
    }
    return "none";
}

platform::Result<DeviceKind> parse_device_kind(std::string_view text) {
    if (text == "sim2") return DeviceKind::second_generation;
    if (text == "sim1") return DeviceKind::first_generation;
    if (text == "none") return DeviceKind::none;
    return Status(Errc::invalid_argument,
                  "unknown device \"" + std::string(text) + "\": expected sim2, sim1 or none");
}

platform::Result<CapturePacing> parse_sim_speed(std::string_view text) {
    if (text == "unpaced") return CapturePacing{true, 1.0};
    double factor = 0.0;
    const char* const end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, factor);
    if (text.empty() || ec != std::errc{} || stop != end || !std::isfinite(factor) ||
        factor <= 0.0) {
        return Status(Errc::invalid_argument,
                      "bad simulator speed \"" + std::string(text) +
                          "\": expected a factor above 0 (e.g. 1, 2.5) or unpaced");
    }
    return CapturePacing{false, factor};
}

platform::Result<DeviceConfig> device_config_from_environment() {
    DeviceConfig config;
    const char* value = std::getenv("TAMREL_DEVICE");
    if (value == nullptr || *value == '\0') return config;
    auto kind = parse_device_kind(value);
    if (!kind) {
        return Status(Errc::invalid_argument, "TAMREL_DEVICE: " + kind.status().message());
    }
    config.kind = *kind;
    return config;
}

Status configure_device(const DeviceConfig& config) {
    if (!config.pacing.unpaced &&
        (!std::isfinite(config.pacing.speed_factor) || config.pacing.speed_factor <= 0.0)) {
        return Status(Errc::invalid_argument, "simulator speed factor must be above 0");
    }
    sim::instrument().reset(config);
    return sim::instrument().apply_identity_environment();
}

Status check_sim_identity_environment() {
    sim::Identity scratch = sim::default_identity(DeviceKind::second_generation);
    return sim::apply_identity_environment(scratch);
}

DeviceConfig device_config() { return sim::instrument().config(); }

}  // namespace tamrel::api
