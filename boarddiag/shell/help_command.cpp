#include <cstdio>

#include "boarddiag/shell/commands.hpp"

namespace boarddiag {

void command_help(std::string_view /*args*/) {
    static const char* const lines[] = {
        "\n********** help functions **********\n",
        ">help(Print this message)\n ex)h\n",
        ">spi(SPI module access)\n",
        ">bar0(bar0 read/write with 32bit address and 64bit data)\n",
        ">bar2(bar2 read/write with 32bit address and 32bit data)\n",
        ">x(Exit)\n ex)x\n",
        "****************************\n",
    };
    for (const char* line : lines) std::fputs(line, stdout);
}

}  // namespace boarddiag
