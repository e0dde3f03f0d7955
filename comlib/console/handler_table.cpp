// Which table rows have a command handler. Rows without one (the "None" rows, the second row of
// every repeated name, and the rows whose commands are not built yet) are answered by the string
// commands.

#include "comlib/console/command_table.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"

CTamrelComMFC::CommandHandler CTamrelComMFC::command_handler(std::size_t row) {
    static constexpr CommandHandler kHandlers[TM_CONSOLE_CMD_COUNT] = {};
    return row < TM_CONSOLE_CMD_COUNT ? kHandlers[row] : nullptr;
}
