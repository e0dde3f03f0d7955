#include "platform/net/ipv4_address.hpp"
#include "platform/net/udp_socket.hpp"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <future>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

using platform::Datagram;
using platform::Errc;
using platform::kLoopbackAddress;
using platform::UdpSocket;
using namespace std::chrono_literals;

constexpr int kWaitMs = 5000;

// A socket open and bound to an ephemeral loopback port.
struct BoundSocket {
    BoundSocket() {
        EXPECT_TRUE(socket.open().ok());
        EXPECT_TRUE(socket.bind(kLoopbackAddress, 0).ok());
        const auto bound = socket.local_port();
        EXPECT_TRUE(bound.ok()) << bound.status().describe();
        port = bound.ok() ? *bound : 0;
    }
    UdpSocket socket;
    std::uint16_t port = 0;
};

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

TEST(UdpSocket, DeliversDatagramsOfEverySizeWithTheirSource) {
    BoundSocket receiver;
    BoundSocket sender;
    std::vector<std::uint8_t> buffer(UdpSocket::kMaxDatagram);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{20}, std::size_t{1044},
                                   std::size_t{2048}, UdpSocket::kMaxDatagram}) {
        SCOPED_TRACE(size);
        const auto sent = pattern(size, static_cast<std::uint8_t>(size));
        ASSERT_TRUE(sender.socket.send_to(kLoopbackAddress, receiver.port, sent.data(), size).ok());
        const auto got = receiver.socket.receive(buffer.data(), buffer.size(), kWaitMs);
        ASSERT_TRUE(got.ok()) << got.status().describe();
        EXPECT_EQ(got->size, size);
        EXPECT_FALSE(got->truncated);
        EXPECT_EQ(got->address_be, kLoopbackAddress);
        EXPECT_EQ(got->port, sender.port);
        EXPECT_TRUE(std::equal(sent.begin(), sent.end(), buffer.begin()));
    }
}

TEST(UdpSocket, RefusesDatagramLargerThanIpv4Allows) {
    BoundSocket sender;
    const std::vector<std::uint8_t> bytes(UdpSocket::kMaxDatagram + 1);
    EXPECT_EQ(sender.socket.send_to(kLoopbackAddress, sender.port, bytes.data(), bytes.size()).code(),
              Errc::invalid_argument);
}

TEST(UdpSocket, TruncatesLongDatagramToCapacityAndKeepsTheNextOne) {
    BoundSocket receiver;
    BoundSocket sender;
    const auto long_one = pattern(3000, 1);
    const auto short_one = pattern(12, 99);
    ASSERT_TRUE(sender.socket.send_to(kLoopbackAddress, receiver.port, long_one.data(), long_one.size()).ok());
    ASSERT_TRUE(sender.socket.send_to(kLoopbackAddress, receiver.port, short_one.data(), short_one.size()).ok());

    std::array<std::uint8_t, 2048 + 1> buffer{};
    const std::uint8_t guard = 0xA5;
    buffer.back() = guard;
    const auto first = receiver.socket.receive(buffer.data(), 2048, kWaitMs);
    ASSERT_TRUE(first.ok()) << first.status().describe();
    EXPECT_EQ(first->size, 2048u);
    EXPECT_TRUE(first->truncated);
    EXPECT_TRUE(std::equal(long_one.begin(), long_one.begin() + 2048, buffer.begin()));
    EXPECT_EQ(buffer.back(), guard);

    const auto second = receiver.socket.receive(buffer.data(), 2048, kWaitMs);
    ASSERT_TRUE(second.ok()) << second.status().describe();
    EXPECT_EQ(second->size, short_one.size());
    EXPECT_FALSE(second->truncated);
    EXPECT_TRUE(std::equal(short_one.begin(), short_one.end(), buffer.begin()));
}

TEST(UdpSocket, ReceiveWithLimitTimesOutWhenNothingArrives) {
    BoundSocket receiver;
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(receiver.socket.receive(buffer.data(), buffer.size(), 30).status().code(), Errc::timeout);
    EXPECT_EQ(receiver.socket.receive(buffer.data(), buffer.size(), 0).status().code(), Errc::timeout);
}

TEST(UdpSocket, EveryCallOnAClosedOrNeverOpenedSocketReportsClosed) {
    UdpSocket never_opened;
    BoundSocket closed;
    closed.socket.close();
    for (UdpSocket* socket : {&never_opened, &closed.socket}) {
        std::array<std::uint8_t, 4> buffer{};
        EXPECT_FALSE(socket->is_open());
        EXPECT_EQ(socket->receive(buffer.data(), buffer.size()).status().code(), Errc::closed);
        EXPECT_EQ(socket->receive(buffer.data(), buffer.size(), 10).status().code(), Errc::closed);
        EXPECT_EQ(socket->send_to(kLoopbackAddress, 9, buffer.data(), buffer.size()).code(), Errc::closed);
        EXPECT_EQ(socket->bind(kLoopbackAddress, 0).code(), Errc::closed);
        EXPECT_EQ(socket->local_port().status().code(), Errc::closed);
        socket->close();  // closing again is harmless
    }
}

