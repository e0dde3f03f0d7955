#include "platform/net/source_filter.hpp"

#include <arpa/inet.h>

#include <charconv>
#include <mutex>
#include <string>

#include "platform/net/ipv4_address.hpp"

namespace platform {

namespace {

std::mutex g_mutex;
std::vector<Ipv4Network> g_allowed;  // empty: every source

std::uint32_t mask_of(unsigned prefix) {
    const std::uint32_t host_order = prefix == 0 ? 0U : ~std::uint32_t{0} << (32 - prefix);
    return htonl(host_order);
}

Status bad(std::string_view text, const char* why) {
    return Status(Errc::invalid_argument, "\"" + std::string(text) + "\": " + why);
}

}  // namespace

bool Ipv4Network::contains(std::uint32_t candidate_be) const {
    return (candidate_be & mask_of(prefix)) == address_be;
}

Result<Ipv4Network> parse_ipv4_network(std::string_view text) {
    const std::size_t slash = text.find('/');
    auto address = parse_ipv4(text.substr(0, slash));
    if (!address) return bad(text, "not an IPv4 address (a.b.c.d or a.b.c.d/n)");
    Ipv4Network network{*address, 32};
    if (slash != std::string_view::npos) {
        const std::string_view digits = text.substr(slash + 1);
        unsigned prefix = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || prefix > 32) {
            return bad(text, "the prefix length must be 0 to 32");
        }
        network.prefix = prefix;
    }
    if ((network.address_be & ~mask_of(network.prefix)) != 0) {
        return bad(text, "host bits are set below the prefix length");
    }
    return network;
}

Result<std::vector<Ipv4Network>> parse_ipv4_networks(std::string_view text) {
    std::vector<Ipv4Network> networks;
    while (true) {
        const std::size_t comma = text.find(',');
        auto network = parse_ipv4_network(text.substr(0, comma));
        if (!network) return network.status();
        networks.push_back(*network);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return networks;
}

void set_allowed_sources(std::vector<Ipv4Network> networks) {
    std::lock_guard lock(g_mutex);
    g_allowed = std::move(networks);
}

std::vector<Ipv4Network> allowed_sources() {
    std::lock_guard lock(g_mutex);
    return g_allowed;
}

bool source_allowed(std::uint32_t address_be) {
    std::lock_guard lock(g_mutex);
    if (g_allowed.empty()) return true;
    for (const Ipv4Network& network : g_allowed) {
        if (network.contains(address_be)) return true;
    }
    return false;
}

}  // namespace platform
