// What the host is shown of a recording selected for play: the first spectrum, and the gain log
// (its gain lines and GPS sentences), all at once when "playfile" opens it or page by page on
// request, 60 lines a page.
//
// A page continues after the gain lines already sent (the log position). Across the files of a
// set the gain lines are numbered on, so the host sees one recording. A log that cannot be read
// ends with the end-of-log packet: the host is never told that more is to come when nothing is.

#include <netinet/in.h>

#include "comlib/files/file_manage.hpp"
#include "comlib/files/gain_lines.hpp"
#include "comlib/files/play_list.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/file.hpp"
#include "platform/fs/text_line_reader.hpp"
#include "platform/sys/time.hpp"
#include "platform/text/format.hpp"

namespace {

constexpr unsigned kLinesPerPage = 60;
constexpr unsigned kSpectrumSettleMs = 100;

bool starts_with(std::u16string_view line, std::u16string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

bool is_gain_text(std::u16string_view line) { return starts_with(line, u"$GAIN"); }

// A gain line of a set, with its time field replaced by the second's number within the set.
std::u16string renumbered(const std::u16string& line, std::uint32_t second) {
    const std::size_t at = line.find(u"TIME,");
    if (at == std::u16string::npos) return line;
    return line.substr(0, at) + platform::format(u"TIME,%u", second);
}

platform::Result<platform::TextLineReader> open_log(const std::u16string& project_path) {
    if (project_path.empty()) return platform::Status(platform::Errc::not_found, "no project file selected");
    auto posix = platform::process_drives().resolve(project_path);
    if (!posix) return posix.status();
    return platform::TextLineReader::open(*posix);
}

}  // namespace

void CTamrelComMFC::send_log_line(const std::u16string& line, bool gain) {
    SendCmdData(host_address_.load(), gain ? TM_CMD_GAIN_CHANNEL : TM_CMD_GPS_CHANNEL,
                gain ? TM_RW_LOG_GAIN_LINE : TM_RW_LOG_GPS_LINE, static_cast<unsigned>(line.size() * sizeof(char16_t)),
                line.data());
}

void CTamrelComMFC::send_recorded_lines(const std::u16string& project_path, std::size_t gain_limit) {
    auto reader = open_log(project_path);
    if (!reader) return;
    std::size_t gains = 0;
    bool header = true;
    for (auto line = reader->next_line(); line && *line; line = reader->next_line()) {
        if (header) {
            header = false;
            continue;
        }
        if (is_gain_text(**line)) {
            if (gains++ < gain_limit) send_log_line(**line, true);
        } else if (is_gps_line(**line)) {
            send_log_line(**line, false);
        }
    }
}

bool CTamrelComMFC::page_log_file(const std::u16string& project_path, LogPage& page, bool renumber) {
    auto reader = open_log(project_path);
    if (!reader) return false;
    bool header = true;
    for (auto line = reader->next_line(); line && *line && page.sent < kLinesPerPage; line = reader->next_line()) {
        const std::u16string& text = **line;
        if (header) {
            header = false;
            continue;
        }
        if (is_gain_text(text)) {
            if (++page.gain_seen <= page.start) continue;  // sent by an earlier page
            send_log_line(renumber ? renumbered(text, page.gain_seen) : text, true);
            page.position = page.gain_seen;
            page.last_was_gps = false;
        } else if (is_gps_line(text)) {
            if (page.gain_seen < page.start) continue;
            if (page.gain_seen == page.start && page.start > 0 && page.skip_gps) {
                page.skip_gps = false;  // the sentence of the last second sent, sent with it
                continue;
            }
            send_log_line(text, false);
            page.last_was_gps = true;
        } else {
            continue;
        }
        ++page.sent;
    }
    return true;
}

void CTamrelComMFC::finish_log_page(const LogPage& page) {
    log_position_.store(page.position);
    log_gps_sent_.store(page.last_was_gps);
    const std::uint32_t host = host_address_.load();
    if (page.sent >= kLinesPerPage) {
        SendCmdData(host, TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK, 0, nullptr);
    } else {
        SendCmdData(host, TM_CMD_GAIN_CHANNEL, TM_RW_LOG_DONE, 0, nullptr);
    }
}

CTamrelComMFC::LogPage CTamrelComMFC::begin_log_page() const {
    LogPage page;
    page.start = log_position_.load();
    page.position = page.start;
    page.skip_gps = log_gps_sent_.load();
    return page;
}

void CTamrelComMFC::TmCMDLogRequestProcess_WPJ(const std::u16string& project_path) {
    LogPage page = begin_log_page();
    if (!page_log_file(project_path, page, false)) {
        page = LogPage{};  // nothing to page: start again from the top next time
    }
    finish_log_page(page);
}

void CTamrelComMFC::log_request_set(const std::vector<TmPlayListEntry>& files) {
    LogPage page = begin_log_page();
    for (const TmPlayListEntry& file : files) {
        if (page.sent >= kLinesPerPage) break;
        // A member that cannot be read adds no lines; the others still page.
        (void)page_log_file(file.project_path, page, true);
    }
    finish_log_page(page);
}

void CTamrelComMFC::TmCMDLogRequestProcess_BBR() { log_request_set(tm_file_manage().black_box_file_list()); }

void CTamrelComMFC::TmCMDLogRequestProcess_WER() { log_request_set(tm_file_manage().event_play_list()); }

unsigned CTamrelComMFC::TmPlayFileSendFirstSpectrum(const std::u16string& sample_path) {
    std::size_t got = 0;
    if (auto posix = platform::process_drives().resolve(sample_path)) {
        if (auto file = platform::File::open(*posix, platform::FileMode::read)) {
            while (got < kPreviewBytes) {
                auto n = file->read(preview_buffer_ + got, kPreviewBytes - got);
                if (!n || *n == 0) break;
                got += *n;
            }
            (void)file->close();
        }
    }
    if (got == kPreviewBytes) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = host_address_.load();
        to.sin_port = htons(host_udp_port_.load());
        for (int copy = 0; copy < 2; ++copy) SendRawData(&to, preview_buffer_, static_cast<int>(kPreviewBytes), 1);
    }
    log_position_.store(0);
    log_gps_sent_.store(false);
    platform::sleep_ms(kSpectrumSettleMs);
    SendCmdData(host_address_.load(), TM_CMD_GAIN_CHANNEL, TM_RW_FIRST_SPECTRUM_SENT, 0, nullptr);
    SendCmdData(host_address_.load(), TM_CMD_LOGREQUEST, TM_RW_LOG_BLOCK, 0, nullptr);
    return 0;
}
