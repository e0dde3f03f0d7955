#include "wdc/sim_settings.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace wdc_sim {
namespace {

bool parse_number(const char* text, int base, std::uint32_t max, std::uint32_t& out) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, base);
    if (errno != 0 || end == text || *end != '\0' || value > max) return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            default: out += next; break;
        }
    }
    return out;
}

SimSettings settings_from_environment() {
    SimSettings settings;
    std::uint32_t value = 0;
    if (parse_number(std::getenv("WDC_SIM_BOARDS"), 10, 100, value)) settings.board_count = value;
    if (parse_number(std::getenv("WDC_SIM_DESIGN"), 16, 0xF, value)) settings.design_nibble = value;
    if (parse_number(std::getenv("WDC_SIM_IRQ"), 10, 255, value)) settings.irq = value;
    const char* options = std::getenv("WDC_SIM_INT_OPTIONS");
    if (options != nullptr && std::strcmp(options, "none") == 0) {
        settings.has_interrupt = false;
    } else if (parse_number(options, 16, 0xFFFFFFFF, value)) {
        settings.interrupt_options = value;
    }
    if (const char* text = std::getenv("WDC_SIM_CONSOLE")) settings.console_text = unescape(text);
    return settings;
}

}  // namespace wdc_sim
