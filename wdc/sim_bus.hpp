#pragma once
// The simulated PCIe bus behind the WDC_ operations: the boards it holds and the devices
// opened on them. Built from the WDC_SIM_ environment variables when the library is opened,
// unless a test has configured it before.
//
// Thread-safety: every member takes the bus lock; callable from any thread.

#include <memory>
#include <mutex>
#include <vector>

#include "wdc/sim_board.hpp"
#include "wdc/sim_settings.hpp"

namespace wdc_sim {

// A device opened with WDC_PciDeviceOpen; the WDC device handle points to one.
struct SimDevice {
    std::size_t board = 0;
    void* context = nullptr;
    WD_PCI_CARD_INFO info{};
    bool interrupts_enabled = false;
};

class SimBus {
public:
    static SimBus& instance();

    // Replaces the boards by those `settings` describe (open devices must be closed first).
    void configure(const SimSettings& settings);
    // Configures from the environment unless configure() was called before.
    void configure_once_from_environment();

    std::size_t board_count();
    bool find_board(const WD_PCI_SLOT& slot, std::size_t& index);
    WD_PCI_SLOT slot_of(std::size_t index);
    // The resources of board `index`.
    WD_CARD card_of(std::size_t index);
    std::uint32_t config_word(std::size_t index, std::uint32_t offset);
    bool read(std::size_t index, std::uint32_t space, std::uint64_t offset, unsigned width,
              std::uint64_t& value);
    bool write(std::size_t index, std::uint32_t space, std::uint64_t offset, unsigned width,
               std::uint64_t value);
    std::string console_sent(std::size_t index);

private:
    std::mutex lock_;
    bool configured_ = false;
    SimSettings settings_;
    std::vector<std::unique_ptr<SimBoard>> boards_;
};

}  // namespace wdc_sim
