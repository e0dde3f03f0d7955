#pragma once
// One member of a recording set (a black-box set or an event set) as the players walk it: the
// member's project and sample files, the sample bytes it holds and how long they play. Paths
// are in Windows form.
//
// Thread-safety: a plain record; whoever holds it guards it.

#include <cstdint>
#include <string>

struct TmPlayListEntry {
    std::u16string project_path;
    std::u16string sample_path;      // the project's folder + the sample name of its header
    std::uint64_t sample_size = 0;   // bytes of the sample file on disk
    std::uint32_t duration = 0;      // whole seconds
    std::uint64_t start_offset = 0;  // byte at which play starts in this member

    friend bool operator==(const TmPlayListEntry&, const TmPlayListEntry&) = default;
};
