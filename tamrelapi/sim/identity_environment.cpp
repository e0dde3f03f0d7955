#include "tamrelapi/sim/identity_environment.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

namespace tamrel::sim {
namespace {

using platform::Errc;
using platform::Status;

constexpr std::string_view kFpgaVersion = "TAMREL_SIM_FPGA_VERSION";
constexpr std::string_view kPumpFpgaVersion = "TAMREL_SIM_PUMP_FPGA_VERSION";
constexpr std::string_view kDspNiosVersion = "TAMREL_SIM_DSP_NIOS_VERSION";
constexpr std::string_view kPcbVersion = "TAMREL_SIM_PCB_VERSION";
constexpr std::string_view kSerial = "TAMREL_SIM_SERIAL";
constexpr std::array kVariables = {kFpgaVersion, kPumpFpgaVersion, kDspNiosVersion, kPcbVersion,
                                   kSerial};

constexpr std::size_t kSerialLength = 10;   // the board's serial-number field
constexpr unsigned kMaxVersionDigits = 3;   // "255"

// A decimal number that is the whole of `text`, no sign, no blanks.
bool parse_decimal(std::string_view text, unsigned& value) {
    const char* const end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc{} && stop == end;
}

Status refuse(std::string_view name, std::string_view value, std::string_view expected) {
    return Status(Errc::invalid_argument, std::string(name) + ": bad value \"" +
                                              std::string(value) + "\": expected " +
                                              std::string(expected));
}

bool printable_ascii(char c) { return c >= 0x20 && c <= 0x7E; }

}  // namespace

std::span<const std::string_view> identity_variables() { return kVariables; }

platform::Result<unsigned> parse_version_text(std::string_view text) {
    const Status bad(Errc::invalid_argument,
                     "bad version \"" + std::string(text) + "\": expected a.b.c.d, each 0 to 255");
    unsigned version = 0;
    std::string_view rest = text;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? rest.find('.') : rest.size();
        if (dot == std::string_view::npos || dot > kMaxVersionDigits) return bad;
        unsigned byte = 0;
        if (!parse_decimal(rest.substr(0, dot), byte) || byte > 0xFFU) return bad;
        version = version << 8 | byte;
        rest.remove_prefix(std::min(dot + 1, rest.size()));
    }
    return version;
}

platform::Status apply_identity_variable(Identity& identity, std::string_view name,
                                         std::string_view value) {
    constexpr std::string_view version_form = "a.b.c.d, four numbers 0 to 255 (e.g. 2.1.1.2)";
    if (name == kFpgaVersion || name == kPumpFpgaVersion || name == kDspNiosVersion) {
        const auto version = parse_version_text(value);
        if (!version) return refuse(name, value, version_form);
        if (name == kFpgaVersion) {
            identity.fpga_version = *version;
        } else if (name == kPumpFpgaVersion) {
            const unsigned variant = (*version >> 16) & 0xFFU;
            if (variant < 1 || variant > 3) {
                return refuse(name, value, "a.b.c.d with hardware variant b 1 to 3 (e.g. 2.1.0.0)");
            }
            identity.pump_fpga_version = *version;
        } else {
            identity.dsp_nios_version = *version;
        }
        return {};
    }
    if (name == kPcbVersion) {
        unsigned pcb = 0;
        if (!parse_decimal(value, pcb)) return refuse(name, value, "a decimal number (e.g. 2)");
        identity.pcb_version = pcb;
        return {};
    }
    if (name == kSerial) {
        if (value.empty() || value.size() > kSerialLength ||
            !std::all_of(value.begin(), value.end(), printable_ascii)) {
            return refuse(name, value, "1 to 10 printable ASCII characters (e.g. TM20260001)");
        }
        identity.serial_number = std::string(value);
        return {};
    }
    return refuse(name, value, "one of the identification variables TAMREL_SIM_*");
}

platform::Status apply_identity_environment(Identity& identity) {
    Identity changed = identity;
    for (std::string_view name : kVariables) {
        // The names are string literals, so data() is terminated.
        const char* value = std::getenv(name.data());
        if (value == nullptr || *value == '\0') continue;
        if (Status refused = apply_identity_variable(changed, name, value); !refused) {
            return refused;
        }
    }
    identity = std::move(changed);
    return {};
}

}  // namespace tamrel::sim
