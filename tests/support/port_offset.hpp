#pragma once
// Tests run in parallel processes; each session under test needs four UDP ports of its own.

#include <unistd.h>

#include <cstdint>

#include "platform/net/net_settings.hpp"
#include "platform/net/udp_socket.hpp"

// Picks a port offset whose four ports are free now (tests run in parallel processes).
inline int pick_port_offset() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int offset = 200 + ((static_cast<int>(::getpid()) + attempt * 7) % 3000) * 4;
        bool all_free = true;
        for (std::uint16_t base : {platform::kPlayerApiPort, platform::kDevicePort,
                                   platform::kHostSearchPort, platform::kHostPort}) {
            platform::UdpSocket probe;
            if (!probe.open().ok() ||
                !probe.bind("127.0.0.1", static_cast<std::uint16_t>(base + offset)).ok()) {
                all_free = false;
                break;
            }
        }
        if (all_free) return offset;
    }
    return 0;
}
