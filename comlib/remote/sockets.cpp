// The session's two UDP sockets: the main socket (packet protocol, port 50505) and the
// player-remote API socket (port 50504). Sockets are BSD sockets here; starting and ending the
// socket library needs nothing.

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/net/net_settings.hpp"

int CTamrelComMFC::WinSockStartUp() { return 0; }

int CTamrelComMFC::WinSockEnd() { return 0; }

int CTamrelComMFC::CreateUDP_Socket() {
    return open_bound(udp_socket_, platform::kDevicePort);
}

int CTamrelComMFC::CloseUDP_Socket() {
    std::lock_guard lock(socket_mutex_);
    udp_socket_.close();
    return 0;
}

int CTamrelComMFC::CreateUDP_Socket_SupportAPI() {
    return open_bound(api_socket_, platform::kPlayerApiPort);
}

int CTamrelComMFC::open_bound(platform::UdpSocket& socket, std::uint16_t base_port) {
    // Opened and bound in one step: a packet sent from a socket not yet bound would give it a
    // port of the system's choosing, and the receive port could then never be bound.
    std::lock_guard lock(socket_mutex_);
    if (socket.is_open()) return 0;
    if (!socket.open().ok()) return kSocketOpenFailed;
    if (!socket.bind(platform::bind_address(), platform::port_with_offset(base_port)).ok()) {
        socket.close();
        return kSocketBindFailed;
    }
    return 0;
}

int CTamrelComMFC::CloseUDP_Socket_SupportAPI() {
    std::lock_guard lock(socket_mutex_);
    api_socket_.close();
    return 0;
}
