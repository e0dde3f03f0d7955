#include "boarddiag/shell/file_prompt.hpp"

#include <cstdio>

#include "boarddiag/shell/key_input.hpp"

namespace boarddiag {
namespace {

constexpr std::size_t max_path = 1023;

}  // namespace

bool ask_file_path(const char* question, std::string& path) {
    path.clear();
    std::printf("%s", question);
    std::fflush(stdout);
    for (;;) {
        unsigned char key = 0;
        const KeyWait got = wait_for_key(100, key);
        if (got == KeyWait::end) break;
        if (got == KeyWait::none) continue;
        if (key == '\n' || key == '\r') break;
        if ((key == 8 || key == 127) && !path.empty()) {
            path.pop_back();
            std::printf("\b \b");
        } else if (key >= 32 && key <= 126 && path.size() < max_path) {
            path += static_cast<char>(key);
            std::printf("%c", key);
        }
        std::fflush(stdout);
    }
    std::printf("\r\n");
    return !path.empty();
}

}  // namespace boarddiag
