#pragma once
// One simulated FPGA board on the PCIe bus.
//
// Address space 0 is the board's internal bus, one to one: board memory from 0x10000000 (held in
// pages allocated on first touch, reading 0 before), everything else of the window reads back
// what was written. Address space 2 is the register window: registers read back what was
// written, except the board console (0x4000 next received character, 0x4004 character to send,
// 0x4018 count of received characters). The board's processor answers the console by echoing
// each character it receives, and sends its start-up text once the host has reset the console
// count.
//
// Thread-safety: not thread-safe; the simulated bus (sim_bus.hpp) serialises all calls.

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>

#include "wdc/wdc_lib.hpp"

namespace wdc_sim {

constexpr std::uint64_t bar0_size = 0x20000000;
constexpr std::uint64_t bar2_size = 0x8000000;
constexpr std::uint32_t vendor_id = 0x1172;
constexpr std::uint32_t device_id = 0xE001;

class SimBoard {
public:
    SimBoard(WD_PCI_SLOT slot, std::uint32_t design_nibble, std::string console_text);

    const WD_PCI_SLOT& slot() const { return slot_; }
    std::uint32_t config_word(std::uint32_t offset) const;

    // Accesses of `width` bytes (1, 4 or 8); false when outside the address space.
    bool read(std::uint32_t space, std::uint64_t offset, unsigned width, std::uint64_t& value);
    bool write(std::uint32_t space, std::uint64_t offset, unsigned width, std::uint64_t value);

    // What the host has sent on the board console since the start.
    const std::string& console_sent() const { return console_sent_; }

private:
    static constexpr std::uint64_t page_size = 0x10000;
    using Page = std::array<std::uint8_t, page_size>;

    std::uint8_t bus_byte(std::uint64_t offset) const;
    void set_bus_byte(std::uint64_t offset, std::uint8_t value);
    bool read_register(std::uint64_t offset, unsigned width, std::uint64_t& value);
    void write_register(std::uint64_t offset, unsigned width, std::uint64_t value);

    WD_PCI_SLOT slot_;
    std::uint32_t design_nibble_;
    std::string boot_text_;
    bool boot_text_sent_ = false;
    std::unordered_map<std::uint64_t, std::unique_ptr<Page>> bus_pages_;
    std::unordered_map<std::uint64_t, std::uint8_t> register_bytes_;
    std::deque<std::uint8_t> console_received_;
    std::string console_sent_;
};

}  // namespace wdc_sim
