// Packets on the wire: command packets, acknowledgements, error reports, raw data, and the
// receive thread's framing.

#include <arpa/inet.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/net/source_filter.hpp"
#include "session_fixture.hpp"

namespace {

using namespace std::chrono_literals;

struct Received {
    std::uint32_t magic, cmd, rw, length, address;
    std::vector<std::uint8_t> payload;
    std::size_t size;
};

std::optional<Received> next_packet(platform::UdpSocket& socket, int timeout_ms = 5000) {
    std::uint8_t buffer[4096];
    auto got = socket.receive(buffer, sizeof buffer, timeout_ms);
    if (!got.ok() || got->size < 20) return std::nullopt;
    Received r{};
    std::memcpy(&r.magic, buffer, 20);
    r.payload.assign(buffer + 20, buffer + got->size);
    r.size = got->size;
    return r;
}

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

class PacketTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        ASSERT_EQ(session_->CreateUDP_Socket(), 0);
    }
};

TEST_F(PacketTest, SearchReplyGoesToTheSearchPortEvenWithoutAHost) {
    auto search_port = listen_on(platform::kHostSearchPort);
    const _TmSettingBlock_t block = session_->SettingBlock();
    session_->SendCmdData(kLoopback, TM_CMD_SEARCH, TM_RW_ACK, sizeof block, &block);
    auto packet = next_packet(*search_port);
    ASSERT_TRUE(packet.has_value());
    EXPECT_EQ(packet->magic, 0x057B51B8U);
    EXPECT_EQ(packet->cmd, 0U);
    EXPECT_EQ(packet->rw, 2U);
    EXPECT_EQ(packet->length, 216U);
    EXPECT_EQ(packet->address, 0U);
    ASSERT_EQ(packet->payload.size(), 216U);
    EXPECT_EQ(std::memcmp(packet->payload.data(), &block, 216), 0);
}

TEST_F(PacketTest, NothingButSearchRepliesLeavesWhileNoHostIsConnected) {
    auto host = listen_on(platform::kHostPort);
    session_->TmReturnAck(0, TM_CMD_PP);
    session_->TmErrorReport(6912);
    const std::uint8_t raw[2048] = {};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = kLoopback;
    to.sin_port = htons(platform::port_with_offset(platform::kHostPort));
    session_->SendRawData(&to, raw, sizeof raw, 0);
    EXPECT_FALSE(next_packet(*host, 200).has_value());
    // The same calls once connected do arrive, so the silence above was the state's doing.
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    session_->TmReturnAck(0, TM_CMD_PP);
    EXPECT_TRUE(next_packet(*host).has_value());
    // While the player-remote API is in control, the protocol is silent again.
    CTamrelComMFCTestPeer::set_api_in_control(*session_, true);
    session_->TmReturnAck(0, TM_CMD_PP);
    EXPECT_FALSE(next_packet(*host, 200).has_value());
}

TEST_F(PacketTest, CommandPayloadsUpTo1023BytesAreSentLargerOnesAsABareHeader) {
    auto host = listen_on(platform::kHostPort);
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    std::vector<std::uint8_t> payload(1024, 0xA5);
    struct Case {
        unsigned length;
        const void* data;
        std::size_t expected_size;
    };
    const Case cases[] = {{1023, payload.data(), 1043}, {1024, payload.data(), 20},
                          {16, nullptr, 20}, {0, payload.data(), 20}, {1, payload.data(), 21}};
    for (const auto& c : cases) {
        session_->SendCmdData(session_->HostAddress(), TM_CMD_SYNCDATA, TM_RW_ACK, c.length, c.data);
        auto packet = next_packet(*host);
        ASSERT_TRUE(packet.has_value()) << c.length;
        EXPECT_EQ(packet->size, c.expected_size) << c.length;
        EXPECT_EQ(packet->length, c.expected_size - 20) << c.length;
        EXPECT_EQ(packet->cmd, 51U);
    }
}

TEST_F(PacketTest, AcknowledgementsAndErrorReports) {
    auto host = listen_on(platform::kHostPort);
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    session_->TmReturnAck(0, TM_CMD_PP);
    session_->TmReturnAck(6912, TM_CMD_PLAYFILE);
    session_->TmReturnRW(TM_RW_LOG_BLOCK, TM_CMD_LOGREQUEST);
    session_->TmErrorReport(0xE001);
    struct Expect {
        std::uint32_t cmd, rw, length;
    };
    for (const Expect e : {Expect{28, 2, 0}, Expect{15, 3, 0}, Expect{57, 155, 0}, Expect{45, 1, 4}}) {
        auto packet = next_packet(*host);
        ASSERT_TRUE(packet.has_value());
        EXPECT_EQ(packet->cmd, e.cmd);
        EXPECT_EQ(packet->rw, e.rw);
        EXPECT_EQ(packet->length, e.length);
        if (e.length == 4) {
            std::uint32_t status = 0;
            std::memcpy(&status, packet->payload.data(), 4);
            EXPECT_EQ(status, 0xE001U);
        }
    }
}

