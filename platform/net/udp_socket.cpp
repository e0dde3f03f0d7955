#include "platform/net/udp_socket.hpp"

#include "platform/net/ipv4_address.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/uio.h>

#include <cerrno>
#include <chrono>
#include <string>

namespace platform {

namespace {

// Room for a few preview frames of raw data in flight; the kernel caps it at rmem_max.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
// A send waits at most this long for room in a full send buffer before reporting a time-out.
constexpr int kSendStallMs = 1000;

sockaddr_in make_address(std::uint32_t address_be, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = address_be;
    address.sin_port = htons(port);
    return address;
}

}  // namespace

Status UdpSocket::open() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) return Status::from_errno(errno, "create UDP socket");
    // Best effort: a smaller buffer still works, it only drops sooner under a burst.
    (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    return fd_.adopt(fd, "UDP socket");
}

Status UdpSocket::set_reuse_address(bool on) {
    auto use = fd_.use();
    if (!use) return use.status();
    const int value = on ? 1 : 0;
    if (::setsockopt(use->fd(), SOL_SOCKET, SO_REUSEADDR, &value, sizeof value) != 0) {
        return Status::from_errno(errno, "set SO_REUSEADDR");
    }
    return ok_status();
}

Status UdpSocket::bind(std::uint32_t address_be, std::uint16_t port) {
    auto use = fd_.use();
    if (!use) return use.status();
    const sockaddr_in address = make_address(address_be, port);
    if (::bind(use->fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return Status::from_errno(errno, "bind UDP socket to " + format_ipv4(address_be) + ":" +
                                             std::to_string(port));
    }
    return ok_status();
}

Status UdpSocket::bind(std::string_view address, std::uint16_t port) {
    const auto parsed = parse_ipv4(address);
    if (!parsed) return parsed.status();
    return bind(*parsed, port);
}

Result<std::uint16_t> UdpSocket::local_port() {
    auto use = fd_.use();
    if (!use) return use.status();
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(use->fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return Status::from_errno(errno, "read the local UDP port");
    }
    return std::uint16_t{ntohs(address.sin_port)};
}

Status UdpSocket::send_to(std::uint32_t address_be, std::uint16_t port, const void* data,
                          std::size_t size) {
    if (size > kMaxDatagram || (data == nullptr && size != 0)) {
        return Status(Errc::invalid_argument, "datagram of " + std::to_string(size) + " bytes");
    }
    auto use = fd_.use();
    if (!use) return use.status();
    const sockaddr_in address = make_address(address_be, port);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kSendStallMs);
    for (;;) {
        const ssize_t sent = ::sendto(use->fd(), data, size, MSG_DONTWAIT | MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (sent >= 0) {
            if (static_cast<std::size_t>(sent) != size) {
                return Status(Errc::io_error, "sendto sent part of a datagram");
            }
            return ok_status();
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return Status::from_errno(errno, "sendto " + format_ipv4(address_be) + ":" + std::to_string(port));
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Status(Errc::timeout, "send buffer stayed full");
        const auto ready = use->wait(POLLOUT, static_cast<int>(left));
        if (!ready) return ready.status();
    }
}

Result<Datagram> UdpSocket::receive(void* buffer, std::size_t capacity) {
    return receive(buffer, capacity, -1);
}

Result<Datagram> UdpSocket::receive(void* buffer, std::size_t capacity, int timeout_ms) {
    if (buffer == nullptr && capacity != 0) return Status(Errc::invalid_argument, "no receive buffer");
    auto use = fd_.use();
    if (!use) return use.status();
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    for (;;) {
        int wait_ms = -1;
        if (timeout_ms >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait_ms = left > 0 ? static_cast<int>(left) : 0;
        }
        const auto ready = use->wait(POLLIN, wait_ms);
        if (!ready) return ready.status();

        sockaddr_in source{};
        iovec part{buffer, capacity};
        msghdr message{};
        message.msg_name = &source;
        message.msg_namelen = sizeof source;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        const ssize_t stored = ::recvmsg(use->fd(), &message, MSG_DONTWAIT);
        if (stored < 0) {
            // Readiness without a datagram (another reader took it, or a checksum failure).
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return Status::from_errno(errno, "receive UDP datagram");
        }
        Datagram datagram;
        datagram.size = static_cast<std::size_t>(stored);
        datagram.address_be = source.sin_addr.s_addr;
        datagram.port = ntohs(source.sin_port);
        datagram.truncated = (message.msg_flags & MSG_TRUNC) != 0;
        return datagram;
    }
}

}  // namespace platform
