#pragma once
// The client's side of the conversation with one instrument: a socket bound to the listen port
// (everything after a search arrives there, and the client sends from it), an optional socket on
// the search-reply port, and a keep-alive sender.
//
// Thread-safety: send() may be called from any thread (the keep-alive thread does); receive
// calls belong to one thread. start/stop of the keep-alive belong to the owning thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/net/udp_socket.hpp"
#include "platform/status.hpp"
#include "tools/remote/options.hpp"
#include "tools/remote/packet_codec.hpp"

namespace tamrel::remote {

using Clock = std::chrono::steady_clock;

class RemoteLink {
public:
    RemoteLink() = default;
    RemoteLink(const RemoteLink&) = delete;
    RemoteLink& operator=(const RemoteLink&) = delete;
    ~RemoteLink();  // stops the keep-alive

    // Resolves the device and binds the listen socket.
    platform::Status open(const RemoteOptions& options);
    // Binds the socket that receives search replies (port 50506 plus the offset).
    platform::Status open_search_port();

    std::uint16_t listen_port() const { return listen_port_; }

    // Sends `size` bytes of `packet` to the device's main port.
    platform::Status send(const PacketBuffer& packet, std::size_t size);
    // Encoders' results sent straight away; a size of 0 (did not fit) is refused.
    platform::Status send_bare(std::uint32_t cmd);

    // The next packet on the listen socket (or the search socket) before `deadline`; the payload
    // refers to the link's buffer and stays valid until the next receive. Errc::timeout at the
    // deadline, Errc::closed once SIGINT or SIGTERM arrived. Datagrams that are not packets are
    // skipped.
    platform::Result<Packet> receive(Clock::time_point deadline);
    platform::Result<Packet> receive_search(Clock::time_point deadline);

    // After this, receives no longer end at SIGINT/SIGTERM (the closing exchange of a command
    // that was interrupted still needs its answer).
    void ignore_interrupts() { honour_interrupts_ = false; }

    // Sends a keep-alive every second from a thread of its own until stopped.
    void start_keep_alive();
    void stop_keep_alive();

private:
    platform::Result<Packet> receive_on(platform::UdpSocket& socket, Clock::time_point deadline);

    platform::UdpSocket socket_;
    platform::UdpSocket search_socket_;
    std::uint32_t device_address_ = 0;
    std::uint16_t device_port_ = 0;
    std::uint16_t search_port_ = 0;
    std::uint16_t listen_port_ = 0;
    PacketBuffer buffer_{};
    bool honour_interrupts_ = true;

    std::mutex keep_alive_mutex_;
    std::condition_variable_any keep_alive_wake_;
    std::jthread keep_alive_;
};

}  // namespace tamrel::remote