TEST(UdpSocket, OpensOnceAndReopensAfterClose) {
    UdpSocket socket;
    ASSERT_TRUE(socket.open().ok());
    EXPECT_EQ(socket.open().code(), Errc::exists);
    socket.close();
    ASSERT_TRUE(socket.open().ok());
    ASSERT_TRUE(socket.bind("127.0.0.1", 0).ok());
    const auto port = socket.local_port();
    ASSERT_TRUE(port.ok());
    EXPECT_NE(*port, 0);
    const std::uint8_t byte = 42;
    ASSERT_TRUE(socket.send_to(kLoopbackAddress, *port, &byte, 1).ok());
    std::uint8_t got = 0;
    const auto datagram = socket.receive(&got, 1, kWaitMs);
    ASSERT_TRUE(datagram.ok()) << datagram.status().describe();
    EXPECT_EQ(got, byte);
}

TEST(UdpSocket, SecondBindToAPortInUseFailsUnlessBothReuse) {
    BoundSocket first;
    UdpSocket second;
    ASSERT_TRUE(second.open().ok());
    EXPECT_FALSE(second.bind(kLoopbackAddress, first.port).ok());

    UdpSocket shared_a;
    UdpSocket shared_b;
    ASSERT_TRUE(shared_a.open().ok());
    ASSERT_TRUE(shared_b.open().ok());
    ASSERT_TRUE(shared_a.set_reuse_address(true).ok());
    ASSERT_TRUE(shared_b.set_reuse_address(true).ok());
    ASSERT_TRUE(shared_a.bind(kLoopbackAddress, 0).ok());
    const auto port = shared_a.local_port();
    ASSERT_TRUE(port.ok());
    EXPECT_TRUE(shared_b.bind(kLoopbackAddress, *port).ok());
}

TEST(UdpSocket, BindRefusesAddressTextThatIsNotDottedQuad) {
    UdpSocket socket;
    ASSERT_TRUE(socket.open().ok());
    for (const char* text : {"", "localhost", "127.0.0", "256.0.0.1", "127.0.0.1 "}) {
        EXPECT_EQ(socket.bind(text, 0).code(), Errc::invalid_argument) << '"' << text << '"';
    }
    EXPECT_TRUE(socket.bind("127.0.0.1", 0).ok());
}

TEST(UdpSocketThreads, CloseFromAnotherThreadEndsABlockedReceive) {
    // Close lands at different points: before the receive starts, while it waits, and so on.
    // Whatever the moment, the receive must end with Errc::closed.
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        BoundSocket receiver;
        std::promise<void> started;
        auto receive = std::async(std::launch::async, [&] {
            std::array<std::uint8_t, 64> buffer{};
            started.set_value();
            return receiver.socket.receive(buffer.data(), buffer.size()).status();
        });
        started.get_future().wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
        receiver.socket.close();
        ASSERT_EQ(receive.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(receive.get().code(), Errc::closed);
    }
}

TEST(UdpSocketThreads, ConcurrentSendersOnOneSocketDeliverEveryDatagramWhole) {
    constexpr int kSenders = 4;
    constexpr int kPerSender = 50;
    constexpr std::size_t kSize = 64;
    BoundSocket receiver;
    BoundSocket shared;

    std::vector<std::future<platform::Status>> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.push_back(std::async(std::launch::async, [&, s] {
            for (int n = 0; n < kPerSender; ++n) {
                // Every byte depends on the sender and the number, so a mixed datagram shows.
                const auto bytes = pattern(kSize, static_cast<std::uint8_t>(s * kPerSender + n));
                const auto status = shared.socket.send_to(kLoopbackAddress, receiver.port, bytes.data(), kSize);
                if (!status) return status;
            }
            return platform::ok_status();
        }));
    }

    std::set<int> seen;
    std::array<std::uint8_t, 256> buffer{};
    while (seen.size() < std::size_t{kSenders * kPerSender}) {
        const auto got = receiver.socket.receive(buffer.data(), buffer.size(), kWaitMs);
        ASSERT_TRUE(got.ok()) << got.status().describe() << " after " << seen.size();
        ASSERT_EQ(got->size, kSize);
        const int id = buffer[0];
        const auto expected = pattern(kSize, static_cast<std::uint8_t>(id));
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin())) << "datagram " << id;
        EXPECT_TRUE(seen.insert(id).second) << "datagram " << id << " twice";
    }
    for (auto& sender : senders) EXPECT_TRUE(sender.get().ok());
}

TEST(UdpSocketThreads, CloseWhileSendingAndReceivingEndsEveryThreadWithClosed) {
    BoundSocket socket;
    std::atomic<int> received{0};
    std::promise<void> traffic_flows;
    std::atomic<bool> announced{false};

    auto receiver = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 128> buffer{};
        for (;;) {
            const auto got = socket.socket.receive(buffer.data(), buffer.size());
            if (!got) return got.status();
            if (++received == 10 && !announced.exchange(true)) traffic_flows.set_value();
        }
    });
    std::vector<std::future<platform::Status>> senders;
    for (int s = 0; s < 3; ++s) {
        senders.push_back(std::async(std::launch::async, [&] {
            const auto bytes = pattern(100, 3);
            for (;;) {
                const auto status = socket.socket.send_to(kLoopbackAddress, socket.port, bytes.data(), bytes.size());
                if (!status) return status;
                std::this_thread::yield();
            }
        }));
    }

    ASSERT_EQ(traffic_flows.get_future().wait_for(5s), std::future_status::ready);
    socket.socket.close();
    ASSERT_EQ(receiver.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(receiver.get().code(), Errc::closed);
    for (auto& sender : senders) {
        ASSERT_EQ(sender.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(sender.get().code(), Errc::closed);
    }
}

}  // namespace
