// tamrel-host run as a process: lines on standard input, status lines on standard output, a
// clean end on SIGTERM and at the end of input.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stop_token>
#include <thread>
#include <string>
#include <vector>

#include "tests/support/child_process.hpp"
#include "tests/support/port_offset.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// tamrel-host as a child process.
class HostProcess : public tamrel::test::ChildProcess {
public:
    explicit HostProcess(std::vector<std::string> args) : ChildProcess(TAMREL_HOST_PATH, std::move(args)) {}
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tamrel-host-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        offset_ = std::to_string(pick_port_offset());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::vector<std::string> args(std::vector<std::string> extra = {}) {
        std::vector<std::string> a = {"--drives", (root_ / "drives").string(), "--port-offset", offset_};
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    }
    std::filesystem::path root_;
    std::string offset_;
};

TEST_F(HostTest, AnswersTypedLinesAndEndsCleanlyOnSigterm) {
    HostProcess host(args({"--echo"}));
    host.write_line("foo");
    ASSERT_TRUE(host.wait_for_line("No Command(foo)")) << host.output();
    EXPECT_TRUE(host.wait_for_line(">"));
    EXPECT_TRUE(host.has_line("# foo"));
    host.signal(SIGTERM);
    EXPECT_EQ(host.wait_exit(), 0) << host.errors();
    for (const char* drive : {"C", "D", "E"}) {
        EXPECT_TRUE(std::filesystem::is_directory(root_ / "drives" / drive)) << drive;
    }
}

TEST_F(HostTest, WithExitOnEofRunsEveryLineReadThenEnds) {
    HostProcess host(args({"--exit-on-eof"}));
    for (const char* line : {"hello", "Record", "  None"}) host.write_line(line);
    host.close_stdin();
    ASSERT_EQ(host.wait_exit(), 0) << host.errors();
    const std::string& out = host.output();
    const auto hello = out.find("No Command(hello)\n>\n");
    const auto record = out.find("No Command(Record)\n>\n");
    const auto none = out.find("No Command(None)\n>\n");
    EXPECT_NE(hello, std::string::npos) << out;
    EXPECT_NE(record, std::string::npos) << out;
    EXPECT_NE(none, std::string::npos) << out;
    EXPECT_LT(hello, record);
    EXPECT_LT(record, none);
}

TEST_F(HostTest, OpensEachKindOfSimulatedDevice) {
    struct Case {
        const char* device;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"none", {"Tamrel No Device", "Boards Number=0", "Tamrel Open Fail", "[Connect:Off]"}},
        {"sim1", {"Tamrel Device Ok", "Boards Number=1", "Tamrel Device Open Ok", "[Pre-Amp:Off]"}},
        {"sim2", {"Tamrel2 Device Ok", "Boards Number=1", "Tamrel2 Device Open Ok", "[BW:48.000M]"}},
    };
    for (const auto& c : cases) {
        HostProcess host(args({"--device", c.device, "--windows", "--exit-on-eof"}));
        host.write_line("hello");
        host.close_stdin();
        ASSERT_EQ(host.wait_exit(), 0) << host.errors();
        for (const auto& line : c.lines) EXPECT_TRUE(host.has_line(line)) << c.device << ": " << line;
        EXPECT_TRUE(host.has_line("No Command(hello)")) << c.device;
    }
}

TEST_F(HostTest, AnOldPumpFirmwareIsShownAsNeedingAnUpdate) {
    ASSERT_EQ(::setenv("TAMREL_SIM_PUMP_FPGA_VERSION", "2.1.0.0", 1), 0);
    HostProcess host(args({"--device", "sim2", "--exit-on-eof"}));
    ::unsetenv("TAMREL_SIM_PUMP_FPGA_VERSION");
    host.close_stdin();
    ASSERT_EQ(host.wait_exit(), 0) << host.errors();
    EXPECT_TRUE(host.has_line("Pump configuration flash needs an update")) << host.output();
    EXPECT_FALSE(host.has_line("DSP configuration flash needs an update"));
}

TEST_F(HostTest, QuitEndsTheProgram) {
    HostProcess host(args());
    host.write_line("quit");
    EXPECT_EQ(host.wait_exit(), 0) << host.errors();
}

TEST_F(HostTest, BadOptionsAreRefusedWithAMessage) {
    struct Case {
        std::vector<std::string> extra;
        std::string message;
    };
    const Case cases[] = {{{"--device", "sim3"}, "sim3"},
                          {{"--sim-speed", "fast"}, "fast"},
                          {{"--port-offset", "x"}, "--port-offset"},
                          {{"--allow", "10.1.2.3/16"}, "10.1.2.3/16"},
                          {{"--allow", "10.0.0.0/8,host"}, "host"},
                          {{"--bogus"}, "--bogus"}};
    for (const auto& c : cases) {
        HostProcess host(args(c.extra));
        EXPECT_EQ(host.wait_exit(), 2) << c.message;
        EXPECT_NE(host.errors().find(c.message), std::string::npos) << host.errors();
    }
}

}  // namespace

namespace {

// How many times `text` occurs in a UTF-16LE file (the project file's gain lines).
std::size_t count_utf16(const std::filesystem::path& file, const std::string& text) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string wide;
    for (const char c : text) wide += std::string{c, '\0'};
    std::size_t n = 0;
    for (std::size_t at = bytes.find(wide); at != std::string::npos; at = bytes.find(wide, at + 1)) ++n;
    return n;
}

// Waits up to 60 s for a project file in `folder` with `seconds` gain lines: its path (the last
// one seen when the lines did not come in time), or empty when none appeared.
std::filesystem::path wait_for_project(const std::filesystem::path& folder, std::size_t seconds) {
    std::filesystem::path project;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
            if (entry.path().extension() == ".wpj") project = entry.path();
        }
        if (!project.empty() && count_utf16(project, "$GAIN,") >= seconds) return project;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return project;
}

}  // namespace

