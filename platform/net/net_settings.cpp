#include "platform/net/net_settings.hpp"

#include "platform/net/ipv4_address.hpp"

#include <algorithm>
#include <atomic>
#include <string>

namespace platform {

namespace {

constexpr int kLowestPort = 1;
constexpr int kHighestPort = 65535;
constexpr int kLowestWellKnown = std::min({kPlayerApiPort, kDevicePort, kHostSearchPort, kHostPort});
constexpr int kHighestWellKnown = std::max({kPlayerApiPort, kDevicePort, kHostSearchPort, kHostPort});

std::atomic<int> g_port_offset{0};
std::atomic<std::uint32_t> g_bind_address{kAnyAddress};

}  // namespace

Status set_port_offset(int offset) {
    if (offset < kLowestPort - kLowestWellKnown || offset > kHighestPort - kHighestWellKnown) {
        return Status(Errc::invalid_argument,
                      "port offset " + std::to_string(offset) + " moves the UDP ports outside 1..65535");
    }
    g_port_offset.store(offset);
    return ok_status();
}

int port_offset() { return g_port_offset.load(); }

std::uint16_t port_with_offset(std::uint16_t base) {
    const int port = int{base} + g_port_offset.load();
    if (port < kLowestPort || port > kHighestPort) return base;
    return static_cast<std::uint16_t>(port);
}

void set_bind_address(std::uint32_t address_be) { g_bind_address.store(address_be); }

Status set_bind_address(std::string_view text) {
    const auto address = parse_ipv4(text);
    if (!address) return address.status();
    g_bind_address.store(*address);
    return ok_status();
}

std::uint32_t bind_address() { return g_bind_address.load(); }

void reset_net_settings() {
    g_port_offset.store(0);
    g_bind_address.store(kAnyAddress);
}

}  // namespace platform