TEST_F(PacketTest, RawDataStopsAtTheLimitInNumberedChunks) {
    auto host = listen_on(platform::kHostPort);
    CTamrelComMFCTestPeer::set_connected(*session_, true);
    session_->SetRawDataLimit(5000);
    std::vector<std::uint8_t> frame(122'880);
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 7);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = kLoopback;
    to.sin_port = htons(platform::port_with_offset(platform::kHostPort));
    session_->SendRawData(&to, frame.data(), static_cast<int>(frame.size()), 1);
    for (std::uint32_t chunk = 0; chunk < 5; ++chunk) {
        auto packet = next_packet(*host);
        ASSERT_TRUE(packet.has_value()) << chunk;
        EXPECT_EQ(packet->cmd, 3U);  // capture direction
        EXPECT_EQ(packet->rw, 5 + chunk);
        ASSERT_EQ(packet->length, 1024U);
        EXPECT_EQ(std::memcmp(packet->payload.data(), frame.data() + chunk * 1024, 1024), 0);
    }
    EXPECT_FALSE(next_packet(*host, 200).has_value()) << "sent past the raw-data limit";
}

TEST_F(PacketTest, KeepAliveWithTheMagicResetsTheWatchdogCounter) {
    session_->BeginThread();
    platform::UdpSocket remote;
    ASSERT_TRUE(remote.open().ok());
    session_->SetExpireCount(3);
    const std::uint32_t wrong[5] = {0x12345678, 23, 0, 0, 0};
    const std::uint32_t keep_alive[5] = {0x057B51B8, 23, 0, 0, 0xDEADBEEF};
    const auto port = platform::port_with_offset(platform::kDevicePort);
    // The receive thread binds its socket as it starts; resend until the counter moves.
    ASSERT_TRUE(remote.send_to(kLoopback, port, wrong, sizeof wrong).ok());
    bool reset = false;
    for (int i = 0; i < 100 && !reset; ++i) {
        ASSERT_TRUE(remote.send_to(kLoopback, port, keep_alive, 8).ok());  // too short: dropped
        ASSERT_TRUE(remote.send_to(kLoopback, port, keep_alive, sizeof keep_alive).ok());
        for (int w = 0; w < 50 && !reset; ++w) {
            reset = session_->GetExpireCount() == 60;
            if (!reset) std::this_thread::sleep_for(1ms);
        }
    }
    EXPECT_TRUE(reset);
}

TEST_F(PacketTest, FramingWritesTheTrueSourceAndReadsOnlyWhatArrived) {
    alignas(8) std::uint8_t buffer[2048] = {};
    const std::uint32_t header[5] = {0x057B51B8, TM_CMD_RECORD_START, 0, 0, 0xDEADBEEF};
    std::memcpy(buffer, header, sizeof header);
    const std::uint32_t source = htonl(0x7F000002);
    CTamrelComMFCTestPeer::receive(*session_, buffer, sizeof header, source);
    std::uint32_t address = 0;
    std::memcpy(&address, buffer + 16, 4);
    EXPECT_EQ(address, source);

    // A keep-alive only re-arms the watchdog; one cut short before its command is not a packet.
    session_->SetExpireCount(5);
    const std::uint32_t keep_alive[5] = {0x057B51B8, TM_CMD_KEEP_ALIVE, 0, 0, 0};
    std::memcpy(buffer, keep_alive, sizeof keep_alive);
    CTamrelComMFCTestPeer::receive(*session_, buffer, 19, source);
    EXPECT_EQ(session_->GetExpireCount(), 5U);
    CTamrelComMFCTestPeer::receive(*session_, buffer, sizeof keep_alive, source);
    EXPECT_EQ(session_->GetExpireCount(), 60U);
    std::memcpy(&address, buffer + 16, 4);
    EXPECT_EQ(address, 0U);  // a keep-alive is not handed on, so its address is left alone
    EXPECT_EQ(session_->CommandQueueLength(), 0U);  // "record 1" before a host attached: refused
}

TEST_F(PacketTest, PacketsFromOutsideTheAllowedNetworksAreNotHeard) {
    auto only = platform::parse_ipv4_networks("127.0.0.2");
    ASSERT_TRUE(only.ok());
    platform::set_allowed_sources(*only);
    session_->BeginThread();
    session_->SetExpireCount(3);
    platform::UdpSocket outsider;
    platform::UdpSocket allowed;
    ASSERT_TRUE(outsider.open().ok());
    ASSERT_TRUE(outsider.bind("127.0.0.1", 0).ok());
    ASSERT_TRUE(allowed.open().ok());
    ASSERT_TRUE(allowed.bind("127.0.0.2", 0).ok());
    const std::uint32_t search[5] = {0x057B51B8, TM_CMD_SEARCH, 0, 0, 0};
    const std::uint32_t keep_alive[5] = {0x057B51B8, TM_CMD_KEEP_ALIVE, 0, 0, 0};
    const auto port = platform::port_with_offset(platform::kDevicePort);
    // Datagrams are handled in the order they arrive: once the allowed keep-alive has been
    // heard, the outsider's search before it has been seen and dropped.
    bool heard = false;
    for (int i = 0; i < 100 && !heard; ++i) {
        ASSERT_TRUE(outsider.send_to(kLoopback, port, search, sizeof search).ok());
        ASSERT_TRUE(allowed.send_to(kLoopback, port, keep_alive, sizeof keep_alive).ok());
        for (int w = 0; w < 50 && !heard; ++w) {
            heard = session_->GetExpireCount() == 60;
            if (!heard) std::this_thread::sleep_for(1ms);
        }
    }
    EXPECT_TRUE(heard);
    EXPECT_EQ(session_->SearchRequesterAddress(), 0U) << "the outsider's search was translated";
    platform::set_allowed_sources({});
}

}  // namespace