TEST_F(HostTest, RecordsFromTheConsoleIntoTheDrivesFolder) {
    struct Case {
        const char* device;
        std::vector<std::string> setup;
        const char* start;
        const char* stop;
        const char* stopped;
    };
    const Case cases[] = {
        {"sim1", {}, "record 1", "record 0", "RecordStop"},
        {"sim2", {"t2recordiqrate 2000000"}, "t2record 1", "t2record 0", "Tm2RecordStop"},
    };
    for (const Case& c : cases) {
        const std::filesystem::path folder = root_ / "drives" / "D" / "TamrelData" / "Record";
        std::filesystem::remove_all(folder);
        HostProcess host(args({"--device", c.device, "--sim-speed", "4", "--exit-on-eof"}));
        host.write_line("connect");
        for (const std::string& line : c.setup) host.write_line(line);
        host.write_line("capturestoptype 1");
        host.write_line("capturetime 2");
        host.write_line(c.start);
        // Two seconds of samples make two gain lines; the capture time then stops the writing.
        const std::filesystem::path project = wait_for_project(folder, 2);
        host.write_line(c.stop);
        host.close_stdin();
        ASSERT_EQ(host.wait_exit(), 0) << c.device << host.errors();
        ASSERT_FALSE(project.empty()) << c.device << "\n" << host.output();
        EXPECT_EQ(count_utf16(project, "$GAIN,"), 2U) << c.device;
        EXPECT_EQ(count_utf16(project, "$Ver,1,IQ FileName,Cap_"), 1U) << c.device;
        std::filesystem::path sample = project;
        sample.replace_extension(".iqw");
        const std::uintmax_t size = std::filesystem::file_size(sample);
        EXPECT_GT(size, 0U) << c.device;
        EXPECT_EQ(size % 1'048'576U, 0U) << c.device;
        EXPECT_TRUE(host.has_line("Connect:Ok")) << c.device;
        EXPECT_TRUE(host.has_line(c.stopped)) << c.device << "\n" << host.output();
        EXPECT_TRUE(host.has_line("R-IQW(" + sample.filename().string() + ")")) << c.device;
    }
}

// A recording made from the console plays back into the simulated board unchanged: what the play
// sink received up to the pause is exactly the recording, cycled, from its first second.
TEST_F(HostTest, PlaysARecordingBackFromTheConsole) {
    struct Case {
        const char* device;
        std::vector<std::string> setup;
        std::string prefix;  // "" or "t2"
        const char* file_command;
    };
    const Case cases[] = {
        {"sim1", {}, "", "playfile "},
        {"sim2", {"t2recordiqrate 2000000"}, "t2", "t2playfile "},
    };
    // The remote host's keep-alives, so the connection outlives the watchdog's first 8 s.
    const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(sender, 0);
    sockaddr_in device{};
    device.sin_family = AF_INET;
    device.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    device.sin_port = htons(static_cast<std::uint16_t>(50505 + std::stoi(offset_)));
    std::jthread keep_alive([&](std::stop_token stop) {
        const std::uint32_t packet[5] = {0x057B51B8, 23, 0, 0, 0};
        while (!stop.stop_requested()) {
            (void)::sendto(sender, packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&device), sizeof device);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    });
    for (const Case& c : cases) {
        const std::filesystem::path folder = root_ / "drives" / "D" / "TamrelData" / "Record";
        std::filesystem::remove_all(folder);
        HostProcess host(args({"--device", c.device, "--sim-speed", "4", "--exit-on-eof"}));
        host.write_line("connect");
        for (const std::string& line : c.setup) host.write_line(line);
        host.write_line("capturestoptype 1");
        host.write_line("capturetime 2");
        host.write_line(c.prefix + "record 1");
        ASSERT_TRUE(host.wait_for_text("R-WPJ(")) << c.device << "\n" << host.output();
        const std::filesystem::path project = wait_for_project(folder, 2);
        ASSERT_FALSE(project.empty()) << c.device;
        host.write_line(c.prefix + "record 0");
        host.write_line(std::string("filelist 0 D:\\TamrelData\\Record"));
        host.write_line(c.file_command + std::string("D:\\TamrelData\\Record\\") + project.filename().string());
        ASSERT_TRUE(host.wait_for_line("Tamrel Project File:Ok")) << c.device << "\n" << host.output();
        host.write_line("sink clear");
        host.write_line(c.prefix + "play 1");
        ASSERT_TRUE(host.wait_for_line("File repeat")) << c.device << "\n" << host.output();
        host.write_line(c.prefix + "playpause");
        host.write_line("sink check");
        ASSERT_TRUE(host.wait_for_text("sink check:")) << c.device << "\n" << host.output();
        host.write_line(c.prefix + "playresume");
        host.write_line(c.prefix + "play 0");
        host.close_stdin();
        ASSERT_EQ(host.wait_exit(), 0) << c.device << host.errors();
        EXPECT_TRUE(host.has_line("filelist:Ok")) << c.device;
        EXPECT_TRUE(host.has_line(c.prefix.empty() ? "PlayPause" : "Tm2PlayPause")) << c.device;
        EXPECT_TRUE(host.has_line(c.prefix.empty() ? "PlayResume" : "Tm2PlayResume")) << c.device;
        EXPECT_TRUE(host.has_line("PlayStop")) << c.device << "\n" << host.output();
        EXPECT_NE(host.output().find("are exactly the recording played from second 0"), std::string::npos)
            << c.device << "\n" << host.output();
    }
    keep_alive.request_stop();
    keep_alive.join();
    ::close(sender);
}
