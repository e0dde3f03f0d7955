#include <gtest/gtest.h>

#include <set>

#include "tamrelapi/status.hpp"

namespace tamrel::api {
namespace {

constexpr unsigned kLibraryStatuses[] = {
    status_no_device, status_not_open,     status_invalid_argument, status_wrong_generation,
    status_timeout,   status_device_error, status_play_not_started,
};

TEST(Status, LibraryStatusesAreDistinctNamedAndNeverTheSessionsOwn) {
    std::set<unsigned> session_codes = {4096, 7168};
    for (unsigned code = 6912; code <= 6924; ++code) session_codes.insert(code);

    std::set<unsigned> seen;
    for (unsigned status : kLibraryStatuses) {
        EXPECT_NE(status, status_ok);
        EXPECT_TRUE(seen.insert(status).second) << describe_status(status);
        EXPECT_FALSE(session_codes.contains(status)) << describe_status(status);
        EXPECT_STRNE(status_name(status), "unknown") << status;
    }
}

TEST(Status, DescribeGivesHexAndName) {
    EXPECT_EQ(describe_status(status_no_device), "0xE001 (no device)");
    EXPECT_EQ(describe_status(status_ok), "0 (ok)");
    EXPECT_EQ(describe_status(0xF000), "0xF000 (play not started)");
    EXPECT_EQ(describe_status(0xE0AB), "0xE0AB (unknown)");
}

}  // namespace
}  // namespace tamrel::api
