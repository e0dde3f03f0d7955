// SampleReader: every byte comes back as it is on disk from any position, into any destination,
// whether the pieces go direct or through the page cache; the end of the file reads short, then 0.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fs_test_support.hpp"
#include "platform/fs/aligned_buffer.hpp"
#include "platform/fs/sample_reader.hpp"

namespace {

constexpr std::size_t kFileBytes = 3 * 1'048'576 + 1'234;  // not a whole number of sectors

unsigned char pattern(std::size_t i) { return static_cast<unsigned char>((i * 131 + i / 4093) & 0xFF); }

std::string patterned_file(const fs_test::TempDir& dir) {
    std::string bytes(kFileBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(pattern(i));
    const std::string path = dir / "samples.iqw";
    fs_test::write_bytes(path, bytes);
    return path;
}

// Reads `size` bytes at `position` into an aligned buffer at `offset` and checks every byte.
void expect_read(platform::SampleReader& reader, std::uint64_t position, std::size_t size, std::size_t offset) {
    auto buffer = platform::AlignedBuffer::allocate(size + offset + 4096);
    ASSERT_TRUE(buffer.ok());
    auto* data = reinterpret_cast<unsigned char*>(buffer->data()) + offset;
    ASSERT_TRUE(reader.seek(static_cast<std::int64_t>(position)).ok());
    auto got = reader.read(data, size);
    ASSERT_TRUE(got.ok()) << got.status().describe();
    const std::size_t expected = position >= kFileBytes ? 0 : std::min<std::size_t>(size, kFileBytes - position);
    ASSERT_EQ(*got, expected) << "position " << position << " size " << size << " offset " << offset;
    EXPECT_EQ(reader.tell(), position + expected);
    for (std::size_t i = 0; i < expected; ++i) {
        if (data[i] != pattern(position + i)) {
            FAIL() << "byte " << position + i << " wrong (position " << position << " size " << size << " offset "
                   << offset << ")";
        }
    }
}

void check_every_alignment(const std::string& parent, bool direct) {
    fs_test::TempDir dir(parent);
    ASSERT_TRUE(dir.ok());
    auto reader = platform::SampleReader::open(patterned_file(dir));
    ASSERT_TRUE(reader.ok()) << reader.status().describe();
    const std::uint64_t positions[] = {0, 4, 508, 512, 4096, 1'048'576 - 4, 2 * 1'048'576 + 516, kFileBytes - 10,
                                       kFileBytes, kFileBytes + 100};
    const std::size_t sizes[] = {4, 1'000, 4'096, 1'048'576, 2 * 1'048'576};
    const std::size_t offsets[] = {0, 4, 512, 1'000};
    for (std::uint64_t position : positions) {
        for (std::size_t size : sizes) {
            for (std::size_t offset : offsets) expect_read(*reader, position, size, offset);
        }
    }
    EXPECT_EQ(reader->direct(), direct) << "direct reads should stay in use exactly where the file system takes them";
    ASSERT_TRUE(reader->close().ok());
}

TEST(SampleReader, ReadsExactBytesFromAnyPositionOnADiskThatTakesDirectReads) {
    const auto parent = fs_test::direct_capable_parent();
    if (!parent) GTEST_SKIP() << "no folder on a file system accepting O_DIRECT";
    check_every_alignment(*parent, true);
}

TEST(SampleReader, ReadsExactBytesThroughThePageCacheWhereDirectReadsAreRefused) {
    if (!fs_test::is_tmpfs("/dev/shm")) GTEST_SKIP() << "/dev/shm is missing or not tmpfs";
    check_every_alignment("/dev/shm", fs_test::accepts_o_direct("/dev/shm"));
}

TEST(SampleReader, ReadsOnUntilTheEndThenReturnsNothing) {
    fs_test::TempDir dir(fs_test::direct_capable_parent().value_or(fs_test::TempDir::default_parent()));
    ASSERT_TRUE(dir.ok());
    auto reader = platform::SampleReader::open(patterned_file(dir));
    ASSERT_TRUE(reader.ok());
    auto buffer = platform::AlignedBuffer::allocate(1'048'576);
    ASSERT_TRUE(buffer.ok());
    std::size_t total = 0;
    for (int i = 0; i < 10; ++i) {
        auto got = reader->read(buffer->data(), 1'048'576);
        ASSERT_TRUE(got.ok());
        total += *got;
        if (*got < 1'048'576) break;
    }
    EXPECT_EQ(total, kFileBytes);
    auto after = reader->read(buffer->data(), 1'048'576);
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(*after, 0U);
    EXPECT_FALSE(reader->seek(-1).ok());
}

TEST(SampleReader, AMissingFileOrAClosedReaderIsAnError) {
    fs_test::TempDir dir;
    ASSERT_TRUE(dir.ok());
    EXPECT_FALSE(platform::SampleReader::open(dir / "missing.iqw").ok());
    platform::SampleReader closed;
    char byte = 0;
    EXPECT_FALSE(closed.read(&byte, 1).ok());
    EXPECT_FALSE(closed.seek(0).ok());
}

}  // namespace
