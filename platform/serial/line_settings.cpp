#include "platform/serial/line_settings.hpp"

#include <termios.h>

#include <iterator>
#include <string>

namespace platform::serial_detail {

namespace {

struct StandardRate {
    unsigned baud;
    speed_t code;
};

constexpr StandardRate kStandardRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t size_flag(unsigned data_bits) {
    switch (data_bits) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

}  // namespace

Status check_config(const SerialConfig& config) {
    if (config.baud == 0) return Status(Errc::invalid_argument, "serial rate 0");
    if (config.data_bits < 5 || config.data_bits > 8) {
        return Status(Errc::invalid_argument, std::to_string(config.data_bits) + " data bits");
    }
    return ok_status();
}

void apply_line_settings(termios& settings, const SerialConfig& config) {
    settings.c_iflag &= ~tcflag_t{IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                  IXOFF | IXANY | INPCK | IUCLC | IMAXBEL};
    // Bytes with a parity error are still delivered (IGNPAR off, PARMRK off): the readers
    // scan text for sentence markers and cope with a damaged byte better than with a gap.
    settings.c_iflag &= ~tcflag_t{IGNPAR};
    if (config.parity != Parity::none) settings.c_iflag |= INPCK;
    settings.c_oflag &= ~tcflag_t{OPOST};
    settings.c_lflag &= ~tcflag_t{ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN};

    // The input speed follows the output speed (CIBAUD 0), so one rate governs both.
    settings.c_cflag &= ~tcflag_t{CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CIBAUD};
    // CLOCAL: the port is usable without a carrier; the peripherals here never raise DCD.
    settings.c_cflag |= CREAD | CLOCAL | size_flag(config.data_bits);
    if (config.parity != Parity::none) settings.c_cflag |= PARENB;
    if (config.parity == Parity::odd) settings.c_cflag |= PARODD;
    if (config.stop_bits != StopBits::one) settings.c_cflag |= CSTOPB;
    if (config.flow_control == FlowControl::rts_cts) settings.c_cflag |= CRTSCTS;

    // Reads return at once with whatever has arrived; waiting is done with poll().
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

SerialConfig line_settings_from(const termios& settings) {
    SerialConfig config;
    config.baud = 0;
    switch (settings.c_cflag & CSIZE) {
        case CS5: config.data_bits = 5; break;
        case CS6: config.data_bits = 6; break;
        case CS7: config.data_bits = 7; break;
        default: config.data_bits = 8; break;
    }
    if ((settings.c_cflag & PARENB) != 0) {
        config.parity = (settings.c_cflag & PARODD) != 0 ? Parity::odd : Parity::even;
    } else {
        config.parity = Parity::none;
    }
    config.stop_bits = (settings.c_cflag & CSTOPB) != 0 ? StopBits::two : StopBits::one;
    config.flow_control = (settings.c_cflag & CRTSCTS) != 0 ? FlowControl::rts_cts : FlowControl::none;
    return config;
}

std::optional<unsigned> standard_speed_code(unsigned baud) {
    for (const auto& rate : kStandardRates) {
        if (rate.baud == baud) return unsigned{rate.code};
    }
    return std::nullopt;
}

}  // namespace platform::serial_detail
