#include "platform/serial/serial_port.hpp"

#include "pseudo_terminal.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <future>
#include <thread>
#include <vector>

namespace {

using platform::Errc;
using platform::FlowControl;
using platform::Parity;
using platform::SerialConfig;
using platform::SerialPort;
using platform::StopBits;
using serial_test::eventually;
using serial_test::PseudoTerminal;
using namespace std::chrono_literals;

// The speed bits termios holds when the rate is given as a number (the kernel's BOTHER).
constexpr speed_t kNumberedSpeed = CBAUDEX;

class SerialPortPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ready());
        const auto opened = port.open(pty.slave_path());
        ASSERT_TRUE(opened.ok()) << opened.describe();
    }

    void configure_default() {
        const auto status = port.configure(SerialConfig{});
        ASSERT_TRUE(status.ok()) << status.describe();
    }

    PseudoTerminal pty;
    SerialPort port;
};

// Bytes that a cooked terminal would translate, swallow or act on.
std::vector<std::uint8_t> awkward_bytes() {
    std::vector<std::uint8_t> bytes = {0x00, 0xFF, '\r', '\n', '\r', 0x03, 0x04, 0x11, 0x13, 0x1A, 0x7F, 0x1B};
    for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 13));
    return bytes;
}

TEST_F(SerialPortPty, AppliesRawModeAndCharacterFormatAndReadsThemBack) {
    struct Case {
        SerialConfig config;
        speed_t speed;
    };
    const Case cases[] = {
        {{9600, Parity::none, 8, StopBits::one, FlowControl::none}, B9600},
        {{19200, Parity::even, 8, StopBits::two, FlowControl::none}, B19200},
        {{4800, Parity::odd, 7, StopBits::one, FlowControl::none}, B4800},
        {{115200, Parity::none, 8, StopBits::one, FlowControl::rts_cts}, B115200},
        {{38400, Parity::none, 6, StopBits::one_and_half, FlowControl::none}, B38400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::describe(c.config));
        SerialConfig expected = c.config;
        if (expected.stop_bits == StopBits::one_and_half) expected.stop_bits = StopBits::two;

        const auto status = port.configure(c.config);
        const auto held = port.read_config();
        ASSERT_TRUE(held.ok()) << held.status().describe();
        if (c.config.data_bits == 8 && c.config.parity == Parity::none) {
            ASSERT_TRUE(status.ok()) << status.describe();
        }
        if (status.ok()) {
            EXPECT_EQ(*held, expected);
        } else {
            // A pseudo-terminal forces 8 data bits without parity; the rest must have been taken.
            EXPECT_EQ(status.code(), Errc::unsupported) << status.describe();
            EXPECT_EQ(held->baud, expected.baud);
            EXPECT_EQ(held->stop_bits, expected.stop_bits);
            EXPECT_EQ(held->flow_control, expected.flow_control);
        }

        const termios settings = pty.slave_settings();
        EXPECT_EQ(::cfgetospeed(&settings), c.speed);
        EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, expected.stop_bits == StopBits::two);
        EXPECT_EQ((settings.c_cflag & CRTSCTS) != 0, expected.flow_control == FlowControl::rts_cts);
        EXPECT_EQ((settings.c_iflag & tcflag_t{IXON | IXOFF}), 0u);
        EXPECT_EQ((settings.c_lflag & tcflag_t{ICANON | ECHO | ISIG}), 0u);
        EXPECT_EQ((settings.c_oflag & tcflag_t{OPOST}), 0u);
    }
}

TEST_F(SerialPortPty, AppliesRatesTermiosHasNoConstantFor) {
    for (const unsigned rate : {14400u, 28800u, 56000u, 128000u, 256000u, 1075u, 2212u}) {
        SCOPED_TRACE(rate);
        SerialConfig config;
        config.baud = rate;
        const auto status = port.configure(config);
        ASSERT_TRUE(status.ok()) << status.describe();
        const auto held = port.read_config();
        ASSERT_TRUE(held.ok());
        EXPECT_EQ(held->baud, rate);
        const termios settings = pty.slave_settings();
        EXPECT_EQ(::cfgetospeed(&settings), kNumberedSpeed);
    }
    // And back to a named rate: the numbered-speed marker must be gone.
    configure_default();
    const termios settings = pty.slave_settings();
    EXPECT_EQ(::cfgetospeed(&settings), speed_t{B9600});
    EXPECT_EQ(port.read_config()->baud, 9600u);
}

TEST_F(SerialPortPty, RefusesConfigurationsOutsideTheLineFormats) {
    SerialConfig config;
    config.data_bits = 9;
    EXPECT_EQ(port.configure(config).code(), Errc::invalid_argument);
    config = SerialConfig{};
    config.baud = 0;
    EXPECT_EQ(port.configure(config).code(), Errc::invalid_argument);
}

TEST_F(SerialPortPty, PassesEveryByteUnchangedInBothDirections) {
    configure_default();
    const auto bytes = awkward_bytes();

    ASSERT_TRUE(pty.write_all(bytes));
    std::vector<std::uint8_t> received;
    while (received.size() < bytes.size()) {
        std::array<std::uint8_t, 64> chunk{};
        const auto got = port.read(chunk.data(), chunk.size(), 5000);
        ASSERT_TRUE(got.ok()) << got.status().describe();
        ASSERT_GT(*got, 0u) << "timed out after " << received.size() << " bytes";
        received.insert(received.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(*got));
    }
    EXPECT_EQ(received, bytes);

    const auto written = port.write(bytes.data(), bytes.size(), 5000);
    ASSERT_TRUE(written.ok()) << written.status().describe();
    EXPECT_EQ(*written, bytes.size());
    EXPECT_EQ(pty.read_exactly(bytes.size()), bytes);
}

