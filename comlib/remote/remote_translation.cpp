// Turning a received packet into the console line an operator could have typed: the connection
// gate, the line of each identifier from its row name and payload, and the bookkeeping some
// identifiers carry (who searched, who connects, the queue flush of disconnect and modechange,
// the black-box event request).
//
// Every field is read from the payload bytes actually received (the packet's length, which the
// receive thread sets to them): a packet shorter than the fields its line needs is refused, and
// a text ends at its NUL or at the end of what arrived.

#include <algorithm>
#include <cstring>

#include "comlib/console/command_table.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/text/format.hpp"

namespace {

constexpr unsigned kRefused = CTamrelComMFC::kStatusRefused;
constexpr std::uint32_t kLastGatedId = 130;
constexpr std::size_t kFolderRecordNameUnits = 260;
constexpr std::uint32_t kModuleCalFirstKind = 168;  // 168..170 set, 171..173 read; module = kind % 3

// How the line of an identifier is made.
enum class Form {
    refused,
    bare,        // the row name
    start,       // "%s 1"
    stop,        // "%s 0"
    text,        // "%s %s", text at 0
    i32,         // "%s %d", i32 at 0
    u32,         // "%s %u", u32 at 0
    i16,         // "%s %d", i16 at 0
    repeat,      // "%s %d %d", i32 at 4 and 8
    listing,     // "%s %d %s", i32 at 0, text at 4 (a folder record)
    two_i32,     // "%s %d %d", i32 at 0 and 4
    two_u32,     // "%s %u %u", u32 at 0 and 4
    awgn,        // "%s %u %u", the low and the high 16 bits of the u32 at 0
    bbr_event,   // "%s %d %I64d %d": i32 at 8, i64 at 16, i32 at 0
    line,        // the text at 0 is the whole line
    module_cal,  // "modulecal ...", by the packet's kind
    real,        // "%s %lf", double at 0
};

bool in(std::uint32_t id, std::initializer_list<std::uint32_t> ids) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

Form form_of(std::uint32_t id) {
    if (id > kLastGatedId) return Form::refused;
    // 60 ("triggeroutlevel") has no line of its own either: refused on both generations, where
    // the second would otherwise be handed an empty line to answer as an unknown command.
    if (in(id, {3, 4, 13, 14, 23, 43, 44, 45, 48, 60, 63, 69, 113})) return Form::refused;
    if (in(id, {0, 1, 2, 9, 10, 20, 46, 49, 51, 57, 59, 97, 98, 119, 120, 129})) return Form::bare;
    if (in(id, {5, 7, 11, 61, 66, 93, 95, 99, 101, 103, 117, 126})) return Form::start;
    if (in(id, {6, 8, 12, 62, 67, 94, 96, 100, 102, 104, 118, 127})) return Form::stop;
    if (in(id, {15, 16, 17, 19, 21, 22, 56, 58, 106, 122, 130})) return Form::text;
    if (in(id, {18, 24, 25, 28, 30, 33, 34, 35, 36, 37, 38, 39, 40, 50, 52, 53, 54, 55, 68, 70, 85, 87, 88, 89, 90,
                91, 92, 105, 107, 111, 124})) {
        return Form::i32;
    }
    if (in(id, {27, 31, 71, 72, 73, 74, 79, 80, 81, 82, 83, 86})) return Form::u32;
    if (in(id, {26, 32, 47, 75, 76, 77, 78, 84, 108, 116})) return Form::i16;
    if (in(id, {29, 110, 125})) return Form::repeat;
    if (in(id, {41, 42, 121})) return Form::listing;
    if (in(id, {64, 128})) return Form::two_i32;
    if (id == 65) return Form::bbr_event;
    if (id == 109) return Form::two_u32;
    if (id == 112) return Form::awgn;
    if (id == 114) return Form::line;
    if (id == 115) return Form::module_cal;
    if (id == 123) return Form::real;
    return Form::refused;
}

// Identifiers that pass the connection gate while no host is attached.
bool passes_gate_unattached(std::uint32_t id) {
    return id < 2 || id > kLastGatedId || in(id, {3, 4, 13, 14, 23, 45, 48, 65, 69, 113});
}

// The payload as received: fixed-size fields only when all their bytes arrived.
class Payload {
public:
    Payload(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool has(std::size_t offset, std::size_t bytes) const { return offset <= size_ && bytes <= size_ - offset; }
    template <typename T>
    T at(std::size_t offset) const {
        T value{};
        std::memcpy(&value, data_ + offset, sizeof value);
        return value;
    }
    // UTF-16 text from `offset` to its NUL, at most `max_units` units, within what arrived.
    std::u16string text(std::size_t offset, std::size_t max_units = SIZE_MAX) const {
        std::u16string out;
        for (std::size_t at_byte = offset; at_byte + 2 <= size_ && out.size() < max_units; at_byte += 2) {
            char16_t unit = 0;
            std::memcpy(&unit, data_ + at_byte, 2);
            if (unit == u'\0') break;
            out.push_back(unit);
        }
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace

unsigned CTamrelComMFC::Convert_RemoteCmd2ConsoleCmd(std::u16string& line, _TmPacket_t* packet) {
    if (packet == nullptr) return kRefused;
    const std::uint32_t id = packet->cmd;
    if (setting_.get(&_TmSettingBlock_t::Connected) != 1 && !passes_gate_unattached(id)) return kRefused;
    const Form form = form_of(id);
    if (form == Form::refused) return kRefused;
    const Payload payload(packet->data, std::min<std::size_t>(packet->length, sizeof packet->data));
    const std::u16string name(gt_TmCACC[id].name);
    switch (form) {
    case Form::refused: return kRefused;
    case Form::bare:
        if (id == TM_CMD_SEARCH) search_address_.store(packet->address);
        if (id == TM_CMD_CONNECT) {
            // A connect names the host's port; without one, or with port 0, no reply could reach it.
            if (!payload.has(0, 2) || payload.at<std::uint16_t>(0) == 0) return kRefused;
            if (!claim_connect(packet->address, payload.at<std::uint16_t>(0))) return kRefused;
        }
        if (id == TM_CMD_DISCONNECT) command_queue_.clear();
        line = name;
        return 0;
    case Form::start: line = name + u" 1"; return 0;
    case Form::stop: line = name + u" 0"; return 0;
    case Form::text: line = name + u" " + payload.text(0); return 0;
    case Form::i32:
        if (!payload.has(0, 4)) return kRefused;
        if (id == TM_CMD_MODECHANGE) command_queue_.clear();
        line = platform::format(u"%s %d", name, payload.at<std::int32_t>(0));
        return 0;
    case Form::u32:
        if (!payload.has(0, 4)) return kRefused;
        line = platform::format(u"%s %u", name, payload.at<std::uint32_t>(0));
        return 0;
    case Form::i16:
        if (!payload.has(0, 2)) return kRefused;
        line = platform::format(u"%s %d", name, static_cast<int>(payload.at<std::int16_t>(0)));
        return 0;
    case Form::repeat:
        if (!payload.has(4, 8)) return kRefused;
        line = platform::format(u"%s %d %d", name, payload.at<std::int32_t>(4), payload.at<std::int32_t>(8));
        return 0;
    case Form::listing:
        if (!payload.has(0, 4)) return kRefused;
        line = platform::format(u"%s %d %s", name, payload.at<std::int32_t>(0), payload.text(4, kFolderRecordNameUnits));
        return 0;
    case Form::two_i32:
        if (!payload.has(0, 8)) return kRefused;
        line = platform::format(u"%s %d %d", name, payload.at<std::int32_t>(0), payload.at<std::int32_t>(4));
        return 0;
    case Form::two_u32:
        if (!payload.has(0, 8)) return kRefused;
        line = platform::format(u"%s %u %u", name, payload.at<std::uint32_t>(0), payload.at<std::uint32_t>(4));
        return 0;
    case Form::awgn: {
        if (!payload.has(0, 4)) return kRefused;
        const auto packed = payload.at<std::uint32_t>(0);
        line = platform::format(u"%s %u %u", name, packed & 0xFFFFU, packed >> 16);
        return 0;
    }
    case Form::bbr_event:
        if (!payload.has(0, 24)) return kRefused;
        keep_black_box_event_request(packet->data, std::min<std::size_t>(packet->length, kBlackBoxEventRequestBytes));
        line = platform::format(u"%s %d %I64d %d", name, payload.at<std::int32_t>(8), payload.at<std::int64_t>(16),
                                payload.at<std::int32_t>(0));
        return 0;
    case Form::line: line = payload.text(0); return 0;
    case Form::module_cal: {
        const std::uint32_t kind = packet->rw;
        if (kind < kModuleCalFirstKind || kind > kModuleCalFirstKind + 5) return kRefused;
        const int module = static_cast<int>((kind - kModuleCalFirstKind) % 3);
        if (kind < kModuleCalFirstKind + 3) {
            if (!payload.has(0, 4)) return kRefused;
            line = platform::format(u"modulecal %d %d", module, payload.at<std::int32_t>(0));
        } else {
            line = platform::format(u"modulecal %d", module);
        }
        return 0;
    }
    case Form::real:
        if (!payload.has(0, 8)) return kRefused;
        line = platform::format(u"%s %lf", name, payload.at<double>(0));
        return 0;
    }
    return kRefused;
}

bool CTamrelComMFC::claim_connect(std::uint32_t address_be, std::uint16_t port) {
    if (setting_.get(&_TmSettingBlock_t::Connected) == 1) return false;
    // One connect at a time: a second one arriving before the console ran the first is refused.
    unsigned idle = 0;
    if (!connect_pending_.compare_exchange_strong(idle, 1)) return false;
    pending_host_address_.store(address_be);
    pending_host_port_.store(port);
    return true;
}

void CTamrelComMFC::keep_black_box_event_request(const std::uint8_t* data, std::size_t size) {
    std::lock_guard lock(bbr_event_mutex_);
    bbr_event_request_.fill(0);
    std::memcpy(bbr_event_request_.data(), data, std::min(size, bbr_event_request_.size()));
}

std::array<std::uint8_t, CTamrelComMFC::kBlackBoxEventRequestBytes> CTamrelComMFC::BlackBoxEventRequest() const {
    std::lock_guard lock(bbr_event_mutex_);
    return bbr_event_request_;
}
