// The --allow networks: what parses, what each network contains, and the process-wide filter.

#include <gtest/gtest.h>

#include "platform/net/ipv4_address.hpp"
#include "platform/net/source_filter.hpp"

namespace {

using platform::ipv4_address;

TEST(SourceFilter, NetworksParseOrAreRefusedWithTheirText) {
    struct Case {
        const char* text;
        bool ok;
        unsigned prefix;
    };
    const Case cases[] = {
        {"192.168.1.20", true, 32}, {"10.0.0.0/8", true, 8},   {"0.0.0.0/0", true, 0},
        {"10.1.2.3/32", true, 32},  {"10.1.2.3/16", false, 0}, {"10.0.0.0/33", false, 0},
        {"10.0.0.0/", false, 0},    {"10.0.0.0/x", false, 0},  {"10.0.0/8", false, 0},
        {"", false, 0},             {"host.example", false, 0}, {"10.0.0.0/8 ", false, 0},
    };
    for (const Case& c : cases) {
        auto network = platform::parse_ipv4_network(c.text);
        EXPECT_EQ(network.ok(), c.ok) << c.text;
        if (network.ok()) {
            EXPECT_EQ(network->prefix, c.prefix) << c.text;
        } else {
            EXPECT_NE(network.status().describe().find(c.text), std::string::npos) << c.text;
        }
    }
}

TEST(SourceFilter, ANetworkContainsExactlyItsAddresses) {
    auto network = platform::parse_ipv4_network("192.168.4.0/22");
    ASSERT_TRUE(network.ok());
    EXPECT_TRUE(network->contains(ipv4_address(192, 168, 4, 0)));
    EXPECT_TRUE(network->contains(ipv4_address(192, 168, 7, 255)));
    EXPECT_FALSE(network->contains(ipv4_address(192, 168, 8, 0)));
    EXPECT_FALSE(network->contains(ipv4_address(192, 168, 3, 255)));
    auto everything = platform::parse_ipv4_network("0.0.0.0/0");
    ASSERT_TRUE(everything.ok());
    EXPECT_TRUE(everything->contains(ipv4_address(8, 8, 8, 8)));
}

TEST(SourceFilter, AListAcceptsItsNetworksOnlyAndAnEmptyListEverything) {
    EXPECT_TRUE(platform::source_allowed(ipv4_address(203, 0, 113, 9)));
    auto list = platform::parse_ipv4_networks("127.0.0.1,10.0.0.0/8");
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list->size(), 2U);
    platform::set_allowed_sources(*list);
    EXPECT_TRUE(platform::source_allowed(ipv4_address(127, 0, 0, 1)));
    EXPECT_TRUE(platform::source_allowed(ipv4_address(10, 200, 3, 4)));
    EXPECT_FALSE(platform::source_allowed(ipv4_address(127, 0, 0, 2)));
    EXPECT_FALSE(platform::source_allowed(ipv4_address(11, 0, 0, 1)));
    platform::set_allowed_sources({});
    EXPECT_TRUE(platform::source_allowed(ipv4_address(11, 0, 0, 1)));
    EXPECT_FALSE(platform::parse_ipv4_networks("10.0.0.0/8,,").ok());
    EXPECT_FALSE(platform::parse_ipv4_networks("10.0.0.0/8,bad").ok());
}

}  // namespace
