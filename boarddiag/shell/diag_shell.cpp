#include "boarddiag/shell/diag_shell.hpp"

#include <cstdio>

#include "boarddiag/board/alt_pcie_qsys_simple_lib.hpp"
#include "boarddiag/board/device_find.hpp"
#include "boarddiag/shell/board_console.hpp"
#include "boarddiag/shell/command_line.hpp"
#include "boarddiag/shell/commands.hpp"
#include "boarddiag/shell/key_input.hpp"
#include "boarddiag/shell/prompt.hpp"
#include "boarddiag/shell/shell_state.hpp"
#include "boarddiag/shell/terminal_mode.hpp"

namespace {

using namespace boarddiag;

// How long an idle pass waits for a key; the board console is polled at this rate.
constexpr int idle_poll_ms = 10;

bool start_up() {
    std::printf("\n");
    std::printf(">h(help functions)\n ex)h\n");
    if (ALT_PCIE_QSYS_SIMPLE_LibraryInit() != WD_STATUS_SUCCESS) {
        std::printf("alt_pcie_qsys_simple_diag: Failed to initialize the ALT_PCIE_QSYS_SIMPLE "
                    "library: %s",
                    ALT_PCIE_QSYS_SIMPLE_GetLastErr());
        return false;
    }
    ShellState& state = shell_state();
    WD_PCI_SLOT slot{};
    if (DeviceFind(&slot) != 0) state.board = DeviceOpen(&slot);
    if (!is_qsys_design(state.board)) {
        std::printf("This is not SOPC/Qsys design\n");
        return false;
    }
    WDC_WriteAddr32(state.board, 2, 0x4018, 0);
    WDC_WriteAddr32(state.board, 2, 0x4098, 0);
    WDC_WriteAddr32(state.board, 2, 0x10004, capture_ring_start);
    WDC_WriteAddr32(state.board, 2, 0x10008, capture_ring_end);
    WDC_WriteAddr32(state.board, 2, 0x10000, 0);
    WDC_WriteAddr32(state.board, 2, 0x10024, play_ring_start);
    WDC_WriteAddr32(state.board, 2, 0x10028, play_ring_end);
    WDC_WriteAddr32(state.board, 2, 0x10020, 0);
    return true;
}

// Handles one key; true when it ran a command (which printed over the prompt).
bool handle_key(unsigned char key, CommandLine& line, PromptPainter& painter) {
    if (key == 10 || key == 13) {
        DiagExecuteCommand(line);
        line.clear();
        return true;
    }
    if (key == 8 || key == 127) {
        if (line.erase_last()) {
            DiagPrintPrompt(line);  // also with the prompt off, so the space erases on screen
            line.terminate();
            painter.drawn(line);
        }
        return false;
    }
    if (key >= 32 && key <= 126) line.append(static_cast<char>(key));
    return false;
}

}  // namespace

int alt_pcie_qsys_simple_diag() {
    if (!start_up()) {
        std::fflush(stdout);
        return 1;
    }
    if (!enter_key_mode()) std::fprintf(stderr, "boarddiag: cannot switch the terminal to key mode\n");
    CommandLine line;
    PromptPainter painter;
    for (;;) {
        if (relay_board_console(1024)) painter.invalidate();
        if (shell_state().prompt_on != 0) painter.redraw_if_changed(line);
        std::fflush(stdout);
        unsigned char key = 0;
        const KeyWait got = wait_for_key(idle_poll_ms, key);
        if (got == KeyWait::end) break;
        if (got == KeyWait::key && handle_key(key, line, painter)) painter.invalidate();
    }
    std::printf("\r\n");
    std::fflush(stdout);
    restore_terminal();
    return 0;
}
