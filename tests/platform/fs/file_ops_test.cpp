#include "platform/fs/delete_tree.hpp"
#include "platform/fs/file_ops.hpp"

#include "platform/text/utf.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

using platform::DriveTable;
using platform::Errc;
using platform::Overwrite;

std::string big_content(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + i / 251) & 0xFF);
    return s;
}

long long mtime_ns(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

void set_mtime(const std::string& path, time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 250}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.ok());
        ASSERT_TRUE(outside_.ok());
        d_ = root_ / "D";
        fs_test::make_folder(d_);
        drives_.set_root(root_.path());
    }
    fs_test::TempDir root_;
    fs_test::TempDir outside_;  // not under any drive
    std::string d_;
    DriveTable drives_;
};

TEST_F(FileOpsTest, CreatesFoldersAndChecksThem) {
    ASSERT_TRUE(platform::create_folder(drives_, u"D:\\TamrelData"));
    EXPECT_EQ(platform::create_folder(drives_, u"D:\\TamrelData").code(), Errc::exists);
    EXPECT_EQ(platform::create_folder(drives_, u"D:\\No\\Parent").code(), Errc::not_found);
    ASSERT_TRUE(platform::create_folders(drives_, u"D:\\TamrelData\\Record\\2024/01"));
    ASSERT_TRUE(platform::create_folders(drives_, u"D:\\TamrelData\\Record\\2024/01"));  // already there
    EXPECT_TRUE(*platform::is_directory(drives_, u"D:\\TamrelData\\Record\\2024\\01"));

    fs_test::write_bytes(d_ + "/file.txt", "x");
    EXPECT_EQ(platform::create_folders(drives_, u"D:\\file.txt\\sub").code(), Errc::exists);
    EXPECT_TRUE(*platform::exists(drives_, u"D:\\file.txt"));
    EXPECT_FALSE(*platform::is_directory(drives_, u"D:\\file.txt"));
    EXPECT_FALSE(*platform::exists(drives_, u"D:\\nothing"));
    EXPECT_FALSE(*platform::exists(drives_, u"D:\\file.txt\\below"));
    EXPECT_TRUE(*platform::is_directory(drives_, u"D:\\"));
}

TEST_F(FileOpsTest, DeleteFileRefusesFolders) {
    fs_test::write_bytes(d_ + "/x.bbr", "x");
    fs_test::make_folder(d_ + "/folder");
    ASSERT_TRUE(platform::delete_file(drives_, u"D:\\x.bbr"));
    EXPECT_FALSE(fs_test::path_exists(d_ + "/x.bbr"));
    EXPECT_EQ(platform::delete_file(drives_, u"D:\\x.bbr").code(), Errc::not_found);
    EXPECT_EQ(platform::delete_file(drives_, u"D:\\folder").code(), Errc::access_denied);
    EXPECT_TRUE(fs_test::path_exists(d_ + "/folder"));
}

TEST_F(FileOpsTest, DeleteTreeRemovesEverythingButFollowsNoLink) {
    fs_test::write_bytes(outside_ / "precious.txt", "keep me");
    fs_test::make_folder(d_ + "/tree/a/b");
    fs_test::write_bytes(d_ + "/tree/a/b/deep.iqw", "1");
    fs_test::write_bytes(d_ + "/tree/top.txt", "2");
    fs_test::write_bytes(d_ + "/tree/.hidden", "3");
    ASSERT_EQ(::symlink(outside_.path().c_str(), (d_ + "/tree/a/link_to_outside").c_str()), 0);
    ASSERT_EQ(::symlink((outside_ / "precious.txt").c_str(), (d_ + "/tree/file_link").c_str()), 0);

    ASSERT_TRUE(platform::delete_tree(drives_, u"D:\\tree"));
    EXPECT_FALSE(fs_test::path_exists(d_ + "/tree"));
    EXPECT_EQ(fs_test::read_bytes(outside_ / "precious.txt"), "keep me");
    EXPECT_TRUE(fs_test::path_exists(d_));

    fs_test::write_bytes(d_ + "/single.bbr", "s");
    ASSERT_TRUE(platform::delete_tree(drives_, u"D:\\single.bbr"));
    EXPECT_FALSE(fs_test::path_exists(d_ + "/single.bbr"));
    EXPECT_EQ(platform::delete_tree(drives_, u"D:\\single.bbr").code(), Errc::not_found);
}

