#include "platform/fs/drive_table.hpp"
#include "platform/fs/path_names.hpp"
#include "platform/text/utf.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using platform::DriveTable;
using platform::Errc;

class DriveTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.ok());
        ASSERT_TRUE(other_.ok());
        fs_test::make_folder(root_ / "D");
        drives_.set_root(root_.path());
        ASSERT_TRUE(drives_.map(u'e', other_.path()));
    }
    fs_test::TempDir root_;
    fs_test::TempDir other_;
    DriveTable drives_;
};

TEST_F(DriveTableTest, ResolvesWindowsPathsInsideTheDrive) {
    const std::string d = root_ / "D";
    const struct {
        std::u16string path;
        std::string expected;
    } cases[] = {
        {u"D:\\TamrelData\\Record\\x.iqw", d + "/TamrelData/Record/x.iqw"},
        {u"d:/TamrelData/Record/x.iqw", d + "/TamrelData/Record/x.iqw"},
        {u"D:\\a/b\\c", d + "/a/b/c"},
        {u"D:", d},
        {u"D:\\", d},
        {u"D:/", d},
        {u"D:\\a\\..\\b", d + "/b"},
        {u"D:\\a\\.\\b\\\\c\\", d + "/a/b/c"},
        {u"D:\\a\\..", d},
        {u"D:\\\u00DCber\\\U0001F600.iqw", d + "/\xC3\x9C" "ber/\xF0\x9F\x98\x80.iqw"},
        {u"E:\\x.bbr", other_ / "x.bbr"},
        {u"e:\\", other_.path()},
    };
    for (const auto& c : cases) {
        auto got = drives_.resolve(c.path);
        ASSERT_TRUE(got) << platform::to_utf8(c.path) << ": " << got.status().describe();
        EXPECT_EQ(*got, c.expected) << platform::to_utf8(c.path);
    }
}

TEST_F(DriveTableTest, RefusesPathsOutsideTheDrives) {
    const struct {
        std::u16string path;
        Errc expected;
    } cases[] = {
        {u"", Errc::invalid_path},
        {u"x.iqw", Errc::invalid_path},
        {u"Record\\x.iqw", Errc::invalid_path},
        {u"\\TamrelData\\x.iqw", Errc::invalid_path},
        {u"/etc/passwd", Errc::invalid_path},
        {u"\\\\server\\share\\x", Errc::invalid_path},
        {u"1:\\x", Errc::invalid_path},
        {u"D:x.iqw", Errc::invalid_path},
        {u"D:\\a\\b<c", Errc::invalid_path},
        {u"D:\\a>b", Errc::invalid_path},
        {u"D:\\a\"b", Errc::invalid_path},
        {u"D:\\a|b", Errc::invalid_path},
        {u"D:\\a?b", Errc::invalid_path},
        {u"D:\\*.iqw", Errc::invalid_path},
        {u"D:\\a:b", Errc::invalid_path},
        {u"D:\\a\\C:\\b", Errc::invalid_path},
        {std::u16string(u"D:\\a\0b", 6), Errc::invalid_path},
        {u"D:\\..", Errc::escapes_root},
        {u"D:\\..\\D\\x", Errc::escapes_root},
        {u"D:/a/../../etc/passwd", Errc::escapes_root},
        {u"E:\\..\\x", Errc::escapes_root},
        {u"Q:\\x.iqw", Errc::no_drive},
        {u"q:", Errc::no_drive},
    };
    for (const auto& c : cases) {
        auto got = drives_.resolve(c.path);
        ASSERT_FALSE(got) << platform::to_utf8(c.path) << " resolved to " << *got;
        EXPECT_EQ(got.status().code(), c.expected) << platform::to_utf8(c.path) << ": " << got.status().describe();
    }
}

TEST_F(DriveTableTest, ResolvedPartsNameTheDriveAndTheNames) {
    auto parts = drives_.resolve_parts(u"d:\\a\\..\\b\\c.iqw");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->letter, 'D');
    EXPECT_EQ(parts->drive_folder, root_ / "D");
    EXPECT_EQ(parts->names, (std::vector<std::string>{"b", "c.iqw"}));
    EXPECT_FALSE(parts->is_drive_root());
    EXPECT_TRUE(drives_.resolve_parts(u"D:\\")->is_drive_root());
}

TEST(PathNames, BareNameRules) {
    const struct {
        std::u16string name;
        bool ok;
    } cases[] = {
        {u"x.iqw", true},
        {u"Record 2024-01-01.bbr", true},
        {u".hidden", true},
        {u"...", true},
        {u"\u00DCber\U0001F600", true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"a\\b", false},
        {u"a/b", false},
        {u"\\", false},
        {std::u16string(u"a\0b", 3), false},
        {u"a<b", false},
        {u"a>b", false},
        {u"a\"b", false},
        {u"a|b", false},
        {u"a?b", false},
        {u"a*b", false},
        {u"C:x", false},
        {u"tab\there", false},
    };
    for (const auto& c : cases) {
        const platform::Status s = platform::check_bare_name(c.name);
        EXPECT_EQ(s.ok(), c.ok) << platform::to_utf8(c.name) << ": " << s.describe();
        if (!c.ok) {
            EXPECT_EQ(s.code(), Errc::invalid_path);
        }
    }
}

