#include "platform/serial/serial_port.hpp"

#include "platform/serial/line_settings.hpp"
#include "platform/serial/line_speed.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline` for poll(): -1 when there is no limit, never below 0.
int ms_left(bool limited, Clock::time_point deadline) {
    if (!limited) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

Clock::time_point deadline_after(int timeout_ms) {
    return Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
}

std::string differences(const SerialConfig& asked, const SerialConfig& held) {
    std::string text;
    auto add = [&text](const char* what) {
        if (!text.empty()) text += ", ";
        text += what;
    };
    if (asked.baud != held.baud) add("rate");
    if (asked.data_bits != held.data_bits) add("data bits");
    if (asked.parity != held.parity) add("parity");
    if (asked.stop_bits != held.stop_bits) add("stop bits");
    if (asked.flow_control != held.flow_control) add("handshake");
    return text;
}

}  // namespace

Status SerialPort::open(const std::string& path) {
    // Non-blocking so the open does not wait for a carrier; the descriptor stays non-blocking
    // because every read and write waits in poll(), where close() can reach it.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Status::from_errno(errno, "open serial port " + path);
    if (::isatty(fd) == 0) {
        ::close(fd);
        return Status(Errc::unsupported, path + " is not a serial device");
    }
    // Exclusive use, as far as the driver and privileges allow; another opener gets EBUSY.
    (void)::ioctl(fd, TIOCEXCL);
    return fd_.adopt(fd, "serial port");
}

Status SerialPort::configure(const SerialConfig& config) {
    if (auto checked = serial_detail::check_config(config); !checked) return checked;
    auto use = fd_.use();
    if (!use) return use.status();

    termios settings{};
    if (::tcgetattr(use->fd(), &settings) != 0) return Status::from_errno(errno, "read serial settings");
    serial_detail::apply_line_settings(settings, config);
    const auto standard = serial_detail::standard_speed_code(config.baud);
    if (standard && ::cfsetspeed(&settings, static_cast<speed_t>(*standard)) != 0) {
        return Status::from_errno(errno, "set serial rate");
    }
    if (::tcsetattr(use->fd(), TCSANOW, &settings) != 0) {
        return Status::from_errno(errno, "apply serial settings " + describe(config));
    }
    if (!standard) {
        if (auto speed = serial_detail::set_any_line_speed(use->fd(), config.baud); !speed) return speed;
    }

    // tcsetattr succeeds when any part was applied, so what the driver took is read back.
    SerialConfig asked = config;
    if (asked.stop_bits == StopBits::one_and_half) asked.stop_bits = StopBits::two;
    if (::tcgetattr(use->fd(), &settings) != 0) return Status::from_errno(errno, "read serial settings");
    SerialConfig held = serial_detail::line_settings_from(settings);
    const auto speed = serial_detail::read_line_speed(use->fd());
    if (!speed) return speed.status();
    held.baud = *speed;
    if (held != asked) {
        return Status(Errc::unsupported, "the serial device kept its own " + differences(asked, held) +
                                             ": asked " + describe(asked) + ", holds " + describe(held));
    }
    return ok_status();
}

Result<SerialConfig> SerialPort::read_config() {
    auto use = fd_.use();
    if (!use) return use.status();
    termios settings{};
    if (::tcgetattr(use->fd(), &settings) != 0) return Status::from_errno(errno, "read serial settings");
    SerialConfig config = serial_detail::line_settings_from(settings);
    const auto speed = serial_detail::read_line_speed(use->fd());
    if (!speed) return speed.status();
    config.baud = *speed;
    return config;
}

Result<std::size_t> SerialPort::read(void* buffer, std::size_t size, int timeout_ms) {
    if (buffer == nullptr && size != 0) return Status(Errc::invalid_argument, "no read buffer");
    auto use = fd_.use();
    if (!use) return use.status();
    if (size == 0) return std::size_t{0};
    const auto deadline = deadline_after(timeout_ms);
    bool hung_up = false;
    for (;;) {
        const ssize_t got = ::read(use->fd(), buffer, size);
        if (got > 0) return static_cast<std::size_t>(got);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Status::from_errno(errno, "read serial port");
        // Nothing there. After a hang-up nothing will come, and poll would report it again at once.
        if (hung_up) return Status(Errc::io_error, "serial line hung up");
        const auto ready = use->wait(POLLIN, ms_left(timeout_ms >= 0, deadline));
        if (!ready) {
            if (ready.status().code() == Errc::timeout) return std::size_t{0};
            return ready.status();
        }
        hung_up = (*ready & (POLLHUP | POLLERR)) != 0 && (*ready & POLLIN) == 0;
    }
}

Result<std::size_t> SerialPort::write(const void* data, std::size_t size, int timeout_ms) {
    if (data == nullptr && size != 0) return Status(Errc::invalid_argument, "no data to write");
    auto use = fd_.use();
    if (!use) return use.status();
    const auto deadline = deadline_after(timeout_ms);
    const auto* next = static_cast<const unsigned char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t put = ::write(use->fd(), next + written, size - written);
        if (put > 0) {
            written += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Status::from_errno(errno, "write serial port");
        const auto ready = use->wait(POLLOUT, ms_left(timeout_ms >= 0, deadline));
        if (!ready) {
            if (ready.status().code() == Errc::timeout) return written;
            return ready.status();
        }
        if ((*ready & POLLOUT) == 0) return Status(Errc::io_error, "serial line hung up");
    }
    return written;
}

Status SerialPort::set_modem_line(int line, bool raised, const char* name) {
    auto use = fd_.use();
    if (!use) return use.status();
    if (::ioctl(use->fd(), raised ? TIOCMBIS : TIOCMBIC, &line) != 0) {
        const int err = errno;
        const std::string what = std::string(raised ? "raise " : "clear ") + name;
        if (err == ENOTTY || err == EINVAL) {
            return Status(Errc::unsupported, what + ": the device has no modem control lines", err);
        }
        return Status::from_errno(err, what);
    }
    return ok_status();
}

Status SerialPort::set_dtr(bool raised) { return set_modem_line(TIOCM_DTR, raised, "DTR"); }

Status SerialPort::set_rts(bool raised) { return set_modem_line(TIOCM_RTS, raised, "RTS"); }

Status SerialPort::purge(PurgeWhat what) {
    auto use = fd_.use();
    if (!use) return use.status();
    const int queue = what == PurgeWhat::input ? TCIFLUSH : what == PurgeWhat::output ? TCOFLUSH : TCIOFLUSH;
    if (::tcflush(use->fd(), queue) != 0) return Status::from_errno(errno, "purge serial port");
    return ok_status();
}

Result<std::size_t> SerialPort::bytes_available() {
    auto use = fd_.use();
    if (!use) return use.status();
    int count = 0;
    if (::ioctl(use->fd(), FIONREAD, &count) != 0) return Status::from_errno(errno, "count received bytes");
    return static_cast<std::size_t>(count);
}

}  // namespace platform
