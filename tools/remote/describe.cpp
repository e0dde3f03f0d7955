#include "tools/remote/describe.hpp"

#include <cinttypes>
#include <cstdio>

#include "platform/text/utf.hpp"
#include "tools/remote/records.hpp"

namespace tamrel::remote {
namespace {

// The payload as text without its line end (gain lines end in CR LF).
std::string payload_text(const Packet& packet) {
    std::string text = platform::to_utf8(read_text(packet));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string kind_word(std::uint32_t kind) {
    switch (kind) {
        case TM_RW_VALUE: return "value";
        case TM_RW_ACK: return "ack";
        case TM_RW_NAK: return "refused";
        case TM_RW_NOTIFY: return "notice";
        case TM_RW_LIST_BEGIN: return "list begin";
        case TM_RW_LIST_END: return "list end";
        case TM_RW_GRAPH_RESET: return "graph reset";
        case TM_RW_DRIVE: return "drive present";
        case TM_RW_DRIVE_NONE: return "no drive";
        case TM_RW_LOW_SPACE: return "low space";
        case TM_RW_TIME_LIMIT_REACHED: return "capture time reached";
        default: return "kind " + std::to_string(kind);
    }
}

std::string body(const Packet& p) {
    if (is_raw_data(p)) {
        return "raw data chunk " + std::to_string(p.kind - TM_RW_RAW_FIRST) + ", " +
               std::to_string(p.payload.size()) + " bytes";
    }
    switch (p.kind) {
        case TM_RW_GAIN_LINE: return "gain " + payload_text(p);
        case TM_RW_GPS_LINE: return "gps " + payload_text(p);
        case TM_RW_LOG_GAIN_LINE: return "log gain " + payload_text(p);
        case TM_RW_LOG_GPS_LINE: return "log gps " + payload_text(p);
        case TM_RW_GRAPH_TIME: return "elapsed " + payload_text(p);
        case TM_RW_FILE_NAME: return "recording " + payload_text(p);
        case TM_RW_GAIN:
        case TM_RW_PLAY_GAIN: {
            const auto gain = read_i16(p, 0);
            if (!gain) break;
            char text[48];
            std::snprintf(text, sizeof text, "gain %.1f dB", *gain / 10.0);
            return text;
        }
        case TM_RW_LIST_ITEM:
            if (p.cmd == TM_CMD_FILELIST) {
                if (const auto record = read_file_record(p)) return format_file_record(*record);
                return "file record (truncated)";
            }
            if (p.payload.size() >= kFolderRecordSize) {
                return "folder " + platform::to_utf8(read_text(p, 4, kFolderPathUnits));
            }
            return "folder record (truncated)";
        default: break;
    }
    if (p.cmd == TM_CMD_DRIVE_SIZE && p.kind == TM_RW_NOTIFY) {
        const auto total = read_i32(p, 0);
        const auto free_gb = read_i32(p, 4);
        const auto used = read_i32(p, 8);
        if (total && free_gb && used) {
            return "drive total " + std::to_string(*total) + " GB free " + std::to_string(*free_gb) + " GB used " +
                   std::to_string(*used) + " GB";
        }
        return "drive sizes (truncated)";
    }
    if (p.cmd == TM_CMD_ERROR_REPORT && p.kind == TM_RW_VALUE) {
        if (const auto status = read_i32(p, 0)) return "error " + std::to_string(*status);
        return "error (truncated)";
    }
    if (p.cmd == TM_CMD_WATCHDOG_EXPIRED) return "watchdog expired";
    if (p.cmd == TM_CMD_DMASPEED && p.kind == TM_RW_VALUE) {
        if (const auto speed = read_i32(p, 0)) return "dma speed " + std::to_string(*speed);
    }
    if ((p.cmd == TM_CMD_SEARCH || p.cmd == TM_CMD_CONNECT) && p.kind == TM_RW_ACK) {
        if (const auto block = read_settings_block(p)) {
            std::string serial(block->SerialNum, sizeof block->SerialNum);
            serial.resize(serial.find('\0') == std::string::npos ? serial.size() : serial.find('\0'));
            return "ack, settings of " + serial + ", generation " + std::to_string(block->Generation);
        }
    }
    std::string text = kind_word(p.kind);
    if (!p.payload.empty()) text += ", " + std::to_string(p.payload.size()) + " bytes";
    return text;
}

}  // namespace

bool is_raw_data(const Packet& p) {
    return (p.cmd == TM_CMD_RAW_CAPTURE || p.cmd == TM_CMD_RAW_PLAY || p.cmd == TM_CMD_FULLBAND_RAW) &&
           p.kind >= TM_RW_RAW_FIRST;
}

std::string describe_packet(const Packet& packet) {
    std::string line = "[" + std::to_string(packet.cmd) + "/" + std::to_string(packet.kind) + "] " + body(packet);
    if (packet.truncated()) {
        line += " (" + std::to_string(packet.payload.size()) + " of " + std::to_string(packet.length) + " bytes)";
    }
    return line;
}

}  // namespace tamrel::remote
