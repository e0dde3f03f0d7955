#include "wdc/sim_board.hpp"

#include <utility>

namespace wdc_sim {
namespace {

constexpr std::uint64_t console_receive = 0x4000;
constexpr std::uint64_t console_send = 0x4004;
constexpr std::uint64_t console_count = 0x4018;

}  // namespace

SimBoard::SimBoard(WD_PCI_SLOT slot, std::uint32_t design_nibble, std::string console_text)
    : slot_(slot), design_nibble_(design_nibble & 0xF), boot_text_(std::move(console_text)) {}

std::uint32_t SimBoard::config_word(std::uint32_t offset) const {
    switch (offset) {
        case 0: return (device_id << 16) | vendor_id;
        case 8: return 0xFF000000u | design_nibble_;  // class "other", revision = design
        default: return 0;
    }
}

std::uint8_t SimBoard::bus_byte(std::uint64_t offset) const {
    const auto page = bus_pages_.find(offset / page_size);
    return page == bus_pages_.end() ? 0 : (*page->second)[offset % page_size];
}

void SimBoard::set_bus_byte(std::uint64_t offset, std::uint8_t value) {
    auto& page = bus_pages_[offset / page_size];
    if (!page) page = std::make_unique<Page>(Page{});
    (*page)[offset % page_size] = value;
}

bool SimBoard::read(std::uint32_t space, std::uint64_t offset, unsigned width,
                    std::uint64_t& value) {
    value = 0;
    if (space == 0) {
        if (offset > bar0_size - width) return false;
        for (unsigned i = 0; i < width; ++i) {
            value |= static_cast<std::uint64_t>(bus_byte(offset + i)) << (8 * i);
        }
        return true;
    }
    if (space == 2) {
        if (offset > bar2_size - width) return false;
        return read_register(offset, width, value);
    }
    return false;
}

bool SimBoard::write(std::uint32_t space, std::uint64_t offset, unsigned width,
                     std::uint64_t value) {
    if (space == 0) {
        if (offset > bar0_size - width) return false;
        for (unsigned i = 0; i < width; ++i) {
            set_bus_byte(offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return true;
    }
    if (space == 2) {
        if (offset > bar2_size - width) return false;
        write_register(offset, width, value);
        return true;
    }
    return false;
}

bool SimBoard::read_register(std::uint64_t offset, unsigned width, std::uint64_t& value) {
    if (offset == console_receive && width == 1) {
        if (!console_received_.empty()) {
            value = console_received_.front();
            console_received_.pop_front();
        }
        return true;
    }
    if (offset == console_count && width == 4) {
        value = console_received_.size();
        return true;
    }
    for (unsigned i = 0; i < width; ++i) {
        const auto byte = register_bytes_.find(offset + i);
        if (byte != register_bytes_.end()) value |= static_cast<std::uint64_t>(byte->second) << (8 * i);
    }
    return true;
}

void SimBoard::write_register(std::uint64_t offset, unsigned width, std::uint64_t value) {
    if (offset == console_send && width == 1) {
        const auto ch = static_cast<std::uint8_t>(value);
        console_sent_ += static_cast<char>(ch);
        console_received_.push_back(ch);  // the board's processor echoes what it receives
        return;
    }
    if (offset == console_count && width == 4) {
        // Resetting the count discards what was waiting; the first reset is what the board's
        // processor waits for before it sends its start-up text.
        console_received_.clear();
        if (!boot_text_sent_) {
            boot_text_sent_ = true;
            for (const char ch : boot_text_) console_received_.push_back(static_cast<std::uint8_t>(ch));
        }
        return;
    }
    for (unsigned i = 0; i < width; ++i) {
        register_bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace wdc_sim
