#include "host/line_input.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <readline/history.h>
#include <readline/readline.h>

namespace {
// readline's callback interface takes a plain function; there is one input per process.
LineInput* g_input = nullptr;
std::function<void(char*)> g_readline_line;

void readline_callback(char* line) { g_readline_line(line); }
}  // namespace

LineInput::LineInput(LineHandler on_line, std::function<void()> on_eof)
    : on_line_(std::move(on_line)), on_eof_(std::move(on_eof)),
      interactive_(::isatty(0) == 1 && ::isatty(1) == 1) {
    if (interactive_) {
        g_input = this;
        g_readline_line = [this](char* line) {
            if (line == nullptr) {
                rl_callback_handler_remove();
                ended_ = true;
                std::fputs("\n", stdout);
                on_eof_();
                return;
            }
            if (line[0] != '\0') add_history(line);
            std::string text(line);
            std::free(line);
            on_line_(text);
        };
        rl_callback_handler_install("", readline_callback);
    }
}

LineInput::~LineInput() {
    if (interactive_ && !ended_) rl_callback_handler_remove();
    g_input = nullptr;
}

void LineInput::on_readable() {
    if (ended_) return;
    if (interactive_) {
        rl_callback_read_char();
        return;
    }
    char buffer[4096];
    const ssize_t got = ::read(0, buffer, sizeof buffer);
    if (got <= 0) {
        if (got < 0 && errno == EINTR) return;
        ended_ = true;
        if (!pending_.empty()) take_line(std::move(pending_));
        pending_.clear();
        on_eof_();
        return;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    std::size_t start = 0;
    for (std::size_t nl = pending_.find('\n'); nl != std::string::npos; nl = pending_.find('\n', start)) {
        take_line(pending_.substr(start, nl - start));
        start = nl + 1;
    }
    pending_.erase(0, start);
}

void LineInput::take_line(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    on_line_(line);
}

void LineInput::print_line(const std::string& text) {
    if (interactive_ && !ended_) {
        rl_clear_visible_line();
        std::fputs(text.c_str(), stdout);
        std::fputc('\n', stdout);
        rl_on_new_line();
        rl_redisplay();
    } else {
        std::fputs(text.c_str(), stdout);
        std::fputc('\n', stdout);
    }
}
