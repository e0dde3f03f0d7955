#include "platform/fs/drive_table.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// Lookups from several threads while the mapping of a letter changes: every lookup must see one
// of the two mappings whole, never a torn one.
TEST(DriveTableThreads, LookupsRaceWithMappingChanges) {
    fs_test::TempDir root;
    fs_test::TempDir other;
    ASSERT_TRUE(root.ok());
    ASSERT_TRUE(other.ok());
    fs_test::make_folder(root / "E");
    platform::DriveTable drives(root.path());
    const std::string by_root = root / "E/x.iqw";
    const std::string by_map = other / "x.iqw";

    constexpr int rounds = 2000;
    std::atomic<int> bad{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                auto got = drives.resolve(u"E:\\x.iqw");
                if (!got || (*got != by_root && *got != by_map)) ++bad;
                if ((drives.drive_mask() & (1u << 4)) == 0) ++bad;
            }
        });
    }
    for (int i = 0; i < rounds; ++i) {
        ASSERT_TRUE(drives.map(u'E', other.path()));
        ASSERT_TRUE(drives.unmap(u'e'));
    }
    stop.store(true);
    for (auto& r : readers) r.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
