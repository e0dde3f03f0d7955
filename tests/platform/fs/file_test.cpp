#include "platform/fs/file.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

using platform::Errc;
using platform::File;
using platform::FileMode;
using platform::SeekFrom;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()); }
    fs_test::TempDir dir_;
};

TEST_F(FileTest, WritesReadsSeeksAndTruncates) {
    const std::string path = dir_ / "data.bin";
    auto file = File::open(path, FileMode::read_write_truncate);
    ASSERT_TRUE(file) << file.status().describe();
    ASSERT_TRUE(file->write_all("hello world", 11));
    EXPECT_EQ(*file->tell(), 11u);
    EXPECT_EQ(*file->size(), 11u);

    EXPECT_EQ(*file->seek(6), 6u);
    char buf[16] = {};
    auto n = file->read(buf, sizeof buf);  // asks past the end: gets what is there
    ASSERT_TRUE(n);
    EXPECT_EQ(std::string(buf, *n), "world");
    EXPECT_EQ(*file->read(buf, sizeof buf), 0u);

    EXPECT_EQ(*file->seek(-5, SeekFrom::end), 6u);
    EXPECT_EQ(*file->seek(1, SeekFrom::current), 7u);
    ASSERT_TRUE(file->truncate(5));
    EXPECT_EQ(*file->size(), 5u);
    ASSERT_TRUE(file->flush());
    ASSERT_TRUE(file->sync());
    ASSERT_TRUE(file->close());
    EXPECT_EQ(fs_test::read_bytes(path), "hello");
}

TEST_F(FileTest, ModesCreateTruncateKeepAndAppend) {
    const std::string path = dir_ / "m.bin";
    fs_test::write_bytes(path, "0123456789");

    auto rw = File::open(path, FileMode::read_write);  // keeps the contents
    ASSERT_TRUE(rw);
    ASSERT_TRUE(rw->write_all("ab", 2));
    ASSERT_TRUE(rw->close());
    EXPECT_EQ(fs_test::read_bytes(path), "ab23456789");

    auto app = File::open(path, FileMode::append);
    ASSERT_TRUE(app);
    ASSERT_TRUE(app->seek(0));  // append writes at the end whatever the position
    ASSERT_TRUE(app->write_all("XY", 2));
    ASSERT_TRUE(app->close());
    EXPECT_EQ(fs_test::read_bytes(path), "ab23456789XY");

    auto w = File::open(path, FileMode::write);
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->close());
    EXPECT_EQ(fs_test::read_bytes(path), "");

    auto again = File::open(path, FileMode::create_new);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.status().code(), Errc::exists);
}

TEST_F(FileTest, OpenOfMissingFileNamesTheFile) {
    const std::string path = dir_ / "missing.bin";
    for (FileMode mode : {FileMode::read, FileMode::read_write}) {
        auto file = File::open(path, mode);
        ASSERT_FALSE(file);
        EXPECT_EQ(file.status().code(), Errc::not_found);
        EXPECT_NE(file.status().message().find("open"), std::string::npos);
        EXPECT_NE(file.status().message().find(path), std::string::npos) << file.status().describe();
    }
}

TEST_F(FileTest, WriteToFileOpenedForReadingIsRefused) {
    const std::string path = dir_ / "ro.bin";
    fs_test::write_bytes(path, "abc");
    auto file = File::open(path, FileMode::read);
    ASSERT_TRUE(file);
    const platform::Status s = file->write_all("x", 1);
    EXPECT_EQ(s.code(), Errc::access_denied) << s.describe();
    EXPECT_NE(s.message().find(path), std::string::npos);
    EXPECT_EQ(fs_test::read_bytes(path), "abc");
}

TEST_F(FileTest, OpenForWritingOfReadOnlyFileIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not apply";
    const std::string path = dir_ / "ro.bin";
    fs_test::write_bytes(path, "abc");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    auto file = File::open(path, FileMode::write);
    ASSERT_FALSE(file);
    EXPECT_EQ(file.status().code(), Errc::access_denied);
}

TEST_F(FileTest, FullDeviceReportsNoSpace) {
    auto file = File::open("/dev/full", FileMode::write);
    if (!file) GTEST_SKIP() << "/dev/full not available: " << file.status().describe();
    const platform::Status s = file->write_all("x", 1);
    EXPECT_EQ(s.code(), Errc::no_space) << s.describe();
    EXPECT_NE(s.message().find("/dev/full"), std::string::npos);
}

TEST_F(FileTest, OperationsAfterCloseReportClosed) {
    auto file = File::open(dir_ / "c.bin", FileMode::write);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->close());
    EXPECT_FALSE(file->is_open());
    EXPECT_EQ(file->close().code(), Errc::closed);
    EXPECT_EQ(file->write_all("x", 1).code(), Errc::closed);
    char c = 0;
    EXPECT_EQ(file->read(&c, 1).status().code(), Errc::closed);
    EXPECT_EQ(file->size().status().code(), Errc::closed);
}

TEST_F(FileTest, MoveTransfersOwnership) {
    auto opened = File::open(dir_ / "mv.bin", FileMode::write);
    ASSERT_TRUE(opened);
    File a = std::move(*opened);
    File b;
    b = std::move(a);
    EXPECT_FALSE(a.is_open());  // NOLINT(bugprone-use-after-move): moved-from state is specified
    ASSERT_TRUE(b.is_open());
    ASSERT_TRUE(b.write_all("z", 1));
    ASSERT_TRUE(b.close());
    EXPECT_EQ(fs_test::read_bytes(dir_ / "mv.bin"), "z");
}

TEST_F(FileTest, FolderIsNotOpenedAsFile) {
    auto file = File::open(dir_.path(), FileMode::read);
    ASSERT_FALSE(file);
    EXPECT_EQ(file.status().code(), Errc::access_denied);
}

}  // namespace
