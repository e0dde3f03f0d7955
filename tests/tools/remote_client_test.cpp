// tamrel-remote run as a process against tamrel-host over loopback: the search, a whole
// recording, the listing of it, a watch ended by SIGTERM, and the watchdog dropping a host that
// sends no keep-alives.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/port_offset.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

// A child process with its standard input kept open and its output collected.
class Process {
public:
    Process(const std::string& program, std::vector<std::string> args) {
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
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
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

std::size_t count(const std::string& text, const std::string& fragment) {
    std::size_t n = 0;
    for (auto at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++n;
    return n;
}

class RemoteClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tamrel-remote-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        offset_ = pick_port_offset();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    // A simulated instrument (second generation unless told), ready for remote hosts.
    std::unique_ptr<Process> start_host(const std::string& device = "sim2") {
        auto host = std::make_unique<Process>(
            TAMREL_HOST_PATH, std::vector<std::string>{"--drives", (root_ / "drives").string(), "--port-offset",
                                                       std::to_string(offset_), "--device", device, "--sim-speed",
                                                       "4"});
        // A rate the simulated disk keeps up with; the next line's answer shows it was taken.
        if (device == "sim2") host->write_line("t2recordiqrate 2000000");
        host->write_line("hello");
        EXPECT_TRUE(host->wait_for_line("No Command(hello)")) << host->output();
        return host;
    }
    std::vector<std::string> remote_args(std::vector<std::string> command) const {
        std::vector<std::string> a = {"--port-offset", std::to_string(offset_), "--timeout", "15"};
        a.insert(a.end(), command.begin(), command.end());
        return a;
    }
    // Runs the client to its end; its exit code (-1 when it did not end).
    int run_remote(std::vector<std::string> command, std::string& output) {
        Process remote(TAMREL_REMOTE_PATH, remote_args(std::move(command)));
        const auto code = remote.wait_exit();
        output = remote.output() + remote.errors();
        return code.value_or(-1);
    }
    std::filesystem::path root_;
    int offset_ = 0;
};

TEST_F(RemoteClientTest, SearchPrintsTheSettingsBlock) {
    auto host = start_host();
    std::string out;
    ASSERT_EQ(run_remote({"search"}, out), 0) << out;
    for (const char* line : {"\nserial: ", "\nconnected: 0\n", "\nrun status: 0 (idle)\n", "\nrecord iq rate: 2000000\n"}) {
        EXPECT_NE(("\n" + out).find(line), std::string::npos) << line << "\n" << out;
    }
}

TEST_F(RemoteClientTest, WithoutAnInstrumentTheClientFailsAtTheTimeout) {
    Process remote(TAMREL_REMOTE_PATH, {"--port-offset", std::to_string(offset_), "--timeout", "1", "search"});
    const auto code = remote.wait_exit();
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 1);
    EXPECT_NE(remote.errors().find("search: timed out"), std::string::npos) << remote.errors();
}

TEST_F(RemoteClientTest, RecordsForTwoSecondsThenListsAndPlaysTheRecording) {
    auto host = start_host();
    std::string out;
    ASSERT_EQ(run_remote({"record", "2"}, out), 0) << out << "\n" << host->output();
    const auto connected = out.find("\nconnected\n");
    const auto started = out.find("[93/2] ack");
    const auto stopped = out.find("[94/2] ack");
    const auto disconnected = out.find("[2/2] ack\ndisconnected\n");
    ASSERT_NE(connected, std::string::npos) << out;
    ASSERT_NE(started, std::string::npos) << out;
    ASSERT_NE(stopped, std::string::npos) << out;
    ASSERT_NE(disconnected, std::string::npos) << out;
    EXPECT_LT(connected, started);
    EXPECT_LT(started, stopped);
    EXPECT_LT(stopped, disconnected);
    // The recording ran until two seconds of samples were reported, each by its gain line.
    EXPECT_GE(count(out.substr(started, stopped - started), "[13/138] gain $GAIN,"), 2U) << out;

    const std::filesystem::path folder = root_ / "drives" / "D" / "TamrelData" / "Record";
    std::vector<std::filesystem::path> projects;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        if (entry.path().extension() == ".wpj") projects.push_back(entry.path());
    }
    ASSERT_EQ(projects.size(), 1U) << out;
    std::filesystem::path sample = projects[0];
    sample.replace_extension(".iqw");
    EXPECT_TRUE(std::filesystem::exists(sample));

