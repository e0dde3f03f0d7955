#include "tamrelapi/sim/arguments.hpp"

#include <array>
#include <cctype>
#include <charconv>

namespace tamrel::sim {

std::string hex(unsigned value) {
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16);
    std::string text = "0x";
    for (const char* p = digits.data(); p != result.ptr; ++p) {
        text.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*p))));
    }
    return text;
}

std::string arg(std::string_view name, long long value) {
    std::string text(name);
    text += '=';
    text += std::to_string(value);
    return text;
}

std::string arg_hex(std::string_view name, unsigned value) {
    std::string text(name);
    text += '=';
    text += hex(value);
    return text;
}

}  // namespace tamrel::sim
