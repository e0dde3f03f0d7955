#include "wdc/sim_bus.hpp"

namespace wdc_sim {

SimBus& SimBus::instance() {
    static SimBus bus;
    return bus;
}

void SimBus::configure(const SimSettings& settings) {
    std::lock_guard guard(lock_);
    configured_ = true;
    settings_ = settings;
    boards_.clear();
    for (std::uint32_t i = 0; i < settings.board_count && i < WD_PCI_CARDS; ++i) {
        // Boards sit on consecutive buses, slot 0, function 0.
        boards_.push_back(std::make_unique<SimBoard>(WD_PCI_SLOT{i + 1, 0, 0},
                                                     settings.design_nibble,
                                                     settings.console_text));
    }
}

void SimBus::configure_once_from_environment() {
    {
        std::lock_guard guard(lock_);
        if (configured_) return;
    }
    configure(settings_from_environment());
}

std::size_t SimBus::board_count() {
    std::lock_guard guard(lock_);
    return boards_.size();
}

bool SimBus::find_board(const WD_PCI_SLOT& slot, std::size_t& index) {
    std::lock_guard guard(lock_);
    for (std::size_t i = 0; i < boards_.size(); ++i) {
        const WD_PCI_SLOT& s = boards_[i]->slot();
        if (s.dwBus == slot.dwBus && s.dwSlot == slot.dwSlot && s.dwFunction == slot.dwFunction) {
            index = i;
            return true;
        }
    }
    return false;
}

WD_PCI_SLOT SimBus::slot_of(std::size_t index) {
    std::lock_guard guard(lock_);
    return index < boards_.size() ? boards_[index]->slot() : WD_PCI_SLOT{};
}

WD_CARD SimBus::card_of(std::size_t index) {
    std::lock_guard guard(lock_);
    WD_CARD card{};
    if (index >= boards_.size()) return card;
    if (settings_.has_interrupt) {
        WD_ITEMS& irq = card.Item[card.dwItems++];
        irq.item = ITEM_INTERRUPT;
        irq.Int.dwInterrupt = settings_.irq;
        irq.Int.dwOptions = settings_.interrupt_options;
    }
    // Each board gets its own 1 GB of the memory map for its two windows.
    const UINT64 base = 0xC0000000ull + 0x40000000ull * index;
    WD_ITEMS& bar0 = card.Item[card.dwItems++];
    bar0.item = ITEM_MEMORY;
    bar0.Mem = {base, bar0_size, 0};
    WD_ITEMS& bar2 = card.Item[card.dwItems++];
    bar2.item = ITEM_MEMORY;
    bar2.Mem = {base + bar0_size, bar2_size, 2};
    WD_ITEMS& bus = card.Item[card.dwItems++];
    bus.item = ITEM_BUS;
    return card;
}

std::uint32_t SimBus::config_word(std::size_t index, std::uint32_t offset) {
    std::lock_guard guard(lock_);
    return index < boards_.size() ? boards_[index]->config_word(offset) : 0xFFFFFFFF;
}

bool SimBus::read(std::size_t index, std::uint32_t space, std::uint64_t offset, unsigned width,
                  std::uint64_t& value) {
    std::lock_guard guard(lock_);
    value = 0;
    return index < boards_.size() && boards_[index]->read(space, offset, width, value);
}

bool SimBus::write(std::size_t index, std::uint32_t space, std::uint64_t offset, unsigned width,
                   std::uint64_t value) {
    std::lock_guard guard(lock_);
    return index < boards_.size() && boards_[index]->write(space, offset, width, value);
}

std::string SimBus::console_sent(std::size_t index) {
    std::lock_guard guard(lock_);
    return index < boards_.size() ? boards_[index]->console_sent() : std::string();
}

}  // namespace wdc_sim