    ASSERT_EQ(run_remote({"list", "D:\\TamrelData\\Record"}, out), 0) << out << "\n" << host->output();
    EXPECT_NE(out.find("[42/133]"), std::string::npos) << out;
    EXPECT_NE(out.find("[42/136]"), std::string::npos) << out;
    EXPECT_EQ(count(out, "file " + projects[0].stem().string()), 1U) << out;
    EXPECT_NE(out.find("sample " + sample.filename().string()), std::string::npos) << out;

    const std::string file = "D:\\TamrelData\\Record\\" + projects[0].filename().string();
    ASSERT_EQ(run_remote({"play", file, "2"}, out), 0) << out << "\n" << host->output();
    const auto opened = out.find("[106/2] ack");
    const auto playing = out.find("[95/2] ack\nplaying\n");
    const auto play_stopped = out.find("[96/2] ack");
    ASSERT_NE(opened, std::string::npos) << out;
    ASSERT_NE(playing, std::string::npos) << out;
    ASSERT_NE(play_stopped, std::string::npos) << out;
    EXPECT_LT(opened, playing);
    EXPECT_LT(playing, play_stopped);
    EXPECT_GE(count(out.substr(playing, play_stopped - playing), "[13/145] elapsed "), 2U) << out;
    EXPECT_NE(out.find("disconnected\n", play_stopped), std::string::npos) << out;
}

// The first generation's road of a recording: connect, keep-alives, record start (5), a gain
// line and GPS packet per second, record stop (6), disconnect. (Drive sizes come every 4 s;
// the watch test sees them.)
TEST_F(RemoteClientTest, AFirstGenerationRecordingReportsEverySecondAndStopsWithPacket6) {
    auto host = start_host("sim1");
    std::string out;
    ASSERT_EQ(run_remote({"record", "2"}, out), 0) << out << "\n" << host->output();
    const auto started = out.find("[5/2] ack");
    const auto stopped = out.find("[6/2] ack");
    ASSERT_NE(started, std::string::npos) << out;
    ASSERT_NE(stopped, std::string::npos) << out;
    EXPECT_LT(started, stopped);
    const std::string recording = out.substr(started, stopped - started);
    EXPECT_GE(count(recording, "[13/138] gain $GAIN,"), 2U) << out;
    EXPECT_GE(count(recording, "[14/142]"), 2U) << out;
    EXPECT_NE(out.find("[2/2] ack\ndisconnected\n", stopped), std::string::npos) << out;
}

TEST_F(RemoteClientTest, ALineRunsAsIfTypedAtTheConsole) {
    auto host = start_host();
    Process remote(TAMREL_REMOTE_PATH, {"--port-offset", std::to_string(offset_), "--timeout", "2", "line",
                                        "folderlist 0 D:\\"});
    ASSERT_EQ(remote.wait_exit(), 0) << remote.errors();
    const std::string& out = remote.output();
    const auto begin = out.find("[41/133] list begin");
    const auto end = out.find("[41/136] list end");
    ASSERT_NE(begin, std::string::npos) << out;
    ASSERT_NE(end, std::string::npos) << out;
    EXPECT_NE(out.find("[41/134] folder TamrelData"), std::string::npos) << out;
    EXPECT_NE(out.find("disconnected\n", end), std::string::npos) << out;
}

TEST_F(RemoteClientTest, WatchPrintsReportsAndDisconnectsOnSigterm) {
    auto host = start_host();
    Process remote(TAMREL_REMOTE_PATH, remote_args({"watch"}));
    ASSERT_TRUE(remote.wait_for_line("connected")) << remote.output() << remote.errors();
    // The status thread reports the drive sizes every few seconds.
    ASSERT_TRUE(remote.wait_for_text("[43/4] drive total ")) << remote.output();
    remote.signal(SIGTERM);
    EXPECT_EQ(remote.wait_exit(), 0) << remote.errors();
    EXPECT_NE(remote.output().find("\ndisconnected\n"), std::string::npos) << remote.output();
    EXPECT_TRUE(host->wait_for_line("Disconnect:Ok")) << host->output();
}

TEST_F(RemoteClientTest, TheWatchdogDropsAHostThatSendsNoKeepAlives) {
    auto host = start_host();
    const std::string port = std::to_string(50507 + offset_);
    Process remote(TAMREL_REMOTE_PATH, {"--port-offset", std::to_string(offset_), "--timeout", "1", "send", "1", port});
    ASSERT_EQ(remote.wait_exit(), 0) << remote.errors();
    EXPECT_NE(remote.output().find("[1/2] ack, settings of"), std::string::npos) << remote.output();
    EXPECT_TRUE(host->wait_for_line("Disconnected", seconds(30))) << host->output();
}

}  // namespace
