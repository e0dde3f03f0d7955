#include "boarddiag/shell/board_console.hpp"

#include <cstdio>

#include "boarddiag/shell/shell_state.hpp"

namespace boarddiag {

bool relay_board_console(std::uint32_t limit) {
    WDC_DEVICE_HANDLE board = shell_state().board;
    if (board == nullptr) return false;
    UINT32 count = 0;
    if (WDC_ReadAddr32(board, 2, 0x4018, &count) != WD_STATUS_SUCCESS) return false;
    if (count < 1 || count > limit) return false;
    for (UINT32 i = 0; i < count; ++i) {
        BYTE ch = 0;
        WDC_ReadAddr8(board, 2, 0x4000, &ch);
        std::printf("%c", ch);
    }
    return true;
}

}  // namespace boarddiag
