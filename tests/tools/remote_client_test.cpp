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

#include "tests/support/child_process.hpp"
#include "tests/support/port_offset.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

using Process = tamrel::test::ChildProcess;

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
