#pragma once
// A program under test run as a child process: its standard input kept open for lines, its
// standard output and error collected, every wait bounded by a deadline. The destructor kills a
// child that is still running, so a failing test leaves no process behind.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tamrel::test {

// A child process with its standard input kept open and its output collected.
class ChildProcess {
public:
    using Clock = std::chrono::steady_clock;
    using seconds = std::chrono::seconds;

    ChildProcess(const std::string& program, std::vector<std::string> args) {
        int in[2];
        int out[2];
        int err[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            std::vector<char*> argv;
            std::string path = program;
            argv.push_back(path.data());
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        stderr_ = err[0];
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        close_stdin();
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {stdout_, stderr_}) {
            if (fd >= 0) ::close(fd);
        }
    }

    void write_line(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void close_stdin() {
        if (stdin_ >= 0) ::close(stdin_);
        stdin_ = -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }

    // Reads standard output until it contains `fragment` or the time is up.
    bool wait_for_text(const std::string& fragment, seconds limit = seconds(30)) {
        const auto deadline = Clock::now() + limit;
        while (output_.find(fragment) == std::string::npos && Clock::now() < deadline) {
            if (!read_some(deadline)) break;
        }
        return output_.find(fragment) != std::string::npos;
    }
    bool wait_for_line(const std::string& line, seconds limit = seconds(30)) {
        return wait_for_text("\n" + line + "\n", limit) || ("\n" + output_).find("\n" + line + "\n") != std::string::npos;
    }
    // Waits for the end of the process: its exit code, or nothing when it outlived the limit.
    std::optional<int> wait_exit(seconds limit = seconds(60)) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                while (read_some(Clock::now() + std::chrono::milliseconds(200))) {
                }
                drain_errors();
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            read_some(Clock::now() + std::chrono::milliseconds(50));
        }
        return std::nullopt;
    }
    const std::string& output() const { return output_; }
    const std::string& errors() const { return errors_; }
    // Whether a whole line of the output read so far is `text`.
    bool has_line(const std::string& text) const {
        return ("\n" + output_).find("\n" + text + "\n") != std::string::npos;
    }

private:
    // False at the end of the output or when nothing arrived before the deadline.
    bool read_some(Clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{stdout_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::max<long long>(0, left))) <= 0) return false;
        char buffer[4096];
        const ssize_t got = ::read(stdout_, buffer, sizeof buffer);
        if (got <= 0) return false;
        output_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
    void drain_errors() {
        while (true) {
            pollfd p{stderr_, POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0) return;
            char buffer[4096];
            const ssize_t got = ::read(stderr_, buffer, sizeof buffer);
            if (got <= 0) return;
            errors_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    bool exited_ = false;
    std::string output_;
    std::string errors_;
};

}  // namespace tamrel::test
