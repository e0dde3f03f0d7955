// Play and capture file commands. Without a name the operator is asked for a path; an empty
// answer cancels, and the open then fails as it would with no name.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "boarddiag/shell/commands.hpp"
#include "boarddiag/shell/file_prompt.hpp"
#include "boarddiag/shell/shell_state.hpp"

namespace boarddiag {
namespace {

void close_file(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The name given after the command (at most 69 characters), or the one the operator types.
std::string file_name(std::string_view args, const char* cancel_text) {
    const std::string text(args);
    char name[70] = {};
    if (std::sscanf(text.c_str(), "%69s", name) == 1) return name;
    std::string path;
    if (!ask_file_path("File path (*.iqw; empty line cancels): ", path)) {
        std::printf("%s", cancel_text);
        path.clear();
    }
    return path;
}

}  // namespace

void command_f_open(std::string_view args) {
    ShellState& state = shell_state();
    close_file(state.play_file);
    state.play_length = 0;
    const std::string name = file_name(args, "File open canceled!!\r\n");
    const int fd = name.empty() ? -1 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) ::close(fd);
        std::printf("File open error!!\r\n");
        return;
    }
    state.play_file = fd;
    state.play_length = info.st_size;
}

void command_f_create(std::string_view args) {
    ShellState& state = shell_state();
    close_file(state.capture_file);
    const std::string name = file_name(args, "File creating canceled!!\r\n");
    const int fd =
        name.empty() ? -1 : ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::printf("File open error!!\r\n");
        return;
    }
    state.capture_file = fd;
}

void command_f_close(std::string_view /*args*/) { close_file(shell_state().capture_file); }

void command_txf_close(std::string_view /*args*/) { close_file(shell_state().play_file); }

}  // namespace boarddiag
