#pragma once
// The sources the session accepts packets from: every address by default, or, once a list is
// set, only addresses inside one of its networks ("192.168.1.20", "10.0.0.0/8"). The host sets
// it from its --allow option before the session starts; the receive threads consult it for
// every datagram, before anything of the datagram is read.
//
// Thread-safety: every function may be called from any thread; a change takes effect for the
// datagrams checked after it.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/status.hpp"

namespace platform {

struct Ipv4Network {
    std::uint32_t address_be = 0;  // network byte order, host bits zero
    unsigned prefix = 32;          // 0..32

    bool contains(std::uint32_t candidate_be) const;
    friend bool operator==(const Ipv4Network&, const Ipv4Network&) = default;
};

// "a.b.c.d" (a /32) or "a.b.c.d/n" with n 0..32; host bits must be zero ("10.1.0.0/16", not
// "10.1.2.3/16"), so a typing slip is not quietly widened. Errc::invalid_argument otherwise.
Result<Ipv4Network> parse_ipv4_network(std::string_view text);

// A comma-separated list of networks; all of them or, on the first bad one, an error naming it.
Result<std::vector<Ipv4Network>> parse_ipv4_networks(std::string_view text);

// Only these networks from now on; an empty list accepts every source again.
void set_allowed_sources(std::vector<Ipv4Network> networks);
std::vector<Ipv4Network> allowed_sources();
bool source_allowed(std::uint32_t address_be);

}  // namespace platform
