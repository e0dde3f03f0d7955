#pragma once
// A private drives root with drive D and its recording folder, and helpers that put project and
// sample files there without going through the readers under test.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "comlib/files/capture_name.hpp"
#include "comlib/files/project_lines.hpp"
#include "platform/fs/drive_table.hpp"
#include "platform/fs/file.hpp"
#include "platform/fs/text_file_writer.hpp"
#include "platform/text/utf.hpp"
#include "tests/platform/fs/fs_test_support.hpp"

class RecordingFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.ok());
        fs_test::make_folder(root_ / "D/TamrelData/Record");
        drives_.set_root(root_.path());
    }

    // The Windows path of a file in D's recording folder.
    static std::u16string record_path(std::u16string_view name) {
        return recording_folder(u'D') + std::u16string(name);
    }
    std::string posix_path(std::u16string_view name) const {
        return root_ / ("D/TamrelData/Record/" + platform::to_utf8(name));
    }

    // A project file holding `text`, written as the recorder writes it (BOM, "\n" -> "\r\n").
    void write_project(std::u16string_view name, std::u16string_view text) const {
        auto writer = platform::TextFileWriter::open(posix_path(name));
        ASSERT_TRUE(writer) << writer.status().describe();
        ASSERT_TRUE(writer->write(text));
        ASSERT_TRUE(writer->close());
    }

    // A sample file of `size` bytes; sparse, so large sizes cost nothing.
    void make_sample(std::u16string_view name, std::uint64_t size) const {
        auto file = platform::File::open(posix_path(name), platform::FileMode::write);
        ASSERT_TRUE(file) << file.status().describe();
        ASSERT_TRUE(file->truncate(size));
        ASSERT_TRUE(file->close());
    }

    // A recording pair in the recording folder: `title`.iqw of `size` bytes and `title`.wpj
    // whose header, as the recorder writes it, names that sample file.
    void make_recording(std::u16string_view title, std::uint64_t size, unsigned iq_rate = 10'000'000,
                        unsigned centre_hz = 50'000'000, int agc = 0) const {
        const std::u16string sample = std::u16string(title) + u".iqw";
        make_sample(sample, size);
        write_project(std::u16string(title) + u".wpj",
                      project_header_line(sample, iq_rate, true, centre_hz, agc));
    }

    fs_test::TempDir root_;
    platform::DriveTable drives_;
};
