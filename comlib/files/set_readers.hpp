#pragma once
// Reading a recording set for play or listing: a black-box event file (".bbr") or an event
// recorder's event file (".wev"). Both list member project files that lie beside the event
// file; the set plays as one recording whose description is the first member's, with the
// durations and sizes of all members added up. The line rules are in docs/formats.md.
//
// A read either succeeds and then writes `out` and, when `list` is given, replaces `*list` with
// one entry per member; or it fails and leaves both exactly as they were, so a refused set never
// disturbs the set a player opened before.
//
// Thread-safety: free functions; safe from any thread (the drive table is thread-safe). The
// record and the list belong to the caller.

#include <cstdint>
#include <string>
#include <vector>

#include "comlib/files/file_info.hpp"
#include "comlib/files/play_list.hpp"
#include "comlib/files/project_header.hpp"
#include "platform/fs/drive_table.hpp"

// A black-box event file: line 1 must carry "$Ver", "Total", "Event", "Position" and "Mask" (a
// known mask text), and the "$File" names after it must be exactly Total readable members. The
// description has kind 1 and the event file's name as both its project and sample name.
bool read_black_box_set(const platform::DriveTable& drives, std::uint32_t tag,
                        const std::u16string& event_path, const HeaderRanges& ranges,
                        _TmFileInfo_t& out, std::vector<TmPlayListEntry>* list);

// An event recorder's event file: line 1 must carry "$Ver", "Total" and the event text, and the
// lines that begin with "$File" must name exactly Total readable members. The description has
// kind 5, the event text as its project name and the time stamp of the first member's name.
bool read_event_set(const platform::DriveTable& drives, std::uint32_t tag,
                    const std::u16string& event_path, const HeaderRanges& ranges,
                    _TmFileInfo_t& out, std::vector<TmPlayListEntry>* list);
