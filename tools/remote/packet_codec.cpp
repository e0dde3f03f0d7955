#include "tools/remote/packet_codec.hpp"

#include <algorithm>
#include <cstring>

namespace tamrel::remote {
namespace {

void put_u32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get_u32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

// Header and room for `payload_size` bytes; the payload's start, or nullptr when it cannot fit.
std::uint8_t* begin_packet(std::uint32_t cmd, std::uint32_t kind, std::size_t payload_size, PacketBuffer& out) {
    if (payload_size > TM_PACKET_MAX_CMD_DATA) return nullptr;
    put_u32(out.data(), TM_PACKET_MAGIC);
    put_u32(out.data() + 4, cmd);
    put_u32(out.data() + 8, kind);
    put_u32(out.data() + 12, static_cast<std::uint32_t>(payload_size));
    put_u32(out.data() + 16, 0);  // the device fills in the true source address
    return out.data() + TM_PACKET_HEADER_SIZE;
}

}  // namespace

std::size_t encode_packet(std::uint32_t cmd, std::uint32_t kind, std::span<const std::uint8_t> payload,
                          PacketBuffer& out) {
    std::uint8_t* data = begin_packet(cmd, kind, payload.size(), out);
    if (data == nullptr) return 0;
    if (!payload.empty()) std::memcpy(data, payload.data(), payload.size());
    return TM_PACKET_HEADER_SIZE + payload.size();
}

std::size_t encode_bare(std::uint32_t cmd, std::uint32_t kind, PacketBuffer& out) {
    return encode_packet(cmd, kind, {}, out);
}

std::size_t encode_i32(std::uint32_t cmd, std::uint32_t kind, std::int32_t value, PacketBuffer& out) {
    std::uint8_t bytes[4];
    put_u32(bytes, static_cast<std::uint32_t>(value));
    return encode_packet(cmd, kind, bytes, out);
}

std::size_t encode_u16(std::uint32_t cmd, std::uint32_t kind, std::uint16_t value, PacketBuffer& out) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
    return encode_packet(cmd, kind, bytes, out);
}

std::size_t encode_text(std::uint32_t cmd, std::uint32_t kind, std::u16string_view text, PacketBuffer& out) {
    const std::size_t size = (text.size() + 1) * 2;
    std::uint8_t* data = begin_packet(cmd, kind, size, out);
    if (data == nullptr) return 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        data[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        data[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    data[size - 2] = 0;
    data[size - 1] = 0;
    return TM_PACKET_HEADER_SIZE + size;
}

std::size_t encode_folder_request(std::uint32_t cmd, std::int32_t parent, std::u16string_view path,
                                  PacketBuffer& out) {
    if (path.size() >= kFolderPathUnits) return 0;
    std::uint8_t* data = begin_packet(cmd, 0, kFolderRecordSize, out);
    if (data == nullptr) return 0;
    std::memset(data, 0, kFolderRecordSize);
    put_u32(data, static_cast<std::uint32_t>(parent));
    for (std::size_t i = 0; i < path.size(); ++i) {
        data[4 + 2 * i] = static_cast<std::uint8_t>(path[i] & 0xFF);
        data[4 + 2 * i + 1] = static_cast<std::uint8_t>(path[i] >> 8);
    }
    return TM_PACKET_HEADER_SIZE + kFolderRecordSize;
}

std::optional<Packet> decode_packet(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < TM_PACKET_HEADER_SIZE) return std::nullopt;
    if (get_u32(datagram.data()) != TM_PACKET_MAGIC) return std::nullopt;
    Packet packet;
    packet.cmd = get_u32(datagram.data() + 4);
    packet.kind = get_u32(datagram.data() + 8);
    packet.length = get_u32(datagram.data() + 12);
    const std::size_t arrived = datagram.size() - TM_PACKET_HEADER_SIZE;
    packet.payload = datagram.subspan(TM_PACKET_HEADER_SIZE, std::min<std::size_t>(arrived, packet.length));
    return packet;
}

std::optional<std::uint32_t> read_u32(const Packet& packet, std::size_t offset) {
    if (offset > packet.payload.size() || packet.payload.size() - offset < 4) return std::nullopt;
    return get_u32(packet.payload.data() + offset);
}

std::optional<std::int32_t> read_i32(const Packet& packet, std::size_t offset) {
    const auto value = read_u32(packet, offset);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<std::int16_t> read_i16(const Packet& packet, std::size_t offset) {
    if (offset > packet.payload.size() || packet.payload.size() - offset < 2) return std::nullopt;
    const auto* at = packet.payload.data() + offset;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

std::u16string read_text(const Packet& packet, std::size_t offset, std::size_t max_units) {
    std::u16string text;
    if (offset >= packet.payload.size()) return text;
    const std::size_t units = std::min((packet.payload.size() - offset) / 2, max_units);
    for (std::size_t i = 0; i < units; ++i) {
        const auto* at = packet.payload.data() + offset + 2 * i;
        const auto unit = static_cast<char16_t>(at[0] | (at[1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return text;
}

}  // namespace tamrel::remote
