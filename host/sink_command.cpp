#include "host/sink_command.hpp"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/file.hpp"
#include "platform/text/utf.hpp"
#include "tamrelapi/sim/control.hpp"
#include "tamrelapi/sim/play_hash.hpp"

namespace {

namespace control = tamrel::sim::control;

std::string describe(const tamrel::sim::PlayStats& s) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Play sink: %s, %u samples/s, received %" PRIu64 " bytes, hash %016" PRIx64 ", underruns %" PRIu64
                  ", writes before start %" PRIu64,
                  s.running ? "running" : "stopped", s.rate, s.received, s.hash, s.underruns, s.refused_not_started);
    return text;
}

// The hash of `bytes` of the sample file's range [start, end), cycled from its start.
bool range_hash(const std::string& path, std::uint64_t start, std::uint64_t end, std::uint64_t bytes,
                std::uint64_t& hash) {
    auto file = platform::File::open(path, platform::FileMode::read);
    if (!file || end <= start) return false;
    tamrel::sim::PlayHash h;
    std::vector<unsigned char> buffer(1 << 20);
    std::uint64_t position = end;
    while (bytes > 0) {
        if (position >= end) {
            position = start;
            if (!file->seek(static_cast<std::int64_t>(start))) return false;
        }
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>({buffer.size(), end - position, bytes}));
        auto got = file->read(buffer.data(), want);
        if (!got || *got == 0) return false;
        h.update(buffer.data(), *got);
        position += *got;
        bytes -= *got;
    }
    hash = h.value();
    return true;
}

}  // namespace

bool run_sink_command(const std::string& line, const CTamrelComMFC& session, OutputQueue& out) {
    if (line == "sink") {
        out.push(describe(control::play_stats()));
        return true;
    }
    if (line == "sink clear") {
        control::clear_play_record();
        out.push("Play sink: record cleared");
        return true;
    }
    if (line != "sink check") return false;
    const tamrel::sim::PlayStats stats = control::play_stats();
    if (session.PlayFileInfo().Kind != TM_FILE_KIND_PROJECT || session.PlaySamplePath().empty()) {
        out.push("sink check: select a project file for play first (playfile, t2playfile)");
        return true;
    }
    auto path = platform::process_drives().resolve(session.PlaySamplePath());
    std::uint64_t expected = 0;
    if (!path || !range_hash(*path, session.PlayRepeatStartByte(), session.PlayRepeatEndByte(), stats.received, expected)) {
        out.push("sink check: cannot read " + platform::to_utf8(session.PlaySamplePath()));
        return true;
    }
    char text[200];
    std::snprintf(text, sizeof text, "sink check: %" PRIu64 " bytes received %s the recording played from second %u",
                  stats.received, expected == stats.hash ? "are exactly" : "DIFFER from",
                  session.SettingBlock().PlayRepeatStart);
    out.push(text);
    return true;
}
