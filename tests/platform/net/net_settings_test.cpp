#include "platform/net/ipv4_address.hpp"
#include "platform/net/net_settings.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cstdint>

namespace {

using platform::Errc;

class NetSettings : public ::testing::Test {
protected:
    void TearDown() override { platform::reset_net_settings(); }
};

TEST_F(NetSettings, DefaultsAreTheWellKnownPortsAndAnyAddress) {
    EXPECT_EQ(platform::port_offset(), 0);
    EXPECT_EQ(platform::port_with_offset(platform::kPlayerApiPort), 50504);
    EXPECT_EQ(platform::port_with_offset(platform::kDevicePort), 50505);
    EXPECT_EQ(platform::port_with_offset(platform::kHostSearchPort), 50506);
    EXPECT_EQ(platform::port_with_offset(platform::kHostPort), 50507);
    EXPECT_EQ(platform::bind_address(), platform::kAnyAddress);
}

TEST_F(NetSettings, OffsetIsAcceptedOnlyWhileEveryWellKnownPortStaysInRange) {
    struct Case {
        int offset;
        bool accepted;
    };
    const Case cases[] = {
        {100, true},     {-50503, true},  // lowest: 50504 becomes 1
        {15028, true},                    // highest: 50507 becomes 65535
        {-50504, false}, {15029, false},  {-60000, false}, {70000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        ASSERT_TRUE(platform::set_port_offset(7).ok());
        const auto status = platform::set_port_offset(c.offset);
        EXPECT_EQ(status.ok(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(platform::port_offset(), c.offset);
            EXPECT_EQ(int{platform::port_with_offset(platform::kPlayerApiPort)}, 50504 + c.offset);
            EXPECT_EQ(int{platform::port_with_offset(platform::kHostPort)}, 50507 + c.offset);
        } else {
            EXPECT_EQ(status.code(), Errc::invalid_argument);
            EXPECT_EQ(platform::port_offset(), 7);
        }
    }
}

TEST_F(NetSettings, OffsetAppliesToOtherPortsOnlyWhereItFits) {
    ASSERT_TRUE(platform::set_port_offset(10000).ok());
    EXPECT_EQ(platform::port_with_offset(1000), 11000);
    EXPECT_EQ(platform::port_with_offset(60000), 60000);
}

TEST_F(NetSettings, BindAddressTakesDottedTextAndKeepsItsValueOnBadText) {
    ASSERT_TRUE(platform::set_bind_address("127.0.0.1").ok());
    EXPECT_EQ(platform::bind_address(), platform::kLoopbackAddress);
    EXPECT_EQ(platform::set_bind_address("127.0.0.300").code(), Errc::invalid_argument);
    EXPECT_EQ(platform::bind_address(), platform::kLoopbackAddress);
    platform::set_bind_address(platform::ipv4_address(10, 1, 2, 3));
    EXPECT_EQ(platform::format_ipv4(platform::bind_address()), "10.1.2.3");
}

TEST(Ipv4Address, ConstantsAndTextAgreeWithTheSocketLibrary) {
    EXPECT_EQ(platform::kLoopbackAddress, ::inet_addr("127.0.0.1"));
    EXPECT_EQ(platform::ipv4_address(192, 168, 1, 200), ::inet_addr("192.168.1.200"));
    struct Case {
        const char* text;
        std::uint32_t address;
    };
    const Case cases[] = {{"0.0.0.0", 0},
                          {"255.255.255.255", 0xFFFFFFFFu},
                          {"10.20.30.40", platform::ipv4_address(10, 20, 30, 40)}};
    for (const auto& c : cases) {
        const auto parsed = platform::parse_ipv4(c.text);
        ASSERT_TRUE(parsed.ok()) << c.text;
        EXPECT_EQ(*parsed, c.address) << c.text;
        EXPECT_EQ(platform::format_ipv4(c.address), c.text);
    }
}

TEST(Ipv4Address, RefusesEverythingButFourDecimalParts) {
    using namespace std::string_view_literals;
    for (const auto text : {""sv, "1.2.3"sv, "1.2.3.4.5"sv, "0x7f.0.0.1"sv, "127.1"sv, " 1.2.3.4"sv,
                            "1.2.3.4\0junk"sv, "a.b.c.d"sv}) {
        EXPECT_EQ(platform::parse_ipv4(text).status().code(), Errc::invalid_argument) << text;
    }
}

}  // namespace