TEST_F(FileOpsTest, DeleteTreeStaysInsideTheDrive) {
    fs_test::write_bytes(d_ + "/keep.txt", "k");
    fs_test::make_folder(outside_ / "victim");
    fs_test::write_bytes(outside_ / "victim/file.txt", "v");
    ASSERT_EQ(::symlink(outside_.path().c_str(), (d_ + "/link").c_str()), 0);
    const struct {
        std::u16string path;
        Errc expected;
    } cases[] = {
        {u"D:\\", Errc::access_denied},
        {u"D:", Errc::access_denied},
        {u"D:\\sub\\..", Errc::access_denied},
        {u"D:\\..", Errc::escapes_root},
        {u"D:\\..\\D", Errc::escapes_root},
        {u"/", Errc::invalid_path},
        {u"Q:\\x", Errc::no_drive},
        {u"D:\\link\\victim", Errc::access_denied},  // the way down goes through a link
    };
    for (const auto& c : cases) {
        const platform::Status s = platform::delete_tree(drives_, c.path);
        EXPECT_EQ(s.code(), c.expected) << platform::to_utf8(c.path) << ": " << s.describe();
    }
    EXPECT_TRUE(fs_test::path_exists(d_ + "/keep.txt"));
    EXPECT_EQ(fs_test::read_bytes(outside_ / "victim/file.txt"), "v");
    // The link itself is inside the drive and is removed as a link.
    ASSERT_TRUE(platform::delete_tree(drives_, u"D:\\link"));
    EXPECT_FALSE(fs_test::path_exists(d_ + "/link"));
    EXPECT_EQ(fs_test::read_bytes(outside_ / "victim/file.txt"), "v");
}

TEST_F(FileOpsTest, MoveRenamesAndRefusesToOverwrite) {
    fs_test::write_bytes(d_ + "/a.bbr", "A");
    fs_test::write_bytes(d_ + "/b.bbr", "B");
    EXPECT_EQ(platform::move_path(drives_, u"D:\\a.bbr", u"D:\\b.bbr").code(), Errc::exists);
    EXPECT_EQ(fs_test::read_bytes(d_ + "/a.bbr"), "A");
    EXPECT_EQ(fs_test::read_bytes(d_ + "/b.bbr"), "B");

    ASSERT_TRUE(platform::move_path(drives_, u"D:\\a.bbr", u"D:\\b.bbr", Overwrite::yes));
    EXPECT_FALSE(fs_test::path_exists(d_ + "/a.bbr"));
    EXPECT_EQ(fs_test::read_bytes(d_ + "/b.bbr"), "A");

    fs_test::make_folder(d_ + "/dir/inner");
    ASSERT_TRUE(platform::move_path(drives_, u"D:\\dir", u"D:\\renamed"));
    EXPECT_TRUE(fs_test::path_exists(d_ + "/renamed/inner"));
    EXPECT_EQ(platform::move_path(drives_, u"D:\\missing", u"D:\\x").code(), Errc::not_found);
    EXPECT_EQ(platform::move_path(drives_, u"D:\\", u"D:\\x").code(), Errc::access_denied);
    EXPECT_EQ(platform::move_path(drives_, u"D:\\b.bbr", u"D:\\..\\b.bbr").code(), Errc::escapes_root);
    EXPECT_EQ(platform::move_path(drives_, u"/tmp/x", u"D:\\x").code(), Errc::invalid_path);
}