TEST_F(SerialPortPty, ReadReturnsZeroWhenNothingArrivesInTime) {
    configure_default();
    std::array<std::uint8_t, 16> buffer{};
    for (const int timeout_ms : {0, 30}) {
        const auto got = port.read(buffer.data(), buffer.size(), timeout_ms);
        ASSERT_TRUE(got.ok()) << got.status().describe();
        EXPECT_EQ(*got, 0u);
    }
}

TEST_F(SerialPortPty, CountsAndPurgesReceivedBytes) {
    configure_default();
    ASSERT_TRUE(pty.write_all({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(eventually([&] {
        const auto count = port.bytes_available();
        return count.ok() && *count == 10u;
    }));
    ASSERT_TRUE(port.purge(platform::PurgeWhat::input).ok());
    EXPECT_EQ(*port.bytes_available(), 0u);
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(*port.read(buffer.data(), buffer.size(), 20), 0u);

    // The port still receives after a purge.
    ASSERT_TRUE(pty.write_all({42}));
    const auto got = port.read(buffer.data(), buffer.size(), 5000);
    ASSERT_TRUE(got.ok());
    ASSERT_EQ(*got, 1u);
    EXPECT_EQ(buffer[0], 42);
    EXPECT_TRUE(port.purge(platform::PurgeWhat::output).ok());
    EXPECT_TRUE(port.purge(platform::PurgeWhat::both).ok());
}

TEST_F(SerialPortPty, WriteStopsAtItsTimeLimitWhenNobodyReads) {
    configure_default();
    // Far more than a pseudo-terminal buffers while the master side reads nothing.
    const std::vector<std::uint8_t> lots(4 * 1024 * 1024, 0x55);
    const auto written = port.write(lots.data(), lots.size(), 50);
    ASSERT_TRUE(written.ok()) << written.status().describe();
    EXPECT_GT(*written, 0u);
    EXPECT_LT(*written, lots.size());
}

TEST_F(SerialPortPty, ModemLinesAreSetOrReportedUnsupported) {
    configure_default();
    for (const bool raised : {true, false}) {
        for (const auto& status : {port.set_dtr(raised), port.set_rts(raised)}) {
            EXPECT_TRUE(status.ok() || status.code() == Errc::unsupported) << status.describe();
        }
    }
}

TEST_F(SerialPortPty, OpensOnceAndReopensAfterClose) {
    EXPECT_EQ(port.open(pty.slave_path()).code(), Errc::exists);
    port.close();
    EXPECT_FALSE(port.is_open());
    ASSERT_TRUE(port.open(pty.slave_path()).ok());
    EXPECT_TRUE(port.is_open());
    configure_default();
}

TEST(SerialPort, OpenReportsMissingDevicesAndFilesThatAreNoTty) {
    SerialPort port;
    EXPECT_EQ(port.open("/dev/tamrel-no-such-tty").code(), Errc::not_found);
    EXPECT_EQ(port.open("/dev/null").code(), Errc::unsupported);
    EXPECT_FALSE(port.is_open());
}

TEST(SerialPort, EveryCallOnAPortThatIsNotOpenReportsClosed) {
    SerialPort port;
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(port.configure(SerialConfig{}).code(), Errc::closed);
    EXPECT_EQ(port.read_config().status().code(), Errc::closed);
    EXPECT_EQ(port.read(buffer.data(), buffer.size(), 10).status().code(), Errc::closed);
    EXPECT_EQ(port.write(buffer.data(), buffer.size()).status().code(), Errc::closed);
    EXPECT_EQ(port.set_dtr(true).code(), Errc::closed);
    EXPECT_EQ(port.set_rts(true).code(), Errc::closed);
    EXPECT_EQ(port.purge(platform::PurgeWhat::both).code(), Errc::closed);
    EXPECT_EQ(port.bytes_available().status().code(), Errc::closed);
    port.close();
}

TEST_F(SerialPortPty, CloseFromAnotherThreadEndsABlockedRead) {
    configure_default();
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        if (round > 0) {
            ASSERT_TRUE(port.open(pty.slave_path()).ok());
        }
        std::promise<void> started;
        auto reader = std::async(std::launch::async, [&] {
            std::array<std::uint8_t, 16> buffer{};
            started.set_value();
            return port.read(buffer.data(), buffer.size(), -1).status();
        });
        started.get_future().wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
        port.close();
        ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(reader.get().code(), Errc::closed);
    }
}

TEST_F(SerialPortPty, CloseFromAnotherThreadEndsABlockedWrite) {
    configure_default();
    std::promise<void> started;
    auto writer = std::async(std::launch::async, [&] {
        const std::vector<std::uint8_t> lots(4 * 1024 * 1024, 0xAA);
        started.set_value();
        return port.write(lots.data(), lots.size(), -1).status();
    });
    started.get_future().wait();
    std::this_thread::sleep_for(5ms);
    port.close();
    ASSERT_EQ(writer.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(writer.get().code(), Errc::closed);
}

}  // namespace