TEST_F(DriveTableTest, DriveMaskFollowsTheFolders) {
    fs_test::make_folder(root_ / "C");
    fs_test::make_folder(root_ / "Z");
    fs_test::write_bytes(root_ / "F", "a file is not a drive");
    const std::uint32_t expected = (1u << 2) | (1u << 3) | (1u << 4) | (1u << 25);  // C D E(mapped) Z
    EXPECT_EQ(drives_.drive_mask(), expected);
    EXPECT_TRUE(drives_.present(u'c'));
    EXPECT_FALSE(drives_.present(u'F'));
    EXPECT_FALSE(drives_.present(u'1'));

    ASSERT_TRUE(drives_.unmap(u'E'));
    EXPECT_FALSE(drives_.present(u'E'));
    std::filesystem::remove(root_ / "Z");
    EXPECT_EQ(drives_.drive_mask(), (1u << 2) | (1u << 3));
    EXPECT_EQ(*drives_.folder(u'z'), root_ / "Z");
}

TEST_F(DriveTableTest, MapRefusesWhatIsNotALetter) {
    EXPECT_EQ(drives_.map(u'1', other_.path()).code(), Errc::invalid_argument);
    EXPECT_EQ(drives_.map(u'\u00C4', other_.path()).code(), Errc::invalid_argument);
    EXPECT_EQ(drives_.map(u'G', "").code(), Errc::invalid_argument);
    EXPECT_EQ(drives_.folder(u'?').status().code(), Errc::invalid_argument);
}

TEST_F(DriveTableTest, SpaceComesFromTheFileSystem) {
    auto space = drives_.space(u'D');
    ASSERT_TRUE(space) << space.status().describe();
    const auto expected = std::filesystem::space(root_ / "D");
    EXPECT_EQ(space->total_bytes, expected.capacity);
    EXPECT_LE(space->free_bytes, space->total_bytes);
    EXPECT_GT(space->total_bytes, 0u);
    EXPECT_EQ(drives_.space(u'Q').status().code(), Errc::no_drive);
}

TEST_F(DriveTableTest, CapacityFileOverridesAndIsReadAtEveryQuery) {
    const std::string capacity = root_ / "D/.capacity";
    fs_test::write_bytes(capacity, "1000000 400000\n");
    auto first = drives_.space(u'd');
    ASSERT_TRUE(first) << first.status().describe();
    EXPECT_EQ(first->total_bytes, 1000000u);
    EXPECT_EQ(first->free_bytes, 400000u);

    fs_test::write_bytes(capacity, "2000 1500");
    auto second = drives_.space(u'D');
    ASSERT_TRUE(second);
    EXPECT_EQ(second->total_bytes, 2000u);
    EXPECT_EQ(second->free_bytes, 1500u);

    fs_test::write_bytes(capacity, "\t18446744073709551615  0 \r\n");
    EXPECT_EQ(drives_.space(u'D')->total_bytes, 18446744073709551615u);

    std::filesystem::remove(capacity);
    EXPECT_EQ(drives_.space(u'D')->total_bytes, std::filesystem::space(root_ / "D").capacity);
}

TEST_F(DriveTableTest, MalformedCapacityFileIsAnError) {
    const std::string capacity = root_ / "D/.capacity";
    const char* cases[] = {"", "abc", "1000", "1000 ", "1000 400 7", "1000 2000", "-5 1", "1000,400",
                           "0x10 1", "1000 400\nmore\n", "18446744073709551616 1", "1000\n400"};
    for (const char* text : cases) {
        fs_test::write_bytes(capacity, text);
        auto space = drives_.space(u'D');
        ASSERT_FALSE(space) << "\"" << text << "\" gave " << space->total_bytes;
        EXPECT_EQ(space.status().code(), Errc::invalid_argument) << text;
        EXPECT_NE(space.status().message().find(capacity), std::string::npos) << space.status().describe();
    }
}

TEST(ProcessDrives, RootIsSetOnce) {
    EXPECT_EQ(platform::process_drives().root(), DriveTable::default_root);
    ASSERT_TRUE(platform::set_process_drives_root("/srv/tamrel/drives"));
    EXPECT_EQ(platform::process_drives().root(), "/srv/tamrel/drives");
    EXPECT_EQ(*platform::process_drives().folder(u'd'), "/srv/tamrel/drives/D");
    EXPECT_EQ(platform::set_process_drives_root("/elsewhere").code(), Errc::exists);
    EXPECT_EQ(platform::process_drives().root(), "/srv/tamrel/drives");
}

}  // namespace
