#include "platform/serial/serial_config.hpp"

namespace platform {

std::string describe(const SerialConfig& config) {
    std::string text = std::to_string(config.baud) + " " + std::to_string(config.data_bits);
    switch (config.parity) {
        case Parity::none: text += 'N'; break;
        case Parity::even: text += 'E'; break;
        case Parity::odd: text += 'O'; break;
    }
    switch (config.stop_bits) {
        case StopBits::one: text += "1"; break;
        case StopBits::one_and_half: text += "1.5"; break;
        case StopBits::two: text += "2"; break;
    }
    text += config.flow_control == FlowControl::rts_cts ? " rts/cts" : " none";
    return text;
}

}  // namespace platform
