#include "platform/net/interruptible_fd.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace {

using platform::Errc;
using platform::InterruptibleFd;
using namespace std::chrono_literals;

bool descriptor_is_open(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// The read end of a pipe nobody writes to: waiting on it blocks until something ends the wait.
struct QuietPipe {
    QuietPipe() {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
        read_end = fds[0];
        write_end = fds[1];
    }
    ~QuietPipe() { ::close(write_end); }
    int read_end = -1;
    int write_end = -1;
};

TEST(InterruptibleFd, WaitTimesOutAndReportsReadiness) {
    QuietPipe pipe;
    InterruptibleFd fd;
    ASSERT_TRUE(fd.adopt(pipe.read_end, "pipe").ok());
    auto use = fd.use();
    ASSERT_TRUE(use.ok());
    EXPECT_EQ(use->wait(POLLIN, 20).status().code(), Errc::timeout);
    ASSERT_EQ(::write(pipe.write_end, "x", 1), 1);
    const auto ready = use->wait(POLLIN, 5000);
    ASSERT_TRUE(ready.ok()) << ready.status().describe();
    EXPECT_NE(*ready & POLLIN, 0);
}

TEST(InterruptibleFd, CloseEndsWaitAndReleasesDescriptorWhenTheLastUseLeaves) {
    QuietPipe pipe;
    InterruptibleFd fd;
    ASSERT_TRUE(fd.adopt(pipe.read_end, "pipe").ok());
    auto use = fd.use();
    ASSERT_TRUE(use.ok());

    auto closer = std::async(std::launch::async, [&fd] { fd.close(5s); });
    // The wait ends because of close(), not because of its own limit.
    EXPECT_EQ(use->wait(POLLIN, -1).status().code(), Errc::closed);
    // Still in use: the number must not have been released yet.
    EXPECT_TRUE(descriptor_is_open(pipe.read_end));
    EXPECT_EQ(closer.wait_for(0s), std::future_status::timeout);
    EXPECT_FALSE(fd.is_open());
    EXPECT_EQ(fd.use().status().code(), Errc::closed);

    { auto leaving = std::move(*use); }
    ASSERT_EQ(closer.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(descriptor_is_open(pipe.read_end));
}

TEST(InterruptibleFd, CloseThatStopsWaitingLeavesTheReleaseToTheLastUse) {
    QuietPipe pipe;
    InterruptibleFd fd;
    ASSERT_TRUE(fd.adopt(pipe.read_end, "pipe").ok());
    {
        auto use = fd.use();
        ASSERT_TRUE(use.ok());
        fd.close(1ms);
        EXPECT_TRUE(descriptor_is_open(pipe.read_end));
        // Not reusable while the release is pending.
        EXPECT_EQ(fd.adopt(::dup(pipe.write_end), "pipe").code(), Errc::exists);
    }
    EXPECT_FALSE(descriptor_is_open(pipe.read_end));
}

TEST(InterruptibleFd, AdoptsAgainAfterRelease) {
    QuietPipe first;
    QuietPipe second;
    InterruptibleFd fd;
    ASSERT_TRUE(fd.adopt(first.read_end, "pipe").ok());
    EXPECT_EQ(fd.adopt(::dup(second.read_end), "pipe").code(), Errc::exists);
    fd.close();
    ASSERT_TRUE(fd.adopt(second.read_end, "pipe").ok());
    auto use = fd.use();
    ASSERT_TRUE(use.ok());
    EXPECT_EQ(use->fd(), second.read_end);
}

}  // namespace
