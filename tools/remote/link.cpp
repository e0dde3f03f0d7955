#include "tools/remote/link.hpp"

#include <algorithm>

#include "platform/net/ipv4_address.hpp"
#include "platform/net/net_settings.hpp"
#include "tools/remote/interrupt.hpp"

namespace tamrel::remote {
namespace {

using platform::Errc;
using platform::Status;

// Receives wait in slices of this length so an interrupt is noticed promptly.
constexpr int kSliceMs = 100;

std::uint16_t with_offset(std::uint16_t base, int offset) { return static_cast<std::uint16_t>(base + offset); }

}  // namespace

RemoteLink::~RemoteLink() { stop_keep_alive(); }

Status RemoteLink::open(const RemoteOptions& options) {
    const auto address = platform::parse_ipv4(options.device);
    if (!address) return Status(Errc::invalid_argument, "--device: not an IPv4 address: " + options.device);
    device_address_ = *address;
    device_port_ = with_offset(platform::kDevicePort, options.port_offset);
    search_port_ = with_offset(platform::kHostSearchPort, options.port_offset);
    listen_port_ = options.listen_port != 0 ? static_cast<std::uint16_t>(options.listen_port)
                                            : with_offset(platform::kHostPort, options.port_offset);
    if (Status s = socket_.open(); !s) return s;
    return socket_.bind(platform::kAnyAddress, listen_port_);
}

Status RemoteLink::open_search_port() {
    if (search_socket_.is_open()) return {};
    if (Status s = search_socket_.open(); !s) return s;
    return search_socket_.bind(platform::kAnyAddress, search_port_);
}

Status RemoteLink::send(const PacketBuffer& packet, std::size_t size) {
    if (size == 0) return Status(Errc::invalid_argument, "the packet does not fit");
    return socket_.send_to(device_address_, device_port_, packet.data(), size);
}

Status RemoteLink::send_bare(std::uint32_t cmd) {
    PacketBuffer packet;
    return send(packet, encode_bare(cmd, 0, packet));
}

platform::Result<Packet> RemoteLink::receive(Clock::time_point deadline) { return receive_on(socket_, deadline); }

platform::Result<Packet> RemoteLink::receive_search(Clock::time_point deadline) {
    return receive_on(search_socket_, deadline);
}

platform::Result<Packet> RemoteLink::receive_on(platform::UdpSocket& socket, Clock::time_point deadline) {
    while (!(honour_interrupts_ && interrupted())) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Status(Errc::timeout, "no answer within the time limit");
        // Zeroed so no byte of an earlier datagram can be mistaken for this one's.
        buffer_.fill(0);
        auto got = socket.receive(buffer_.data(), buffer_.size(), static_cast<int>(std::min<long long>(left, kSliceMs)));
        if (!got) {
            if (got.status().code() == Errc::timeout) continue;
            return got.status();
        }
        if (auto packet = decode_packet(std::span<const std::uint8_t>(buffer_.data(), got->size))) return *packet;
    }
    return Status(Errc::closed, "interrupted");
}

void RemoteLink::start_keep_alive() {
    if (keep_alive_.joinable()) return;
    keep_alive_ = std::jthread([this](std::stop_token stop) {
        PacketBuffer packet;
        const std::size_t size = encode_bare(TM_CMD_KEEP_ALIVE, 0, packet);
        std::unique_lock lock(keep_alive_mutex_);
        while (!stop.stop_requested()) {
            // A lost keep-alive is made good by the next one; the watchdog allows many.
            (void)send(packet, size);
            keep_alive_wake_.wait_for(lock, stop, std::chrono::seconds(1), [] { return false; });
        }
    });
}

void RemoteLink::stop_keep_alive() {
    if (!keep_alive_.joinable()) return;
    keep_alive_.request_stop();
    keep_alive_.join();
}

}  // namespace tamrel::remote
