#pragma once
// Line settings of a serial port.

#include <string>

namespace platform {

enum class Parity { none, even, odd };

// termios knows one and two stop bits only; one_and_half is applied as two (what UARTs do for
// 5-bit characters anyway) and reads back as two.
enum class StopBits { one, one_and_half, two };

enum class FlowControl {
    none,     // no handshake lines, no XON/XOFF
    rts_cts,  // hardware handshake: send only while CTS is raised, RTS follows the input buffer
};

struct SerialConfig {
    unsigned baud = 9600;     // any rate; the driver decides which it can generate
    Parity parity = Parity::none;
    unsigned data_bits = 8;   // 5 to 8
    StopBits stop_bits = StopBits::one;
    FlowControl flow_control = FlowControl::none;

    bool operator==(const SerialConfig&) const = default;
};

// "9600 8N1 none", for messages and test output.
std::string describe(const SerialConfig& config);

}  // namespace platform
