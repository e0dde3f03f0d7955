#pragma once
// What the instrument says it is: versions, module identifiers, serial number and the library's
// version text. Versions and identifiers are four bytes, shown high byte first ("2.1.1.2" is
// 0x02010102).

#include <string>

#include "tamrelapi/device_select.hpp"

namespace tamrel::sim {

struct Identity {
    // First generation: register 0x8008 of address space 1. Second: Tm2GetDspFpgaVer.
    unsigned fpga_version = 0;
    // Second generation. Bits 16-23 are the hardware variant, 1 to 3.
    unsigned pump_fpga_version = 0;
    unsigned dsp_nios_version = 0;  // second generation
    unsigned pcb_version = 0;       // GetHWPCBVer / Tm2GetHWPCBVer
    unsigned attenuator_id = 0;     // play module: PlayGetAttenID / Tm2GetAttenuatorID
    unsigned down_converter_id = 0; // capture module: CaptureGetDCID / Tm2GetDownConvID
    unsigned up_converter_id = 0;   // second generation: Tm2GetUpConvID
    std::string serial_number;      // ASCII, 10 characters on a real board
    std::u16string library_version; // GetDllVerUniCode

    friend bool operator==(const Identity&, const Identity&) = default;
};

constexpr unsigned make_version(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (a & 0xFFU) << 24 | (b & 0xFFU) << 16 | (c & 0xFFU) << 8 | (d & 0xFFU);
}

// The identification of a freshly started board of that kind (for none, that of the second
// generation, which nobody can read).
Identity default_identity(api::DeviceKind kind);

}  // namespace tamrel::sim
