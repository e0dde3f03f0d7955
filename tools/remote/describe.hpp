#pragma once
// One line of text for every packet the instrument sends: "[cmd/kind] " followed by what the
// payload means (gain and GPS lines, elapsed seconds, drive sizes, error reports, listing
// records, acknowledgements, raw data as a summary).
//
// Thread-safety: a free function; safe from any thread.

#include <string>

#include "tools/remote/packet_codec.hpp"

namespace tamrel::remote {

std::string describe_packet(const Packet& packet);

// Raw-data chunks: capture or play configuration spectra, full-band data.
bool is_raw_data(const Packet& packet);

}  // namespace tamrel::remote
