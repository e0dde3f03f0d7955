// The session's two UDP sockets: the main socket (packet protocol, port 50505) and the
// player-remote API socket (port 50504). Sockets are BSD sockets here; starting and ending the
// socket library needs nothing.

#include "comlib/session/tamrel_com_mfc.hpp"

int CTamrelComMFC::WinSockStartUp() { return 0; }

int CTamrelComMFC::WinSockEnd() { return 0; }

int CTamrelComMFC::CreateUDP_Socket() {
    std::lock_guard lock(socket_mutex_);
    if (udp_socket_.is_open()) return 0;
    return udp_socket_.open().ok() ? 0 : 1;
}

int CTamrelComMFC::CloseUDP_Socket() {
    std::lock_guard lock(socket_mutex_);
    udp_socket_.close();
    return 0;
}

int CTamrelComMFC::CreateUDP_Socket_SupportAPI() {
    std::lock_guard lock(socket_mutex_);
    if (api_socket_.is_open()) return 0;
    return api_socket_.open().ok() ? 0 : 1;
}

int CTamrelComMFC::CloseUDP_Socket_SupportAPI() {
    std::lock_guard lock(socket_mutex_);
    api_socket_.close();
    return 0;
}
