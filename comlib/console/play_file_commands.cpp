// The commands that select a recording for play (playfile, playfileex, t2playfile) and page its
// gain log (logrequest). The argument is the rest of the line, names with blanks included.
//
// An opener that refuses a file has told the host so itself (acknowledgement, error report and
// "Playfile:Fail"); the command adds those only for what it refuses itself, so the host hears of
// each failure once.

#include "comlib/console/command_line.hpp"
#include "comlib/files/file_info.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/file_ops.hpp"

namespace {

// The text after the last '.', in lower case (ASCII letters only); empty without a '.'.
std::u16string lower_extension(const std::u16string& path) {
    const std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos) return {};
    std::u16string extension = path.substr(dot + 1);
    for (char16_t& c : extension) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return extension;
}

bool file_exists(const std::u16string& path) {
    auto found = platform::exists(platform::process_drives(), path);
    return found && *found;
}

}  // namespace

void CTamrelComMFC::play_file_command(const CommandContext& context, int which) {
    const std::u16string path = file_argument(context.line, context.word_end);
    if (path.empty() || RunStatus() != 0) {
        std::lock_guard lock(path_mutex_);
        send_status((u"Playfile:" + play_file_path_).c_str());
        return;
    }
    const TM_CMD_ID_e row = which == 0 ? TM_CMD_PLAYFILE : which == 1 ? TM_CMD_PLAYFILEEX : TM_CMD_T2PLAYFILE;
    auto refuse = [&](unsigned status) {
        TmReturnAck(status, row);
        TmErrorReport(status);
        send_status(u"Playfile:Fail");
    };
    if (!file_exists(path)) {
        if (which != 0) refuse(kStatusPlayFile);  // "playfile" answers a missing file with nothing
        return;
    }
    const std::u16string extension = lower_extension(path);
    unsigned status = kStatusPlayFile;
    bool opened = true;
    if (extension == u"bbr") {
        status = which == 0 ? TmCMDPlayFileProcess_BBR(path)
                 : which == 1 ? TmCMDPlayFileExProcess_BBR(path)
                              : Tm2CMDPlayFileExProcess_BBR(path);
    } else if (extension == u"wpj") {
        status = which == 0 ? TmCMDPlayFileProcess_WPJ(path)
                 : which == 1 ? TmCMDPlayFileExProcess_WPJ(path)
                              : Tm2CMDPlayFileExProcess_WPJ(path);
    } else if (extension == u"wev" && which == 2) {
        status = Tm2CMDPlayFileExProcess_WER(path);
    } else {
        opened = false;
    }
    if (status == 0) return;
    if (opened && status == kStatusPlayFile) return;  // the opener said so already
    // "playfile" reports every failure as a play-file failure; the others pass the status on.
    refuse(which == 0 ? kStatusPlayFile : status);
}

void CTamrelComMFC::cmd_playfile(const CommandContext& context) { play_file_command(context, 0); }

void CTamrelComMFC::cmd_playfileex(const CommandContext& context) { play_file_command(context, 1); }

void CTamrelComMFC::cmd_t2playfile(const CommandContext& context) { play_file_command(context, 2); }

void CTamrelComMFC::cmd_logrequest(const CommandContext&) {
    switch (play_file_kind_.load()) {
    case TM_FILE_KIND_PROJECT: TmCMDLogRequestProcess_WPJ(PlayProjectPath()); break;
    case TM_FILE_KIND_BLACK_BOX: TmCMDLogRequestProcess_BBR(); break;
    case TM_FILE_KIND_EVENT: TmCMDLogRequestProcess_WER(); break;
    default: break;
    }
    send_status(u"log request:Ok");
}
