#pragma once
// Process network settings: the well-known UDP ports, a port offset added to all of them, and
// the local address sockets bind to. The host sets them before the session starts (several
// instances, such as parallel tests, then use disjoint ports); every thread may read them.
// They are atomics: a change while sockets are in use affects only sockets bound afterwards.

#include "platform/status.hpp"

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr std::uint16_t kPlayerApiPort = 50504;   // device side: player-remote API socket
inline constexpr std::uint16_t kDevicePort = 50505;      // device side: main socket
inline constexpr std::uint16_t kHostSearchPort = 50506;  // host side: replies to a search
inline constexpr std::uint16_t kHostPort = 50507;        // host side: default for everything else

// Fails with Errc::invalid_argument, leaving the offset as it was, unless every well-known port
// plus the offset stays within 1..65535.
Status set_port_offset(int offset);
int port_offset();

// base + the offset. The offset is validated against the well-known ports only; for another base
// whose sum would leave 1..65535 the base itself is returned.
std::uint16_t port_with_offset(std::uint16_t base);

// Address (network byte order) sockets bind to; kAnyAddress by default.
void set_bind_address(std::uint32_t address_be);
// Dotted-quad text; on failure the address is left as it was.
Status set_bind_address(std::string_view text);
std::uint32_t bind_address();

// Back to offset 0 and any address (for tests and for a host that starts a new session).
void reset_net_settings();

}  // namespace platform
