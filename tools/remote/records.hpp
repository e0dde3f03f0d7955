#pragma once
// The wire records the instrument sends as payloads: the settings block (search and connect
// replies), the file record and the folder record (listings). Each is printed as text lines.
//
// Thread-safety: free functions on caller-owned values; safe from any thread.

#include <optional>
#include <string>

#include "comlib/files/file_info.hpp"
#include "comlib/session/settings_block.hpp"
#include "tools/remote/packet_codec.hpp"

namespace tamrel::remote {

// Nothing when fewer than 216 bytes arrived.
std::optional<_TmSettingBlock_t> read_settings_block(const Packet& packet);
// Nothing when fewer than 664 bytes arrived.
std::optional<_TmFileInfo_t> read_file_record(const Packet& packet);

// One "name: value" line per field of interest, each ending in a newline.
std::string format_settings_block(const _TmSettingBlock_t& block);
// One line: "file <project> sample <sample> size <bytes> rate <iq> duration <s>s kind <kind>".
std::string format_file_record(const _TmFileInfo_t& record);

}  // namespace tamrel::remote