TEST_F(FileOpsTest, MoveAcrossFileSystemsCopiesThenDeletes) {
    if (!fs_test::is_tmpfs("/dev/shm")) GTEST_SKIP() << "/dev/shm is missing or not tmpfs";
    fs_test::TempDir shm("/dev/shm");
    ASSERT_TRUE(shm.ok());
    struct stat disk {}, mem {};
    ASSERT_EQ(::stat(d_.c_str(), &disk), 0);
    ASSERT_EQ(::stat(shm.path().c_str(), &mem), 0);
    if (disk.st_dev == mem.st_dev) GTEST_SKIP() << "the temporary folder is on /dev/shm's file system too";
    ASSERT_TRUE(drives_.map(u'E', shm.path()));

    const std::string content = big_content(700 * 1024 + 13);  // several copy chunks and a tail
    fs_test::write_bytes(d_ + "/big.iqw", content);
    set_mtime(d_ + "/big.iqw", 1600000000);
    const long long mtime = mtime_ns(d_ + "/big.iqw");

    ASSERT_TRUE(platform::move_path(drives_, u"D:\\big.iqw", u"E:\\big.iqw"));
    EXPECT_FALSE(fs_test::path_exists(d_ + "/big.iqw"));
    EXPECT_EQ(fs_test::read_bytes(shm / "big.iqw"), content);
    EXPECT_EQ(mtime_ns(shm / "big.iqw"), mtime);

    fs_test::write_bytes(d_ + "/other.iqw", "new");
    EXPECT_EQ(platform::move_path(drives_, u"D:\\other.iqw", u"E:\\big.iqw").code(), Errc::exists);
    EXPECT_EQ(fs_test::read_bytes(shm / "big.iqw"), content);
    EXPECT_EQ(fs_test::read_bytes(d_ + "/other.iqw"), "new");
    ASSERT_TRUE(platform::move_path(drives_, u"D:\\other.iqw", u"E:\\big.iqw", Overwrite::yes));
    EXPECT_EQ(fs_test::read_bytes(shm / "big.iqw"), "new");

    fs_test::make_folder(d_ + "/folder");
    EXPECT_EQ(platform::move_path(drives_, u"D:\\folder", u"E:\\folder").code(), Errc::unsupported);
    EXPECT_TRUE(fs_test::path_exists(d_ + "/folder"));
}

TEST_F(FileOpsTest, CopyKeepsContentAndTime) {
    const std::string content = big_content(300 * 1024);
    fs_test::write_bytes(d_ + "/src.iqw", content);
    set_mtime(d_ + "/src.iqw", 1500000000);
    ASSERT_TRUE(platform::copy_file(drives_, u"D:\\src.iqw", u"D:\\dst.iqw"));
    EXPECT_EQ(fs_test::read_bytes(d_ + "/dst.iqw"), content);
    EXPECT_EQ(mtime_ns(d_ + "/dst.iqw"), mtime_ns(d_ + "/src.iqw"));

    fs_test::write_bytes(d_ + "/small.txt", "small");
    EXPECT_EQ(platform::copy_file(drives_, u"D:\\small.txt", u"D:\\dst.iqw").code(), Errc::exists);
    EXPECT_EQ(fs_test::read_bytes(d_ + "/dst.iqw"), content);
    ASSERT_TRUE(platform::copy_file(drives_, u"D:\\small.txt", u"D:\\dst.iqw", Overwrite::yes));
    EXPECT_EQ(fs_test::read_bytes(d_ + "/dst.iqw"), "small");

    EXPECT_EQ(platform::copy_file(drives_, u"D:\\src.iqw", u"D:\\.\\src.iqw", Overwrite::yes).code(),
              Errc::invalid_argument);
    EXPECT_EQ(fs_test::read_bytes(d_ + "/src.iqw"), content);
    EXPECT_EQ(platform::copy_file(drives_, u"D:\\none", u"D:\\x").code(), Errc::not_found);
    EXPECT_FALSE(fs_test::path_exists(d_ + "/x"));
}

TEST_F(FileOpsTest, EveryOperationRefusesEscapingPaths) {
    fs_test::write_bytes(d_ + "/in.txt", "i");
    const std::u16string bad = u"D:\\..\\..\\etc\\passwd";
    using Op = std::function<platform::Status()>;
    const Op ops[] = {
        [&] { return platform::create_folder(drives_, bad); },
        [&] { return platform::create_folders(drives_, bad); },
        [&] { return platform::delete_file(drives_, bad); },
        [&] { return platform::delete_tree(drives_, bad); },
        [&] { return platform::move_path(drives_, u"D:\\in.txt", bad); },
        [&] { return platform::move_path(drives_, bad, u"D:\\x.txt"); },
        [&] { return platform::copy_file(drives_, u"D:\\in.txt", bad); },
        [&] { return platform::copy_file(drives_, bad, u"D:\\x.txt"); },
        [&] { return platform::exists(drives_, bad).status(); },
        [&] { return platform::is_directory(drives_, bad).status(); },
    };
    for (std::size_t i = 0; i < std::size(ops); ++i) EXPECT_EQ(ops[i]().code(), Errc::escapes_root) << "operation " << i;
    EXPECT_EQ(fs_test::read_bytes(d_ + "/in.txt"), "i");
}

}  // namespace
