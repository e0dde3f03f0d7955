#include "platform/fs/find_files.hpp"

#include "platform/text/utf.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

namespace {

using platform::DriveTable;
using platform::Errc;
using platform::FindEntry;

TEST(Wildcard, MatchesLikeADirectorySearch) {
    const struct {
        std::u16string pattern;
        std::u16string name;
        bool match;
    } cases[] = {
        {u"*", u"anything.iqw", true},
        {u"*.iqw", u"rec.iqw", true},
        {u"*.iqw", u"rec.IQW", true},
        {u"*.IQW", u"rec.iqw", true},
        {u"*.iqw", u"rec.iqw.bak", false},
        {u"*.iqw", u"iqw", false},
        {u"rec?.bbr", u"rec1.bbr", true},
        {u"rec?.bbr", u"rec.bbr", false},
        {u"rec?.bbr", u"rec12.bbr", false},
        {u"*a*b*", u"xxaxxbxx", true},
        {u"*a*b*", u"xxbxxaxx", false},
        {u"a*", u"a", true},
        {u"*.*", u"noextension", true},
        {u"*.*", u"x.y", true},
        {u"exact.txt", u"exact.txt", true},
        {u"exact.txt", u"exact.txt2", false},
        {u"\u00DC*", u"\u00FCber", false},  // only ASCII letters fold
        {u"?", u"\U0001F600", false},        // one unit of two
        {u"??", u"\U0001F600", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::matches_wildcard(c.pattern, c.name), c.match)
            << platform::to_utf8(c.pattern) << " vs " << platform::to_utf8(c.name);
    }
}

class FindFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.ok());
        rec_ = root_ / "D/Record";
        fs_test::make_folder(rec_ + "/sub.iqw");
        fs_test::write_bytes(rec_ + "/a.iqw", "12345");
        fs_test::write_bytes(rec_ + "/B.IQW", "");
        fs_test::write_bytes(rec_ + "/c.txt", "text");
        fs_test::write_bytes(rec_ + "/.hidden.iqw", "hh");
        drives_.set_root(root_.path());
    }
    fs_test::TempDir root_;
    std::string rec_;
    DriveTable drives_;
};

std::vector<std::u16string> names_of(const std::vector<FindEntry>& entries) {
    std::vector<std::u16string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

TEST_F(FindFilesTest, ListsMatchesSortedWithFlagsSizeAndTime) {
    const struct timespec times[2] = {{1700000000, 0}, {1700000123, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (rec_ + "/a.iqw").c_str(), times, 0), 0);

    auto found = platform::find_files(drives_, u"D:\\Record\\*.iqw");
    ASSERT_TRUE(found) << found.status().describe();
    EXPECT_EQ(names_of(*found), (std::vector<std::u16string>{u".hidden.iqw", u"B.IQW", u"a.iqw", u"sub.iqw"}));
    const FindEntry& hidden = (*found)[0];
    EXPECT_TRUE(hidden.hidden);
    EXPECT_FALSE(hidden.directory);
    EXPECT_EQ(hidden.size, 2u);
    const FindEntry& a = (*found)[2];
    EXPECT_FALSE(a.hidden);
    EXPECT_EQ(a.size, 5u);
    EXPECT_EQ(a.modified.time_since_epoch(), std::chrono::seconds(1700000123) + std::chrono::milliseconds(500));
    const FindEntry& sub = (*found)[3];
    EXPECT_TRUE(sub.directory);
    EXPECT_EQ(sub.size, 0u);
}

TEST_F(FindFilesTest, StarListsEverythingButTheDotEntries) {
    auto found = platform::find_files(drives_, u"d:/Record/*");
    ASSERT_TRUE(found);
    EXPECT_EQ(names_of(*found),
              (std::vector<std::u16string>{u".hidden.iqw", u"B.IQW", u"a.iqw", u"c.txt", u"sub.iqw"}));
    auto root = platform::find_files(drives_, u"D:\\*");
    ASSERT_TRUE(root);
    EXPECT_EQ(names_of(*root), std::vector<std::u16string>{u"Record"});
}

TEST_F(FindFilesTest, NoMatchIsEmptyAndMissingFolderIsNotFound) {
    auto none = platform::find_files(drives_, u"D:\\Record\\*.bbr");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    EXPECT_EQ(platform::find_files(drives_, u"D:\\Nowhere\\*").status().code(), Errc::not_found);
}

TEST_F(FindFilesTest, RefusesBadPatternsAndPaths) {
    const struct {
        std::u16string path;
        Errc expected;
    } cases[] = {
        {u"D:\\..\\*", Errc::escapes_root},
        {u"D:\\Record\\..\\..\\*", Errc::escapes_root},
        {u"/tmp/*", Errc::invalid_path},
        {u"Record\\*", Errc::invalid_path},
        {u"D:\\Record\\", Errc::invalid_path},
        {u"D:", Errc::invalid_path},
        {u"D:\\Record\\a<*", Errc::invalid_path},
        {u"D:\\Record\\..", Errc::invalid_path},
        {u"D:\\Re?ord\\*", Errc::invalid_path},
        {u"Q:\\*", Errc::no_drive},
    };
    for (const auto& c : cases) {
        auto found = platform::find_files(drives_, c.path);
        ASSERT_FALSE(found) << platform::to_utf8(c.path);
        EXPECT_EQ(found.status().code(), c.expected) << platform::to_utf8(c.path) << ": " << found.status().describe();
    }
}

}  // namespace
