#include "platform/proc/child_process.hpp"
#include "platform/proc/run_process.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::Errc;
using platform::ProcessOptions;
using platform::ProcessOutput;
using platform::run_process;
namespace detail = platform::proc_detail;
namespace fs = std::filesystem;

// Generous: only a broken implementation comes near it, and then the test fails instead of hanging.
constexpr int kLimitMs = 10000;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tamrel-proc-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    fs::path path_;
};

// No child of this process is left, not even a zombie.
bool no_child_left() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

TEST(RunProcess, ReportsHowTheCommandEnded) {
    struct Case {
        const char* script;
        int exit_code;
        int signal;
    };
    const Case cases[] = {{"exit 0", 0, 0}, {"exit 3", 3, 0}, {"exit 255", 255, 0}, {"kill -TERM $$", -1, SIGTERM}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const auto outcome = run_process("sh", {"-c", c.script}, kLimitMs);
        ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
        EXPECT_EQ(outcome->exit_code, c.exit_code);
        EXPECT_EQ(outcome->terminated_by_signal, c.signal != 0);
        EXPECT_EQ(outcome->signal, c.signal);
        EXPECT_FALSE(outcome->timed_out);
    }
    EXPECT_TRUE(no_child_left());
}

TEST(RunProcess, KillsAndReapsACommandThatOutlivesItsLimit) {
    const auto outcome = run_process("sleep", {"30"}, 200);
    ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
    EXPECT_TRUE(outcome->timed_out);
    EXPECT_TRUE(outcome->terminated_by_signal);
    EXPECT_EQ(outcome->signal, SIGKILL);
    EXPECT_TRUE(no_child_left());
}

TEST(RunProcess, PassesArgumentsUnchangedAndRunsInTheWorkingDirectory) {
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::vector<std::string> words = {"a b", "  two  spaces  ", "", "*", "$HOME", "quote'd \"x\"", "semi;colon"};
    std::vector<std::string> args = {"-c", "printf '%s|' \"$@\" > out.txt", "sh"};
    args.insert(args.end(), words.begin(), words.end());
    ProcessOptions options;
    options.working_directory = folder.path().string();

    const auto outcome = run_process("sh", args, kLimitMs, options);
    ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
    EXPECT_EQ(outcome->exit_code, 0);
    std::string expected;
    for (const auto& word : words) expected += word + "|";
    EXPECT_EQ(folder.read("out.txt"), expected);
}

TEST(RunProcess, StandardInputIsEmpty) {
    TempFolder folder;
    ProcessOptions options;
    options.working_directory = folder.path().string();
    const auto outcome = run_process("sh", {"-c", "if read line; then echo data; else echo end; fi > in.txt"},
                                     kLimitMs, options);
    ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
    EXPECT_FALSE(outcome->timed_out);
    EXPECT_EQ(folder.read("in.txt"), "end\n");
}

TEST(RunProcess, OutputIsInheritedOrDiscarded) {
    TempFolder folder;
    struct Case {
        ProcessOutput output;
        const char* expected;
    };
    for (const auto& c : {Case{ProcessOutput::inherit, "outerr"}, Case{ProcessOutput::discard, ""}}) {
        const auto capture = folder.path() / (c.output == ProcessOutput::inherit ? "inherit" : "discard");
        // This process's standard output and error go to a file while the command runs.
        std::fflush(stdout);
        std::fflush(stderr);
        const int saved_out = ::dup(1);
        const int saved_err = ::dup(2);
        ASSERT_TRUE(std::freopen(capture.c_str(), "w", stdout) != nullptr);
        ASSERT_EQ(::dup2(1, 2), 2);
        ProcessOptions options;
        options.output = c.output;
        const auto outcome = run_process("sh", {"-c", "printf out; printf err >&2"}, kLimitMs, options);
        std::fflush(stdout);
        ::dup2(saved_out, 1);
        ::dup2(saved_err, 2);
        ::close(saved_out);
        ::close(saved_err);

        ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
        EXPECT_EQ(outcome->exit_code, 0);
        EXPECT_EQ(folder.read(capture.filename().string()), c.expected);
    }
}

TEST(RunProcess, MissingProgramOrFolderIsNotFound) {
    EXPECT_EQ(run_process("tamrel-no-such-program", {}, kLimitMs).status().code(), Errc::not_found);
    EXPECT_EQ(run_process("/tamrel/no/such/program", {"x"}, kLimitMs).status().code(), Errc::not_found);
    ProcessOptions options;
    options.working_directory = "/tamrel/no/such/folder";
    const auto outcome = run_process("sh", {"-c", "exit 0"}, kLimitMs, options);
    EXPECT_EQ(outcome.status().code(), Errc::not_found);
    EXPECT_NE(outcome.status().message().find("working directory"), std::string::npos);
    EXPECT_TRUE(no_child_left());
}

TEST(RunProcess, RefusesNoProgramAndNoTimeLimit) {
    EXPECT_EQ(run_process("", {}, kLimitMs).status().code(), Errc::invalid_argument);
    EXPECT_EQ(run_process("sh", {"-c", "exit 0"}, 0).status().code(), Errc::invalid_argument);
    EXPECT_EQ(run_process("sh", {"-c", "exit 0"}, -1).status().code(), Errc::invalid_argument);
    EXPECT_TRUE(no_child_left());
}

// Each way of waiting, on its own: the pidfd where the kernel has it, and the waiter thread.
class WaitChild : public ::testing::TestWithParam<detail::WaitMethod> {};

TEST_P(WaitChild, ReturnsTheExitCode) {
    const auto pid = detail::spawn_child("sh", {"-c", "exit 7"}, {});
    ASSERT_TRUE(pid.ok()) << pid.status().describe();
    const auto outcome = detail::wait_child(*pid, kLimitMs, GetParam());
    if (!outcome.ok() && outcome.status().code() == Errc::unsupported) {
        ::kill(*pid, SIGKILL);
        ::waitpid(*pid, nullptr, 0);
        GTEST_SKIP() << outcome.status().describe();
    }
    ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
    EXPECT_EQ(outcome->exit_code, 7);
    EXPECT_FALSE(outcome->timed_out);
    EXPECT_EQ(::waitpid(*pid, nullptr, WNOHANG), -1);
}

TEST_P(WaitChild, KillsAndReapsOnTimeOut) {
    const auto pid = detail::spawn_child("sleep", {"30"}, {});
    ASSERT_TRUE(pid.ok()) << pid.status().describe();
    const auto outcome = detail::wait_child(*pid, 100, GetParam());
    if (!outcome.ok() && outcome.status().code() == Errc::unsupported) {
        ::kill(*pid, SIGKILL);
        ::waitpid(*pid, nullptr, 0);
        GTEST_SKIP() << outcome.status().describe();
    }
    ASSERT_TRUE(outcome.ok()) << outcome.status().describe();
    EXPECT_TRUE(outcome->timed_out);
    EXPECT_EQ(outcome->signal, SIGKILL);
    errno = 0;
    EXPECT_EQ(::waitpid(*pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

INSTANTIATE_TEST_SUITE_P(Methods, WaitChild,
                         ::testing::Values(detail::WaitMethod::pidfd, detail::WaitMethod::waiter_thread),
                         [](const ::testing::TestParamInfo<detail::WaitMethod>& method) {
                             return method.param == detail::WaitMethod::pidfd ? std::string("Pidfd")
                                                                              : std::string("WaiterThread");
                         });

}  // namespace
