#include "platform/fs/aligned_buffer.hpp"
#include "platform/fs/unbuffered_reader.hpp"
#include "platform/fs/unbuffered_writer.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstring>
#include <string>

namespace {

using platform::AlignedBuffer;
using platform::CloseSync;
using platform::Errc;
using platform::UnbufferedReader;
using platform::UnbufferedWriter;
using platform::io_alignment;

// Bytes whose value depends on the position, so a misplaced block shows.
AlignedBuffer pattern_buffer(std::size_t size, unsigned seed) {
    auto buffer = AlignedBuffer::allocate(size);
    EXPECT_TRUE(buffer);
    for (std::size_t i = 0; i < size; ++i) buffer->data()[i] = static_cast<std::byte>((i * 7 + seed) & 0xFF);
    return std::move(*buffer);
}

std::string as_string(const AlignedBuffer& b, std::size_t n) {
    return {reinterpret_cast<const char*>(b.data()), n};
}

// Writes two blocks and a 100-byte tail, then reads the file back in two requests of two blocks.
void write_and_read_back(const std::string& path, bool expect_direct) {
    const std::size_t block = 2 * io_alignment;
    const AlignedBuffer bulk = pattern_buffer(block, 1);
    const std::string tail = "tail-of-the-recording-" + std::string(78, 't');  // 100 bytes

    auto writer = UnbufferedWriter::open(path);
    ASSERT_TRUE(writer) << writer.status().describe();
    EXPECT_EQ(writer->direct(), expect_direct);
    ASSERT_TRUE(writer->write(bulk.data(), block));
    ASSERT_TRUE(writer->write(bulk.data(), io_alignment));
    ASSERT_TRUE(writer->write_tail(tail.data(), tail.size()));
    EXPECT_EQ(writer->bytes_written(), block + io_alignment + tail.size());
    ASSERT_TRUE(writer->close(CloseSync::sync));

    const std::string expected = as_string(bulk, block) + as_string(bulk, io_alignment) + tail;
    EXPECT_EQ(fs_test::read_bytes(path), expected);

    auto reader = UnbufferedReader::open(path);
    ASSERT_TRUE(reader) << reader.status().describe();
    EXPECT_EQ(reader->direct(), expect_direct);
    auto in = AlignedBuffer::allocate(block);
    ASSERT_TRUE(in);
    std::string got;
    auto n = reader->read(in->data(), block);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, block);
    got += as_string(*in, *n);
    n = reader->read(in->data(), block);
    ASSERT_TRUE(n) << n.status().describe();
    EXPECT_EQ(*n, io_alignment + tail.size());  // short count at the end
    got += as_string(*in, *n);
    n = reader->read(in->data(), block);
    ASSERT_TRUE(n) << n.status().describe();
    EXPECT_EQ(*n, 0u);
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(reader->close());
}

TEST(AlignedBuffer, IsAlignedZeroedAndRoundedUp) {
    auto buffer = AlignedBuffer::allocate(5000);
    ASSERT_TRUE(buffer);
    EXPECT_TRUE(platform::is_io_aligned(buffer->data()));
    EXPECT_EQ(buffer->size(), 5000u);
    EXPECT_EQ(buffer->capacity(), 8192u);
    for (std::size_t i = 0; i < buffer->capacity(); ++i) ASSERT_EQ(buffer->data()[i], std::byte{0}) << i;
    AlignedBuffer moved = std::move(*buffer);
    EXPECT_EQ(moved.size(), 5000u);
    EXPECT_EQ(buffer->data(), nullptr);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(AlignedBuffer::allocate(0)->size(), 0u);
}

TEST(UnbufferedIo, DirectModeOnRealDisk) {
    const auto parent = fs_test::direct_capable_parent();
    if (!parent) GTEST_SKIP() << "no folder on a non-tmpfs file system accepting O_DIRECT ($TMPDIR, /tmp, /var/tmp, cwd)";
    fs_test::TempDir dir(*parent);
    ASSERT_TRUE(dir.ok());
    write_and_read_back(dir / "rec.iqw", true);
}

TEST(UnbufferedIo, BufferedFallbackOnTmpfs) {
    if (!fs_test::is_tmpfs("/dev/shm")) GTEST_SKIP() << "/dev/shm is missing or not tmpfs";
    fs_test::TempDir dir("/dev/shm");
    ASSERT_TRUE(dir.ok());
    if (fs_test::accepts_o_direct(dir.path()))
        GTEST_SKIP() << "tmpfs on this kernel accepts O_DIRECT (Linux 6.6 and later), so there is no "
                        "fallback to see here; RefusingDeviceFallsBackToBuffered covers the refusal";
    write_and_read_back(dir / "rec.iqw", false);
}

