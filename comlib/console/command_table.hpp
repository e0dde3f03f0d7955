#pragma once
// The console command table: 132 rows of an identifier and a name. A row's identifier equals its
// index, and the index is also the command identifier of the packets that report on that
// command. Names repeat where one command has two identifiers (start and stop); lookup always
// finds the first row. Rows named "None" are identifiers used only by packets.

#include <cstddef>
#include <cstdint>

#include "comlib/session/export.hpp"

inline constexpr std::size_t TM_CONSOLE_CMD_COUNT = 132;
inline constexpr std::size_t TM_CONSOLE_CMD_NAME_LEN = 1024;

struct _TmCMdConsoleCmd_t {
    std::uint32_t id;
    char16_t name[TM_CONSOLE_CMD_NAME_LEN];  // NUL-terminated, rest zero
};
static_assert(sizeof(_TmCMdConsoleCmd_t) == 2052, "a table row is 2,052 bytes");

TM_EXPORT extern const _TmCMdConsoleCmd_t gt_TmCACC[TM_CONSOLE_CMD_COUNT];
