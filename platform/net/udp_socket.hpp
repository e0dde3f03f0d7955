#pragma once
// An IPv4 UDP socket with blocking receive and send that close() can end from any thread.
//
// Thread-safety: every member may be called from any thread at any time. Concurrent send_to
// calls are safe and each datagram leaves whole in one sendto, so datagrams never interleave.
// Concurrent receives are safe too (each datagram goes to one of them), though the system has
// one reader per socket. close() ends a receive or send blocked in another thread promptly; that
// call, and every later one until open(), returns Errc::closed. The descriptor is released only
// after the last call in flight has left it, so its number cannot be reused under a caller.
// The object must outlive the calls made on it (join the threads that use it first).

#include "platform/net/interruptible_fd.hpp"
#include "platform/status.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

struct Datagram {
    std::size_t size = 0;          // bytes stored in the caller's buffer
    std::uint32_t address_be = 0;  // source address, network byte order
    std::uint16_t port = 0;        // source port, host byte order
    bool truncated = false;        // the datagram was longer than the buffer; the rest is lost
};

class UdpSocket {
public:
    // Largest payload one IPv4 UDP datagram can carry.
    static constexpr std::size_t kMaxDatagram = 65507;

    UdpSocket() = default;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket() = default;  // closes

    // Creates the socket. SO_REUSEADDR is off; the receive buffer is enlarged (best effort) so a
    // burst of raw data is not dropped. Errc::exists when already open.
    Status open();
    bool is_open() const { return fd_.is_open(); }

    // Sets SO_REUSEADDR (off after open); call before bind.
    Status set_reuse_address(bool on);

    // port in host order, 0 for an ephemeral one.
    Status bind(std::uint32_t address_be, std::uint16_t port);
    Status bind(std::string_view address, std::uint16_t port);
    // The port the socket is bound to, host order.
    Result<std::uint16_t> local_port();

    // One datagram of `size` bytes (at most kMaxDatagram). Waits (bounded) only when the send
    // buffer is full.
    Status send_to(std::uint32_t address_be, std::uint16_t port, const void* data, std::size_t size);

    // Waits for the next datagram and stores at most `capacity` bytes of it.
    Result<Datagram> receive(void* buffer, std::size_t capacity);
    // Same with a limit: Errc::timeout when nothing arrived within timeout_ms.
    Result<Datagram> receive(void* buffer, std::size_t capacity, int timeout_ms);

    void close() { fd_.close(); }

private:
    InterruptibleFd fd_;
};

}  // namespace platform
