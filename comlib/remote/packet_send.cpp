// Sending packets to the host: command packets, acknowledgements, error reports and raw data.
// Every call builds its datagram in its own stack buffer and sends it with one sendto, so the
// many threads that send never interleave and never allocate.

#include <netinet/in.h>

#include <cstring>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/net/net_settings.hpp"
#include "platform/sys/time.hpp"

namespace {

constexpr int kSendRetries = 5;

void put_header(std::uint8_t* datagram, std::uint32_t cmd, std::uint32_t rw, std::uint32_t length) {
    const std::uint32_t header[5] = {TM_PACKET_MAGIC, cmd, rw, length, 0};
    std::memcpy(datagram, header, sizeof header);
}

}  // namespace

unsigned CTamrelComMFC::SendCmdData(unsigned long address, TM_CMD_ID_e cmd, TM_RW_ID_e rw,
                                    unsigned length, const void* data) {
    std::uint16_t port = 0;
    if (cmd == TM_CMD_SEARCH) {
        port = platform::port_with_offset(platform::kHostSearchPort);
    } else {
        if (connection_state_.load() != 2 || api_in_control_.load() == 1) return 0;
        port = host_udp_port_.load();
    }
    if (!udp_socket_.is_open()) return 0;

    std::uint8_t datagram[TM_PACKET_HEADER_SIZE + TM_PACKET_MAX_CMD_DATA + 1] = {};
    std::uint32_t stored = 0;
    if (data != nullptr && length >= 1 && length <= TM_PACKET_MAX_CMD_DATA) {
        std::memcpy(datagram + TM_PACKET_HEADER_SIZE, data, length);
        stored = length;
    }
    put_header(datagram, cmd, rw, stored);
    const auto address_be = static_cast<std::uint32_t>(address);
    for (int attempt = 0; attempt <= kSendRetries; ++attempt) {
        if (udp_socket_.send_to(address_be, port, datagram, TM_PACKET_HEADER_SIZE + stored).ok()) break;
        platform::sleep_ms(0);
    }
    return 0;
}

unsigned CTamrelComMFC::TmReturnAck(unsigned status, TM_CMD_ID_e cmd) {
    return SendCmdData(host_address_.load(), cmd, status == 0 ? TM_RW_ACK : TM_RW_NAK, 0, nullptr);
}

unsigned CTamrelComMFC::TmReturnRW(TM_RW_ID_e rw, TM_CMD_ID_e cmd) {
    return SendCmdData(host_address_.load(), cmd, rw, 0, nullptr);
}

unsigned CTamrelComMFC::TmErrorReport(unsigned status) {
    const std::uint32_t payload = status;
    return SendCmdData(host_address_.load(), TM_CMD_ERROR_REPORT, TM_RW_VALUE, sizeof payload, &payload);
}

unsigned CTamrelComMFC::send_raw_chunks(const sockaddr_in* destination, const void* data,
                                        int length, std::uint32_t cmd, bool pace) {
    if (connection_state_.load() != 2 || api_in_control_.load() == 1) return 0;
    if (!udp_socket_.is_open() || length <= 0 || destination == nullptr || data == nullptr) return 0;

    const std::uint32_t address_be = destination->sin_addr.s_addr;
    const std::uint16_t port = ntohs(destination->sin_port);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const auto total = static_cast<std::size_t>(length);
    const std::size_t limit = raw_data_limit_.load();
    int retries_left = kSendRetries;
    std::uint8_t datagram[TM_PACKET_HEADER_SIZE + TM_PACKET_MAX_SEND_DATA];

    std::size_t sent = 0;
    for (std::uint32_t chunk = 0; sent < total && sent < limit; ++chunk) {
        const std::size_t size = std::min(TM_PACKET_MAX_SEND_DATA, total - sent);
        put_header(datagram, cmd, TM_RW_RAW_FIRST + chunk, static_cast<std::uint32_t>(size));
        std::memcpy(datagram + TM_PACKET_HEADER_SIZE, bytes + sent, size);
        // A failed chunk is reported and retried while the call's retry budget lasts; once it is
        // spent, a failing chunk is reported once and skipped.
        while (!udp_socket_.send_to(address_be, port, datagram, TM_PACKET_HEADER_SIZE + size).ok()) {
            send_status(u"sendto fail");
            if (retries_left == 0) break;
            --retries_left;
            platform::sleep_ms(0);
        }
        sent += size;
        if (pace) platform::sleep_ms(1);
        // After the first chunk, the black-box recorder's status record follows in black-box mode;
        // it is sent here once that recorder exists.
    }
    return 0;
}

unsigned CTamrelComMFC::SendRawData(const sockaddr_in* destination, const void* data, int length,
                                    int pace) {
    const std::uint32_t cmd = direction_.load() != 0 ? TM_CMD_RAW_CAPTURE : TM_CMD_RAW_PLAY;
    return send_raw_chunks(destination, data, length, cmd, pace == 1);
}

unsigned CTamrelComMFC::FullBandSendRawData(const sockaddr_in* destination, const void* data,
                                            int length) {
    return send_raw_chunks(destination, data, length, TM_CMD_FULLBAND_RAW, true);
}
