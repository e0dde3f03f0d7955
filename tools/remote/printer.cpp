#include "tools/remote/printer.hpp"

#include "tools/remote/describe.hpp"

namespace tamrel::remote {

void PacketPrinter::print(const Packet& packet) {
    if (is_raw_data(packet)) {
        const bool first_chunk = packet.kind == TM_RW_RAW_FIRST;
        if (raw_chunks_ > 0 && (first_chunk || packet.cmd != raw_cmd_)) flush();
        raw_cmd_ = packet.cmd;
        ++raw_chunks_;
        raw_bytes_ += packet.payload.size();
        return;
    }
    flush();
    out_ << describe_packet(packet) << std::endl;
}

void PacketPrinter::line(const std::string& text) {
    flush();
    out_ << text << std::endl;
}

void PacketPrinter::flush() {
    if (raw_chunks_ == 0) return;
    out_ << "[" << raw_cmd_ << "/raw] raw data, " << raw_chunks_ << " chunks, " << raw_bytes_ << " bytes"
         << std::endl;
    raw_chunks_ = 0;
    raw_bytes_ = 0;
}

}  // namespace tamrel::remote
