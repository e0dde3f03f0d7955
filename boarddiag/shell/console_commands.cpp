// Board console commands: gps prints what waits, dsp sends a line and prints the answer.

#include <time.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "boarddiag/shell/board_console.hpp"
#include "boarddiag/shell/commands.hpp"
#include "boarddiag/shell/shell_state.hpp"

namespace boarddiag {

void command_gps(std::string_view /*args*/) {
    std::printf("\r\n");
    WDC_DEVICE_HANDLE board = shell_state().board;
    UINT32 count = 0;
    WDC_ReadAddr32(board, 2, 0x4018, &count);
    for (UINT32 i = 0; i < count; ++i) {
        BYTE ch = 0;
        if (WDC_ReadAddr8(board, 2, 0x4000, &ch) != WD_STATUS_SUCCESS) break;
        std::printf("%c", ch);
    }
}

void command_dsp(std::string_view args) {
    // The text starts after the word and one separator; with no text only the line end goes.
    const std::string_view text = args.empty() ? args : args.substr(1);
    WDC_DEVICE_HANDLE board = shell_state().board;
    for (const char ch : text) {
        WDC_WriteAddr8(board, 2, 0x4004, static_cast<BYTE>(ch));
        std::printf("%c", ch);
    }
    WDC_WriteAddr8(board, 2, 0x4004, 13);
    WDC_WriteAddr8(board, 2, 0x4004, 10);
    std::fflush(stdout);
    // The board's processor needs time to answer.
    timespec pause{0, 500000000};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
    relay_board_console(1024);
}

}  // namespace boarddiag
