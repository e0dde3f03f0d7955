#pragma once
// Prints received packets one line each, except raw data: a transfer's chunks (hundreds per
// spectrum) become one summary line, written when the transfer ends (another packet, a new
// first chunk, or flush()).
//
// Thread-safety: none; one printer per output, used by one thread.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "tools/remote/packet_codec.hpp"

namespace tamrel::remote {

class PacketPrinter {
public:
    explicit PacketPrinter(std::ostream& out) : out_(out) {}
    PacketPrinter(const PacketPrinter&) = delete;
    PacketPrinter& operator=(const PacketPrinter&) = delete;
    ~PacketPrinter() { flush(); }

    void print(const Packet& packet);
    // A line of the client's own, after any pending raw summary.
    void line(const std::string& text);
    // Writes the pending raw summary, if any.
    void flush();

private:
    std::ostream& out_;
    std::uint32_t raw_cmd_ = 0;
    std::size_t raw_chunks_ = 0;
    std::size_t raw_bytes_ = 0;
};

}  // namespace tamrel::remote
