#pragma once
// Encoding of the packets the remote client sends and decoding of the packets it receives.
// Every packet is a 20-byte little-endian header {magic, cmd, kind, length, address} and a
// payload. Decoding never trusts the header's length: a field is returned only when all of its
// bytes arrived, so a truncated datagram is refused rather than read past its end.
//
// Thread-safety: free functions on caller-owned buffers; safe from any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "comlib/remote/packet.hpp"

namespace tamrel::remote {

// Room for the largest datagram the client sends or accepts.
using PacketBuffer = std::array<std::uint8_t, TM_PACKET_MAX_RECEIVE>;

// Size of the folder request of the listings: i32 parent, 260 UTF-16 units of path.
inline constexpr std::size_t kFolderRecordSize = 524;
inline constexpr std::size_t kFolderPathUnits = 260;
inline constexpr std::size_t kFileRecordSize = 664;
inline constexpr std::size_t kSettingsBlockSize = 216;

// Writes header and payload into `out`; the packet's size, or 0 when the payload does not fit
// in one command packet.
std::size_t encode_packet(std::uint32_t cmd, std::uint32_t kind, std::span<const std::uint8_t> payload,
                          PacketBuffer& out);
// A packet without payload.
std::size_t encode_bare(std::uint32_t cmd, std::uint32_t kind, PacketBuffer& out);
// A packet whose payload is one little-endian i32.
std::size_t encode_i32(std::uint32_t cmd, std::uint32_t kind, std::int32_t value, PacketBuffer& out);
// A packet whose payload is one little-endian u16 (the port of "connect").
std::size_t encode_u16(std::uint32_t cmd, std::uint32_t kind, std::uint16_t value, PacketBuffer& out);
// A packet whose payload is UTF-16LE text followed by a NUL unit.
std::size_t encode_text(std::uint32_t cmd, std::uint32_t kind, std::u16string_view text, PacketBuffer& out);
// The listing request: 524 bytes {i32 parent, path NUL-padded}; 0 when the path has more than
// 259 units (a cut path would name another folder).
std::size_t encode_folder_request(std::uint32_t cmd, std::int32_t parent, std::u16string_view path,
                                  PacketBuffer& out);

// A received packet: the header fields and the payload bytes that actually arrived (at most
// the header's length).
struct Packet {
    std::uint32_t cmd = 0;
    std::uint32_t kind = 0;
    std::uint32_t length = 0;  // as the header states it
    std::span<const std::uint8_t> payload;
    bool truncated() const { return payload.size() < length; }
};

// Nothing unless the datagram holds a whole header with the right magic.
std::optional<Packet> decode_packet(std::span<const std::uint8_t> datagram);

// Payload fields; nothing when the field's bytes did not all arrive.
std::optional<std::int32_t> read_i32(const Packet& packet, std::size_t offset);
std::optional<std::uint32_t> read_u32(const Packet& packet, std::size_t offset);
std::optional<std::int16_t> read_i16(const Packet& packet, std::size_t offset);
// UTF-16LE text from `offset` up to its first NUL, at most `max_units` units, or to the end of
// what arrived (an odd last byte is dropped).
std::u16string read_text(const Packet& packet, std::size_t offset = 0, std::size_t max_units = SIZE_MAX);

}  // namespace tamrel::remote