TEST(UnbufferedIo, RefusingDeviceFallsBackToBuffered) {
    // Character devices refuse O_DIRECT with EINVAL at open, exactly as ramfs or older tmpfs do.
    if (fs_test::path_accepts_o_direct("/dev/null", O_WRONLY) || fs_test::path_accepts_o_direct("/dev/zero", O_RDONLY))
        GTEST_SKIP() << "/dev/null or /dev/zero accepts O_DIRECT here";
    const AlignedBuffer block = pattern_buffer(io_alignment, 3);
    auto writer = UnbufferedWriter::open("/dev/null", UnbufferedWriter::Open::existing);
    ASSERT_TRUE(writer) << writer.status().describe();
    EXPECT_FALSE(writer->direct());
    EXPECT_TRUE(writer->write(block.data(), io_alignment));
    EXPECT_TRUE(writer->write_tail("x", 1));
    EXPECT_TRUE(writer->close(CloseSync::no_sync));  // a device cannot fsync

    auto reader = UnbufferedReader::open("/dev/zero");
    ASSERT_TRUE(reader) << reader.status().describe();
    EXPECT_FALSE(reader->direct());
    AlignedBuffer in = pattern_buffer(io_alignment, 9);
    auto n = reader->read(in.data(), io_alignment);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, io_alignment);
    EXPECT_EQ(as_string(in, io_alignment), std::string(io_alignment, '\0'));
}

// Alignment is checked in both modes, so these run wherever the temporary folder is.
TEST(UnbufferedIo, MisalignedBufferOrSizeIsInvalidArgument) {
    fs_test::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "x.iqw";
    auto writer = UnbufferedWriter::open(path);
    ASSERT_TRUE(writer);
    const AlignedBuffer block = pattern_buffer(2 * io_alignment, 0);
    const struct {
        const std::byte* data;
        std::size_t size;
    } cases[] = {{block.data() + 1, io_alignment}, {block.data(), 100}, {block.data(), io_alignment + 512}};
    for (const auto& c : cases) {
        const platform::Status s = writer->write(c.data, c.size);
        EXPECT_EQ(s.code(), Errc::invalid_argument) << c.size << " " << s.describe();
        EXPECT_NE(s.message().find(path), std::string::npos);
    }
    EXPECT_EQ(writer->bytes_written(), 0u);
    ASSERT_TRUE(writer->close());
    EXPECT_EQ(fs_test::read_bytes(path).size(), 0u);

    fs_test::write_bytes(path, std::string(io_alignment, 'r'));
    auto reader = UnbufferedReader::open(path);
    ASSERT_TRUE(reader);
    AlignedBuffer in = pattern_buffer(2 * io_alignment, 0);
    EXPECT_EQ(reader->read(in.data() + 8, io_alignment).status().code(), Errc::invalid_argument);
    EXPECT_EQ(reader->read(in.data(), 1000).status().code(), Errc::invalid_argument);
    EXPECT_EQ(*reader->read(in.data(), 2 * io_alignment), io_alignment);
}

TEST(UnbufferedIo, NothingIsWrittenAfterTheTail) {
    fs_test::TempDir dir;
    ASSERT_TRUE(dir.ok());
    auto writer = UnbufferedWriter::open(dir / "t.iqw");
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->write_tail("abc", 3));
    const AlignedBuffer block = pattern_buffer(io_alignment, 0);
    EXPECT_EQ(writer->write(block.data(), io_alignment).code(), Errc::invalid_argument);
    EXPECT_EQ(writer->write_tail("d", 1).code(), Errc::invalid_argument);
    ASSERT_TRUE(writer->close());
    EXPECT_EQ(writer->close().code(), Errc::closed);
    EXPECT_EQ(fs_test::read_bytes(dir / "t.iqw"), "abc");
}

TEST(UnbufferedIo, ExistingFileIsRequiredAndNotTruncated) {
    fs_test::TempDir dir;
    ASSERT_TRUE(dir.ok());
    auto missing = UnbufferedWriter::open(dir / "none.iqw", UnbufferedWriter::Open::existing);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.status().code(), Errc::not_found);
    EXPECT_EQ(UnbufferedReader::open(dir / "none.iqw").status().code(), Errc::not_found);

    fs_test::write_bytes(dir / "old.iqw", std::string(3 * io_alignment, 'o'));
    auto writer = UnbufferedWriter::open(dir / "old.iqw", UnbufferedWriter::Open::existing);
    ASSERT_TRUE(writer);
    const AlignedBuffer block = pattern_buffer(io_alignment, 5);
    ASSERT_TRUE(writer->write(block.data(), io_alignment));
    ASSERT_TRUE(writer->close());
    EXPECT_EQ(fs_test::read_bytes(dir / "old.iqw"), as_string(block, io_alignment) + std::string(2 * io_alignment, 'o'));
}

TEST(UnbufferedIo, WriteErrorIsReported) {
    auto writer = UnbufferedWriter::open("/dev/full", UnbufferedWriter::Open::existing);
    if (!writer) GTEST_SKIP() << "/dev/full not available: " << writer.status().describe();
    const AlignedBuffer block = pattern_buffer(io_alignment, 0);
    const platform::Status s = writer->write(block.data(), io_alignment);
    EXPECT_EQ(s.code(), Errc::no_space) << s.describe();
    EXPECT_NE(s.message().find("/dev/full"), std::string::npos);
}

}  // namespace
