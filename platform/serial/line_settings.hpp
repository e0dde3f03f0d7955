#pragma once
// How a SerialConfig maps onto termios flags, both ways. Kept apart from the port so the mapping
// can be checked without a device. The speed is not part of it: see line_speed.hpp.

#include "platform/serial/serial_config.hpp"
#include "platform/status.hpp"

#include <optional>

struct termios;

namespace platform::serial_detail {

// Errc::invalid_argument for a rate of 0 (which means "hang up" to termios) or data bits
// outside 5..8.
Status check_config(const SerialConfig& config);

// Raw binary mode (no echo, no line editing, no character translation, no signals, reads
// return what has arrived) plus the character format and handshake of `config`. Parity
// checking is on whenever parity is. Leaves the speed bits alone.
void apply_line_settings(termios& settings, const SerialConfig& config);

// The character format and handshake held in `settings`; baud is left 0.
SerialConfig line_settings_from(const termios& settings);

// The termios speed constant (B9600, ...) of a rate termios names, if it names it.
std::optional<unsigned> standard_speed_code(unsigned baud);

}  // namespace platform::serial_detail
