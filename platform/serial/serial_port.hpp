#pragma once
// A serial port (any tty device: a UART, a USB adapter, a pseudo-terminal) in raw binary mode,
// with reads that wait up to a time limit and that close() can end from another thread.
//
// Thread-safety: every member may be called from any thread at any time; one reader and one
// writer may work at once (the GPS reader thread reads while the session closes the port or
// changes the modem lines). close() ends a read or write blocked in another thread promptly;
// that call and every later one until open() return Errc::closed. The descriptor is released
// only after the last call in flight has left it. The object must outlive the calls made on it.

#include "platform/net/interruptible_fd.hpp"
#include "platform/serial/serial_config.hpp"
#include "platform/status.hpp"

#include <cstddef>
#include <string>

namespace platform {

enum class PurgeWhat { input, output, both };

class SerialPort {
public:
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    ~SerialPort() = default;  // closes

    // Opens an existing tty device for reading and writing, exclusively where the driver allows,
    // without making it the controlling terminal. Errc::not_found when the path does not exist,
    // Errc::unsupported when it is not a tty, Errc::exists when this port is already open.
    Status open(const std::string& path);
    bool is_open() const { return fd_.is_open(); }

    // Applies `config` in raw mode. Errc::unsupported when the driver kept some setting other
    // than asked (the ones it took stay applied; read_config() tells which); a pseudo-terminal,
    // for instance, always keeps 8 data bits without parity.
    Status configure(const SerialConfig& config);
    // The settings the device holds now (one and a half stop bits read back as two).
    Result<SerialConfig> read_config();

    // Waits up to timeout_ms (negative: no limit) for data, then returns what has arrived, at
    // most `size` bytes; 0 when nothing came in time.
    Result<std::size_t> read(void* buffer, std::size_t size, int timeout_ms);
    // Writes all `size` bytes, waiting while the driver's buffer is full (or CTS is low) for up
    // to timeout_ms in all (negative: no limit). Returns the bytes written: fewer than `size`
    // only when the time ran out.
    Result<std::size_t> write(const void* data, std::size_t size, int timeout_ms = -1);

    // The modem control lines. Errc::unsupported where the device has none (a pseudo-terminal).
    Status set_dtr(bool raised);
    Status set_rts(bool raised);

    // Discards what was received and not read, or written and not yet sent, or both.
    Status purge(PurgeWhat what);
    // Bytes received and not yet read.
    Result<std::size_t> bytes_available();

    void close() { fd_.close(); }

private:
    Status set_modem_line(int line, bool raised, const char* name);

    InterruptibleFd fd_;
};

}  // namespace platform
