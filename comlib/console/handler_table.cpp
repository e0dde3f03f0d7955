// Which table rows have a command handler. Rows without one (the "None" rows, the second row of
// every repeated name, and the rows whose commands are not built yet) are answered by the string
// commands.

#include <array>

#include "comlib/console/command_table.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"

namespace {
using Handler = CTamrelComMFC::CommandHandler;
}

CTamrelComMFC::CommandHandler CTamrelComMFC::command_handler(std::size_t row) {
    static const std::array<Handler, TM_CONSOLE_CMD_COUNT> kHandlers = [] {
        std::array<Handler, TM_CONSOLE_CMD_COUNT> table{};
        table[TM_CMD_SEARCH] = &CTamrelComMFC::cmd_search;
        table[TM_CMD_CONNECT] = &CTamrelComMFC::cmd_connect;
        table[TM_CMD_DISCONNECT] = &CTamrelComMFC::cmd_disconnect;
        table[TM_CMD_RECORD_START] = &CTamrelComMFC::cmd_record;
        table[TM_CMD_PREVIEW_START] = &CTamrelComMFC::cmd_preview;
        table[TM_CMD_SYNCDATA] = &CTamrelComMFC::cmd_syncdata;
        table[TM_CMD_CAPTURESTOPTYPE] = &CTamrelComMFC::cmd_capturestoptype;
        table[TM_CMD_CAPTURETIME] = &CTamrelComMFC::cmd_capturetime;
        table[TM_CMD_CAPTUREBW] = &CTamrelComMFC::cmd_capturebw;
        table[TM_CMD_T2RECORDIQRATE] = &CTamrelComMFC::cmd_t2recordiqrate;
        table[TM_CMD_T2RECORD_START] = &CTamrelComMFC::cmd_t2record;
        table[TM_CMD_T2PREVIEW_START] = &CTamrelComMFC::cmd_t2preview;
        table[TM_CMD_PLAY_START] = &CTamrelComMFC::cmd_play;
        table[TM_CMD_PLAY_PAUSE] = &CTamrelComMFC::cmd_playpause;
        table[TM_CMD_PLAY_RESUME] = &CTamrelComMFC::cmd_playresume;
        table[TM_CMD_PP] = &CTamrelComMFC::cmd_pp;
        table[TM_CMD_PLAYREPEAT] = &CTamrelComMFC::cmd_playrepeat;
        table[TM_CMD_PLAYFILE] = &CTamrelComMFC::cmd_playfile;
        table[TM_CMD_PLAYFILEEX] = &CTamrelComMFC::cmd_playfileex;
        table[TM_CMD_LOGREQUEST] = &CTamrelComMFC::cmd_logrequest;
        table[TM_CMD_FOLDERLIST] = &CTamrelComMFC::cmd_folderlist;
        table[TM_CMD_FILELIST] = &CTamrelComMFC::cmd_filelist;
        table[TM_CMD_T2PLAY_START] = &CTamrelComMFC::cmd_t2play;
        table[TM_CMD_T2PLAYPAUSE] = &CTamrelComMFC::cmd_t2playpause;
        table[TM_CMD_T2PLAYRESUME] = &CTamrelComMFC::cmd_t2playresume;
        table[TM_CMD_T2PLAYFILE] = &CTamrelComMFC::cmd_t2playfile;
        table[TM_CMD_T2PP] = &CTamrelComMFC::cmd_t2pp;
        table[TM_CMD_T2PLAYREPEAT] = &CTamrelComMFC::cmd_t2playrepeat;
        table[TM_CMD_REMOTEUPDATESPEED] = &CTamrelComMFC::cmd_remoteupdatespeed;
        table[TM_CMD_RESBW] = &CTamrelComMFC::cmd_resbw;
        table[TM_CMD_CAPTUREGAIN] = &CTamrelComMFC::cmd_capturegain;
        table[TM_CMD_CAPTUREFREQ] = &CTamrelComMFC::cmd_capturefreq;
        table[TM_CMD_CAPTURERANGE] = &CTamrelComMFC::cmd_capturerange;
        table[TM_CMD_AUTORANGE] = &CTamrelComMFC::cmd_autorange;
        table[TM_CMD_CAPTUREAMP] = &CTamrelComMFC::cmd_captureamp;
        table[TM_CMD_CAPTURELOOP] = &CTamrelComMFC::cmd_captureloop;
        table[TM_CMD_CAPTUREAGC] = &CTamrelComMFC::cmd_captureagc;
        table[TM_CMD_CAPTUREAGCSPEED] = &CTamrelComMFC::cmd_captureagcspeed;
        table[TM_CMD_PLAYFREQ] = &CTamrelComMFC::cmd_playfreq;
        table[TM_CMD_PLAYGAIN] = &CTamrelComMFC::cmd_playgain;
        table[TM_CMD_ARB] = &CTamrelComMFC::cmd_arb;
        table[TM_CMD_PLAYSPECINV] = &CTamrelComMFC::cmd_playspecinv;
        table[TM_CMD_EXTCLK] = &CTamrelComMFC::cmd_extclk;
        table[TM_CMD_TRIGGER] = &CTamrelComMFC::cmd_trigger;
        table[TM_CMD_MODECHANGE] = &CTamrelComMFC::cmd_modechange;
        return table;
    }();
    return row < TM_CONSOLE_CMD_COUNT ? kHandlers[row] : nullptr;
}
