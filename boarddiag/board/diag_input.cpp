#include "boarddiag/board/diag_input.hpp"

#include <cctype>
#include <cstdio>
#include <string>

#include "boarddiag/board/line_reader.hpp"

int DIAG_InputData(const char* prompt, UINT32* value, bool hexadecimal, UINT64 minimum,
                   UINT64 maximum) {
    if (value == nullptr) {
        std::printf("DIAG_InputData: Error - NULL input pointer\n");
        return 0;
    }
    if (prompt == nullptr || *prompt == '\0') prompt = "Enter input";
    std::printf("%s (to cancel press '%c'): %s", prompt, 'x', hexadecimal ? "0x" : "");
    std::fflush(stdout);
    std::string line;
    boarddiag::read_input_line(line, 256);
    if (!line.empty() && std::tolower(static_cast<unsigned char>(line[0])) == 'x') return -1;
    unsigned int parsed = 0;
    if (std::sscanf(line.c_str(), hexadecimal ? "%X" : "%u", &parsed) < 1) {
        std::printf("Invalid input\n");
        return 0;
    }
    if (maximum > minimum && (parsed < minimum || parsed > maximum)) {
        std::printf("Invalid input: Input must be between ");
        if (hexadecimal) {
            std::printf("0x%llX and 0x%llX\n", static_cast<unsigned long long>(minimum),
                        static_cast<unsigned long long>(maximum));
        } else {
            std::printf("0x%lld and 0x%lld\n", static_cast<long long>(minimum),
                        static_cast<long long>(maximum));
        }
        return 0;
    }
    *value = parsed;
    return 1;
}
