#pragma once
// IPv4 addresses as the system keeps them: a u32 in network byte order (the bytes of a.b.c.d in
// memory order), as it arrives in a sockaddr_in and travels in packet headers.

#include "platform/status.hpp"

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

constexpr std::uint32_t ipv4_address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint32_t in_reading_order = (std::uint32_t{a} << 24) | (std::uint32_t{b} << 16) |
                                           (std::uint32_t{c} << 8) | std::uint32_t{d};
    if constexpr (std::endian::native == std::endian::big) {
        return in_reading_order;
    } else {
        return ((in_reading_order & 0xFF000000u) >> 24) | ((in_reading_order & 0x00FF0000u) >> 8) |
               ((in_reading_order & 0x0000FF00u) << 8) | ((in_reading_order & 0x000000FFu) << 24);
    }
}

inline constexpr std::uint32_t kAnyAddress = 0;
inline constexpr std::uint32_t kLoopbackAddress = ipv4_address(127, 0, 0, 1);

// Dotted-quad text ("192.168.0.10") to an address; anything else is Errc::invalid_argument.
Result<std::uint32_t> parse_ipv4(std::string_view text);

// The dotted-quad text of an address.
std::string format_ipv4(std::uint32_t address_be);

}  // namespace platform
