// Register and memory commands: reset, bar0, bar2, clear, gpo. Every printed value starts at 0,
// so a failed scan or read prints 0, never leftovers.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "boarddiag/shell/commands.hpp"
#include "boarddiag/shell/shell_state.hpp"

namespace boarddiag {
namespace {

constexpr UINT64 board_memory = 0x10000000;
constexpr UINT64 fill_pattern = 0x5555AAAA5555AAAAull;
constexpr UINT64 gpo_register = 0x4140;

}  // namespace

void command_reset(std::string_view /*args*/) {
    ShellState& state = shell_state();
    WDC_WriteAddr32(state.board, 2, 0x1000C, capture_ring_start);
    WDC_WriteAddr32(state.board, 2, 0x10000, 0);
    state.capture_read = capture_ring_start;
    WDC_WriteAddr32(state.board, 2, 0x1002C, play_ring_start);
    WDC_WriteAddr32(state.board, 2, 0x10020, 0);
    state.play_write = play_ring_start;
}

void command_bar0(std::string_view args) {
    const std::string text(args);
    unsigned int address = 0;
    unsigned long long value = 0;
    const int parsed = std::sscanf(text.c_str(), "%x %llx", &address, &value);
    if (parsed < 1) {
        std::printf(">bar0(bar0 read/write with 32bit address and 64bit data)\n");
        return;
    }
    WDC_DEVICE_HANDLE board = shell_state().board;
    if (parsed == 2) WDC_WriteAddr64(board, 0, address, value);
    UINT64 read = 0;
    WDC_ReadAddr64(board, 0, address, &read);
    std::printf("\nrw(0x%08x):0x%016llx\r\n", address, static_cast<unsigned long long>(read));
}

void command_bar2(std::string_view args) {
    const std::string text(args);
    unsigned int address = 0;
    unsigned int value = 0;
    const int parsed = std::sscanf(text.c_str(), "%x %x", &address, &value);
    if (parsed < 1) {
        std::printf(">bar2(bar2 read/write with 32bit address and 32bit data)\n");
        return;
    }
    WDC_DEVICE_HANDLE board = shell_state().board;
    if (parsed == 2) WDC_WriteAddr32(board, 2, address, value);
    UINT32 read = 0;
    WDC_ReadAddr32(board, 2, address, &read);
    std::printf("\nrw(0x%08x):0x%08x\r\n", address, read);
}

void command_clear(std::string_view args) {
    const std::string text(args);
    unsigned int start = 0;
    unsigned int end = 0;
    if (std::sscanf(text.c_str(), "%x %x", &start, &end) == 2) {
        if (start > board_memory || end > board_memory) {
            std::printf("\r\n Parameter out of range!!");
            return;
        }
        WDC_DEVICE_HANDLE board = shell_state().board;
        for (UINT64 a = start; a < end; a += 8) WDC_WriteAddr64(board, 0, board_memory + a, fill_pattern);
    }
    std::printf("\nUsage: clear [Start DRAM offset] [End DRAM offset]\r\n");
}

void command_gpo(std::string_view args) {
    ShellState& state = shell_state();
    const std::string text(args);
    unsigned int value = 0;
    if (std::sscanf(text.c_str(), "%x", &value) == 1) {
        if (WDC_WriteAddr32(state.board, 2, gpo_register, value) == WD_STATUS_SUCCESS) {
            state.gpo_shadow = value;
        }
    }
    UINT32 read = 0;
    if (WDC_ReadAddr32(state.board, 2, gpo_register, &read) == WD_STATUS_SUCCESS) {
        state.gpo_shadow = read;
    }
    std::printf("\n GPO:0x%08x\r\n", read);
}

void command_prompt(std::string_view args) {
    const std::string text(args);
    unsigned int value = 0;
    if (std::sscanf(text.c_str(), "%u", &value) == 1) {
        shell_state().prompt_on = value != 0 ? 1 : 0;
    } else {
        std::printf("\r\n promt 1/0 = prompt display on/off \r\n");
    }
}

void command_exit(std::string_view /*args*/) {
    std::fflush(stdout);
    std::exit(0);  // the terminal is restored by the exit handler
}

}  // namespace boarddiag
