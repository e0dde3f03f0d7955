#include "tamrelapi/status.hpp"

#include <array>
#include <charconv>

namespace tamrel::api {

const char* status_name(unsigned status) {
    switch (status) {
        case status_ok: return "ok";
        case status_no_device: return "no device";
        case status_not_open: return "device not open";
        case status_invalid_argument: return "invalid argument";
        case status_wrong_generation: return "not available on this generation";
        case status_timeout: return "timed out";
        case status_device_error: return "device error";
        case status_play_not_started: return "play not started";
        default: return "unknown";
    }
}

std::string describe_status(unsigned status) {
    std::array<char, 16> digits{};
    auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), status, 16);
    (void)ec;  // 16 characters always hold an unsigned in hex
    std::string text = status == 0 ? "0" : "0x";
    if (status != 0) {
        for (const char* p = digits.data(); p != end; ++p) {
            text.push_back(*p >= 'a' ? static_cast<char>(*p - 'a' + 'A') : *p);
        }
    }
    text += " (";
    text += status_name(status);
    text += ")";
    return text;
}

}  // namespace tamrel::api
