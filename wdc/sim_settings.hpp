#pragma once
// What the simulated PCIe bus holds: how many boards, the design they carry, their interrupt
// and the text their processor sends on the board console. Read from the environment so a
// test can start boarddiag against any such bus.

#include <cstdint>
#include <string>

namespace wdc_sim {

struct SimSettings {
    std::uint32_t board_count = 1;        // WDC_SIM_BOARDS, 0 to 100
    std::uint32_t design_nibble = 9;      // WDC_SIM_DESIGN, low nibble of the revision ID
    std::uint32_t irq = 16;               // WDC_SIM_IRQ
    std::uint32_t interrupt_options = 0x10;  // WDC_SIM_INT_OPTIONS (hex); "none": no interrupt
    bool has_interrupt = true;
    std::string console_text;             // WDC_SIM_CONSOLE, with \n \r \t \\ escapes
};

// The settings named by the WDC_SIM_ environment variables; unset or unparsable ones keep
// their defaults.
SimSettings settings_from_environment();

// Replaces the escapes \n, \r, \t and \\ by the characters they stand for.
std::string unescape(const std::string& text);

}  // namespace wdc_sim
