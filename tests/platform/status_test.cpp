#include "platform/status.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(Status, MapsErrnoToCodesAndKeepsWhatWasAttempted) {
    struct Case {
        int err;
        platform::Errc code;
    };
    const Case cases[] = {{ENOENT, platform::Errc::not_found}, {EEXIST, platform::Errc::exists},
                          {EACCES, platform::Errc::access_denied}, {ENOSPC, platform::Errc::no_space},
                          {EIO, platform::Errc::io_error}};
    for (const auto& c : cases) {
        const auto status = platform::Status::from_errno(c.err, "open D:\\x");
        EXPECT_FALSE(status.ok());
        EXPECT_EQ(status.code(), c.code);
        EXPECT_EQ(status.sys_errno(), c.err);
        EXPECT_NE(status.describe().find("open D:\\x"), std::string::npos);
    }
}

TEST(Status, ResultHoldsValueOrStatus) {
    platform::Result<int> good = 7;
    platform::Result<int> bad = platform::Status(platform::Errc::timeout, "wait");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 7);
    EXPECT_TRUE(good.status().ok());
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.status().code(), platform::Errc::timeout);
}

}  // namespace
