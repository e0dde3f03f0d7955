#include "platform/serial/line_settings.hpp"

#include <gtest/gtest.h>

#include <termios.h>

namespace {

using platform::FlowControl;
using platform::Parity;
using platform::SerialConfig;
using platform::StopBits;
namespace detail = platform::serial_detail;

// Every flag set, as if the device had been left in the most cooked state possible.
termios cooked() {
    termios settings{};
    settings.c_iflag = ~tcflag_t{0};
    settings.c_oflag = ~tcflag_t{0};
    settings.c_cflag = ~tcflag_t{0};
    settings.c_lflag = ~tcflag_t{0};
    for (auto& c : settings.c_cc) c = 1;
    return settings;
}

TEST(LineSettings, MapsCharacterFormatAndHandshakeOntoTermiosAndBack) {
    struct Case {
        SerialConfig config;
        tcflag_t size;
        bool parity_on;
        bool odd;
        bool two_stop;
    };
    const Case cases[] = {
        {{9600, Parity::none, 8, StopBits::one, FlowControl::none}, CS8, false, false, false},
        {{9600, Parity::even, 8, StopBits::two, FlowControl::none}, CS8, true, false, true},
        {{9600, Parity::odd, 7, StopBits::one, FlowControl::rts_cts}, CS7, true, true, false},
        {{9600, Parity::none, 6, StopBits::one, FlowControl::none}, CS6, false, false, false},
        {{9600, Parity::even, 5, StopBits::one_and_half, FlowControl::rts_cts}, CS5, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::describe(c.config));
        termios settings = cooked();
        detail::apply_line_settings(settings, c.config);
        EXPECT_EQ(settings.c_cflag & CSIZE, c.size);
        EXPECT_EQ((settings.c_cflag & PARENB) != 0, c.parity_on);
        EXPECT_EQ((settings.c_cflag & PARODD) != 0, c.odd);
        EXPECT_EQ((settings.c_iflag & INPCK) != 0, c.parity_on);
        EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, c.two_stop);
        EXPECT_EQ((settings.c_cflag & CRTSCTS) != 0, c.config.flow_control == FlowControl::rts_cts);
        EXPECT_EQ(settings.c_cflag & CMSPAR, 0u);
        EXPECT_EQ(settings.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});

        SerialConfig expected = c.config;
        expected.baud = 0;
        if (expected.stop_bits == StopBits::one_and_half) expected.stop_bits = StopBits::two;
        EXPECT_EQ(detail::line_settings_from(settings), expected);
    }
}

TEST(LineSettings, RawModeTranslatesNothingAndReadsReturnAtOnce) {
    termios settings = cooked();
    detail::apply_line_settings(settings, SerialConfig{});
    EXPECT_EQ(settings.c_lflag & tcflag_t{ECHO | ECHONL | ICANON | ISIG | IEXTEN}, 0u);
    EXPECT_EQ(settings.c_iflag & tcflag_t{IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK}, 0u);
    EXPECT_EQ(settings.c_oflag & tcflag_t{OPOST}, 0u);
    EXPECT_EQ(settings.c_cc[VMIN], 0);
    EXPECT_EQ(settings.c_cc[VTIME], 0);
}

TEST(LineSettings, KnowsWhichRatesTermiosNames) {
    EXPECT_EQ(detail::standard_speed_code(9600), unsigned{B9600});
    EXPECT_EQ(detail::standard_speed_code(115200), unsigned{B115200});
    EXPECT_EQ(detail::standard_speed_code(300), unsigned{B300});
    for (const unsigned rate : {14400u, 28800u, 56000u, 128000u, 256000u, 1075u, 0u}) {
        EXPECT_FALSE(detail::standard_speed_code(rate).has_value()) << rate;
    }
}

TEST(LineSettings, RefusesRateZeroAndUnknownCharacterSizes) {
    EXPECT_TRUE(detail::check_config(SerialConfig{}).ok());
    SerialConfig no_rate;
    no_rate.baud = 0;
    EXPECT_EQ(detail::check_config(no_rate).code(), platform::Errc::invalid_argument);
    for (const unsigned bits : {0u, 4u, 9u}) {
        SerialConfig config;
        config.data_bits = bits;
        EXPECT_EQ(detail::check_config(config).code(), platform::Errc::invalid_argument) << bits;
    }
}

}  // namespace

#include "platform/serial/serial_devices.hpp"

namespace {

TEST(SerialDevices, PortNamesMapToDeviceFilesUnlessTheHostChoseAnother) {
    EXPECT_EQ(platform::serial_device_path("COM5"), "/dev/ttyS4");
    EXPECT_EQ(platform::serial_device_path("COM1"), "/dev/ttyS0");
    EXPECT_EQ(platform::serial_device_path("COM0"), "/dev/COM0");
    platform::set_serial_device_path("COM5", "/dev/pts/7");
    EXPECT_EQ(platform::serial_device_path("COM5"), "/dev/pts/7");
    EXPECT_EQ(platform::serial_device_path("COM6"), "/dev/ttyS5");
}

}  // namespace
