// The device family: counts, open and close, image load, version text, serial number, PCB version.

#include <algorithm>
#include <cstring>

#include "platform/text/utf.hpp"
#include "tamrelapi/sim/arguments.hpp"
#include "tamrelapi/sim/instrument.hpp"
#include "tamrelapi/status.hpp"

namespace tamrel::sim {

using api::DeviceKind;

namespace {
constexpr unsigned kImageTypes = 4;  // image slots in the board's configuration flash
}

// An injected fault makes a count report no board: the count has no status to carry it.
unsigned Instrument::Count() {
    if (enter("Count", Needs::nothing)) return 0;
    return presence_.count(DeviceKind::first_generation);
}

unsigned Instrument::Tm2Count() {
    if (enter("Tm2Count", Needs::nothing)) return 0;
    return presence_.count(DeviceKind::second_generation);
}

unsigned Instrument::Open(unsigned board) {
    if (const unsigned refused = enter("Open", Needs::first_board, arg("board", board))) {
        return refused;
    }
    return presence_.open(DeviceKind::first_generation, board);
}

unsigned Instrument::Tm2Open(unsigned board) {
    if (const unsigned refused = enter("Tm2Open", Needs::second_board, arg("board", board))) {
        return refused;
    }
    return presence_.open(DeviceKind::second_generation, board);
}

unsigned Instrument::Close() {
    if (const unsigned refused = enter("Close", Needs::first_open)) return refused;
    presence_.close();
    return api::status_ok;
}

unsigned Instrument::Tm2Close() {
    if (const unsigned refused = enter("Tm2Close", Needs::second_open)) return refused;
    presence_.close();
    return api::status_ok;
}

unsigned Instrument::SetImageType(unsigned type) {
    if (const unsigned refused = enter("SetImageType", Needs::first_open, arg("type", type))) {
        return refused;
    }
    if (type >= kImageTypes) return api::status_invalid_argument;
    outputs_.update([type](Outputs& out) { out.image_type = type; });
    return api::status_ok;
}

unsigned Instrument::GetDllVerUniCode(std::u16string& text) {
    return get("GetDllVerUniCode", Needs::nothing, text,
               [this] { return identity_.get().library_version; });
}

unsigned Instrument::GetSerialNum(char* buffer, unsigned size) {
    if (const unsigned refused = enter("GetSerialNum", Needs::either_open, arg("size", size))) {
        return refused;
    }
    if (size == 0) return api::status_ok;
    if (buffer == nullptr) return api::status_invalid_argument;
    const std::string serial = identity_.get().serial_number;
    const std::size_t copied = std::min<std::size_t>(size, serial.size());
    std::memcpy(buffer, serial.data(), copied);
    std::memset(buffer + copied, 0, size - copied);
    return api::status_ok;
}

unsigned Instrument::GetSerialNumUniCode(std::u16string& text) {
    return get("GetSerialNumUniCode", Needs::either_open, text,
               [this] { return platform::from_latin1(identity_.get().serial_number); });
}

unsigned Instrument::GetHWPCBVer(unsigned& version) {
    return get("GetHWPCBVer", Needs::first_open, version,
               [this] { return identity_.get().pcb_version; });
}

}  // namespace tamrel::sim
