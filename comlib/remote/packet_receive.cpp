// The two receive threads. The main one frames packet-protocol datagrams: the magic, the
// keep-alive, the true source address; the rest goes to the translation into console lines. The
// player-remote API thread frames the API's datagrams for its processor.

#include <cstring>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/net/source_filter.hpp"

namespace {
constexpr std::uint32_t kApiMagic = 0x057B50B7;
constexpr std::size_t kApiTextOffset = 12;

std::uint32_t read_u32(const std::uint8_t* bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}
}  // namespace

void CTamrelComMFC::receive_loop(platform::UdpSocket& socket, int (CTamrelComMFC::*create)(),
                                 DatagramHandler handle) {
    if (const int created = (this->*create)(); created != 0) {
        send_status(created == kSocketBindFailed ? u"bind() Error" : u"socket() Error");
        return;
    }
    alignas(8) std::uint8_t buffer[TM_PACKET_MAX_RECEIVE];
    while (!stop_requested()) {
        // Zeroed before every datagram: nothing of an earlier one can be read.
        std::memset(buffer, 0, sizeof buffer);
        auto received = socket.receive(buffer, sizeof buffer);
        if (!received.ok()) {
            if (received.status().code() == platform::Errc::closed) break;
            idle_for(10);  // a transient error: do not spin
            continue;
        }
        // A source outside the --allow networks is not heard at all, not even its keep-alive.
        if (!platform::source_allowed(received->address_be)) continue;
        (this->*handle)(buffer, received->size, received->address_be);
    }
}

void CTamrelComMFC::udp_receive_thread() {
    receive_loop(udp_socket_, &CTamrelComMFC::CreateUDP_Socket, &CTamrelComMFC::handle_received_packet);
}

void CTamrelComMFC::api_receive_thread() {
    receive_loop(api_socket_, &CTamrelComMFC::CreateUDP_Socket_SupportAPI, &CTamrelComMFC::handle_api_request);
}

void CTamrelComMFC::handle_received_packet(std::uint8_t* buffer, std::size_t size,
                                           std::uint32_t source_be) {
    // Nothing shorter than a header is a packet; the header fields are read only when received.
    if (size < TM_PACKET_HEADER_SIZE || read_u32(buffer, 0) != TM_PACKET_MAGIC) return;
    if (read_u32(buffer, 4) == TM_CMD_KEEP_ALIVE) {
        expire_count_.store(60);
        return;
    }
    auto* packet = reinterpret_cast<_TmPacket_t*>(buffer);
    packet->address = source_be;
    // The translation reads no further than what arrived, whatever the header claims.
    packet->length = static_cast<std::uint32_t>(size - TM_PACKET_HEADER_SIZE);
    std::u16string line;
    if (Convert_RemoteCmd2ConsoleCmd(line, packet) != 0) return;
    if (TmTypeEditAddCmd(line) != 0 && packet->cmd == TM_CMD_CONNECT) {
        connect_pending_.store(0);  // dropped by a full queue: the next connect may try again
    }
}

void CTamrelComMFC::handle_api_request(std::uint8_t* buffer, std::size_t size, std::uint32_t) {
    if (size < kApiTextOffset || read_u32(buffer, 0) != kApiMagic) return;
    // The API processors (request words, replies) are built with the player-remote API; until
    // then a framed request is dropped.
}
