// boarddiag: the board diagnostic console. Runs the shell on the main thread; the process ends
// through the exit command, at the end of input, or with exit code 1 after a start-up failure.

#include <cstdio>
#include <cstring>

#include "boarddiag/shell/diag_shell.hpp"

namespace {

const char* const usage_text =
    "Usage: boarddiag [--help]\n"
    "The board diagnostic console. Finds the FPGA board (vendor 0x1172, device 0xE001),\n"
    "opens it and reads commands key by key from standard input (type help).\n"
    "\n"
    "The board is simulated; these environment variables describe it:\n"
    "  WDC_SIM_BOARDS=N          number of matching boards, 0 to 100 (default 1)\n"
    "  WDC_SIM_DESIGN=H          design nibble of the revision ID, hex (default 9)\n"
    "  WDC_SIM_IRQ=N             interrupt number (default 16)\n"
    "  WDC_SIM_INT_OPTIONS=H     interrupt option bits, hex: 01 level, 10 MSI, 20 MSI-X\n"
    "                            (default 10); 'none' for a board without interrupt\n"
    "  WDC_SIM_CONSOLE=TEXT      text the board's processor sends on its console at\n"
    "                            start-up (escapes \\n \\r \\t \\\\)\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage_text, stdout);
            return 0;
        }
        std::fprintf(stderr, "boarddiag: unknown option %s\n%s", argv[i], usage_text);
        return 2;
    }
    return alt_pcie_qsys_simple_diag();
}
