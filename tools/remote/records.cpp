#include "tools/remote/records.hpp"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/text/utf.hpp"

namespace tamrel::remote {
namespace {

static_assert(std::endian::native == std::endian::little, "the records are copied as they arrive");
static_assert(sizeof(_TmSettingBlock_t) == kSettingsBlockSize);
static_assert(sizeof(_TmFileInfo_t) == kFileRecordSize);

const char* run_status_name(std::uint32_t status) {
    switch (status) {
        case 0: return "idle";
        case 2: return "record";
        case 5: return "preview";
        case 8: return "play";
        case 10: return "paused";
        default: return "other";
    }
}

// The text of a name field up to its first NUL (the field need not hold one).
std::string name_text(const char16_t (&field)[kFileInfoNameUnits]) {
    std::size_t units = 0;
    while (units < kFileInfoNameUnits && field[units] != u'\0') ++units;
    return platform::to_utf8(std::u16string_view(field, units));
}

void line(std::string& out, const char* name, const std::string& value) {
    out += name;
    out += ": ";
    out += value;
    out += '\n';
}

std::string number(std::int64_t value) { return std::to_string(value); }

// Four bytes, high byte first, as a dotted version.
std::string version_text(std::uint32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", version >> 24, (version >> 16) & 0xFF, (version >> 8) & 0xFF,
                  version & 0xFF);
    return text;
}

std::string tenths(std::int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value / 10.0);
    return text;
}

}  // namespace

std::optional<_TmSettingBlock_t> read_settings_block(const Packet& packet) {
    if (packet.payload.size() < sizeof(_TmSettingBlock_t)) return std::nullopt;
    _TmSettingBlock_t block;
    std::memcpy(&block, packet.payload.data(), sizeof block);
    return block;
}

std::optional<_TmFileInfo_t> read_file_record(const Packet& packet) {
    if (packet.payload.size() < sizeof(_TmFileInfo_t)) return std::nullopt;
    _TmFileInfo_t record;
    std::memcpy(&record, packet.payload.data(), sizeof record);
    return record;
}

std::string format_settings_block(const _TmSettingBlock_t& b) {
    std::string out;
    std::size_t serial_size = 0;
    while (serial_size < sizeof b.SerialNum && b.SerialNum[serial_size] != '\0') ++serial_size;
    line(out, "serial", std::string(b.SerialNum, serial_size));
    line(out, "generation", number(b.Generation));
    line(out, "fpga version", version_text(b.FpgaVer));
    line(out, "pump fpga version", version_text(b.PumpFpgaVer));
    line(out, "dsp version", version_text(b.DspNiosVer));
    line(out, "pcb version", number(b.PCBVersion));
    line(out, "connected", number(b.Connected));
    line(out, "run status", number(b.RunStatus) + " (" + run_status_name(b.RunStatus) + ")");
    line(out, "system mode", number(b.SystemMode));
    line(out, "storage", b.Storage == 0 ? "internal" : "external");
    line(out, "drive", std::string(1, static_cast<char>('A' + (b.DriveIndex % 26))));
    line(out, "capture freq", number(b.CaptureFreq));
    line(out, "capture range", tenths(b.CaptureRange));
    line(out, "capture preamp", number(b.CapturePreAmp));
    line(out, "capture bw", number(b.CaptureBW));
    line(out, "capture agc", number(b.CaptureAGC));
    line(out, "capture stop type", number(b.CaptureStopType));
    line(out, "capture time", number(b.CaptureTime));
    line(out, "record iq rate", number(b.RecordIQRate));
    line(out, "play freq", number(b.PlayFreq));
    line(out, "play gain", tenths(b.PlayGain));
    line(out, "play iq rate", number(b.PlayIQRate));
    line(out, "play file length", number(b.PlayFileLength));
    line(out, "play repeat", number(b.PlayRepeatStart) + " " + number(b.PlayRepeatEnd));
    line(out, "ref clock", b.RefClock == 0 ? "internal" : "external");
    line(out, "gps", number(b.GPS));
    return out;
}

std::string format_file_record(const _TmFileInfo_t& r) {
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, " size %" PRIu64 " rate %u freq %u duration %us kind %d", r.SampleSize,
                  r.IQRate, r.CenterFreq, r.Duration, r.Kind);
    return "file " + name_text(r.ProjectName) + " sample " + name_text(r.SampleName) + numbers;
}

}  // namespace tamrel::remote
