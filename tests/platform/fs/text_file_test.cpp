#include "platform/fs/text_file_writer.hpp"
#include "platform/fs/text_line_reader.hpp"

#include "fs_test_support.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::Errc;
using platform::TextFileWriter;
using platform::TextLineReader;

// UTF-16LE bytes of the given units.
std::string le_bytes(std::u16string_view text) {
    std::string out;
    for (const char16_t u : text) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

const std::string bom = "\xFF\xFE";

std::vector<std::u16string> read_all_lines(const std::string& path) {
    std::vector<std::u16string> lines;
    auto reader = TextLineReader::open(path);
    EXPECT_TRUE(reader) << reader.status().describe();
    if (!reader) return lines;
    for (;;) {
        auto line = reader->next_line();
        EXPECT_TRUE(line) << line.status().describe();
        if (!line || !line->has_value()) break;
        lines.push_back(std::move(**line));
    }
    EXPECT_FALSE(reader->next_line()->has_value());  // the end stays the end
    return lines;
}

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()); }
    fs_test::TempDir dir_;
};

TEST_F(TextFileTest, WritesBomAndWindowsTextModeLineEnds) {
    const std::string path = dir_ / "log.txt";
    auto writer = TextFileWriter::open(path);
    ASSERT_TRUE(writer) << writer.status().describe();
    ASSERT_TRUE(writer->write(u"a\r\n"));
    ASSERT_TRUE(writer->write(u"b\n"));
    ASSERT_TRUE(writer->close());
    const std::string expected("\xFF\xFE" "a\0" "\r\0" "\r\0" "\n\0" "b\0" "\r\0" "\n\0", 16);
    EXPECT_EQ(fs_test::read_bytes(path), expected);
}

TEST_F(TextFileTest, AppendAddsNoSecondBom) {
    const std::string path = dir_ / "app.txt";
    {
        auto first = TextFileWriter::open(path, TextFileWriter::Open::append);  // new file: gets the mark
        ASSERT_TRUE(first);
        ASSERT_TRUE(first->write(u"x\n"));
        ASSERT_TRUE(first->close());
    }
    auto second = TextFileWriter::open(path, TextFileWriter::Open::append);
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->write(u"y\n"));
    ASSERT_TRUE(second->close());
    EXPECT_EQ(fs_test::read_bytes(path), bom + le_bytes(u"x\r\ny\r\n"));

    auto truncating = TextFileWriter::open(path);
    ASSERT_TRUE(truncating);
    ASSERT_TRUE(truncating->close());
    EXPECT_EQ(fs_test::read_bytes(path), bom);
}

TEST_F(TextFileTest, TextReachesTheFileOnFlush) {
    const std::string path = dir_ / "commit.txt";
    auto writer = TextFileWriter::open(path);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->write(u"first\n"));
    EXPECT_TRUE(read_all_lines(path).empty());  // still in the writer's buffer
    ASSERT_TRUE(writer->flush());
    EXPECT_EQ(read_all_lines(path), std::vector<std::u16string>{u"first"});
    ASSERT_TRUE(writer->write(u"second"));
    ASSERT_TRUE(writer->close());
    EXPECT_EQ(read_all_lines(path), (std::vector<std::u16string>{u"first", u"second"}));
    EXPECT_EQ(writer->write(u"late").code(), Errc::closed);
    EXPECT_EQ(writer->flush().code(), Errc::closed);
}

TEST_F(TextFileTest, LargeWritesAreNotLost) {
    const std::string path = dir_ / "big.txt";
    auto writer = TextFileWriter::open(path);
    ASSERT_TRUE(writer);
    std::vector<std::u16string> expected;
    for (int i = 0; i < 5000; ++i) {
        expected.push_back(u"line " + std::u16string(static_cast<std::size_t>(i % 40), u'#'));
        ASSERT_TRUE(writer->write(expected.back() + u"\r\n"));
    }
    ASSERT_TRUE(writer->close());
    EXPECT_EQ(read_all_lines(path), expected);
}

TEST_F(TextFileTest, CreateNewNeverTouchesAnExistingFile) {
    const std::string path = dir_ / "project.wpj";
    {
        auto first = TextFileWriter::open(path, TextFileWriter::Open::create_new);
        ASSERT_TRUE(first) << first.status().describe();
        ASSERT_TRUE(first->write(u"kept\n"));
        ASSERT_TRUE(first->close());
    }
    auto second = TextFileWriter::open(path, TextFileWriter::Open::create_new);
    ASSERT_FALSE(second);
    EXPECT_EQ(second.status().code(), Errc::exists);
    EXPECT_EQ(fs_test::read_bytes(path), bom + le_bytes(u"kept\r\n"));
}

TEST_F(TextFileTest, OpenFailuresAreReported) {
    EXPECT_EQ(TextFileWriter::open(dir_ / "no/such/folder.txt").status().code(), Errc::not_found);
    EXPECT_EQ(TextLineReader::open(dir_ / "missing.txt").status().code(), Errc::not_found);
    // The mark is written at open, so a full device fails there, not silently later.
    auto full = TextFileWriter::open("/dev/full");
    ASSERT_FALSE(full);
    EXPECT_EQ(full.status().code(), Errc::no_space);
}

TEST_F(TextFileTest, ReaderAcceptsEveryLineEnd) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"crlf", bom + le_bytes(u"one\r\ntwo\r\n"), {u"one", u"two"}},
        {"crcrlf", bom + le_bytes(u"one\r\r\ntwo\r\r\n"), {u"one", u"two"}},
        {"lf", bom + le_bytes(u"one\ntwo\n"), {u"one", u"two"}},
        {"mixed", bom + le_bytes(u"a\r\nb\nc\r\r\n"), {u"a", u"b", u"c"}},
        {"no final line end", bom + le_bytes(u"one\r\ntwo"), {u"one", u"two"}},
        {"empty lines", bom + le_bytes(u"\r\n\n\r\r\nx\n"), {u"", u"", u"", u"x"}},
        {"lone cr stays", bom + le_bytes(u"a\rb\n"), {u"a\rb"}},
        {"third cr stays", bom + le_bytes(u"a\r\r\r\n"), {u"a\r"}},
        {"no bom", le_bytes(u"plain\r\nutf16"), {u"plain", u"utf16"}},
        {"bom only", bom, {}},
        {"empty file", "", {}},
        {"odd final byte", bom + le_bytes(u"ab") + "c", {u"ab\uFFFD"}},
        {"non-bmp", bom + le_bytes(u"\U0001F600 \u00E9\r\n\U00010000"), {u"\U0001F600 \u00E9", u"\U00010000"}},
    };
    for (const auto& c : cases) {
        const std::string path = dir_ / "in.txt";
        fs_test::write_bytes(path, c.bytes);
        EXPECT_EQ(read_all_lines(path), c.lines) << c.name;
    }
}

TEST_F(TextFileTest, LongLinesComeInPiecesOfAtMost1023Units) {
    const auto line_of = [](std::size_t n) {
        std::u16string s;
        for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(u'a' + i % 26));
        return s;
    };
    const std::u16string l1500 = line_of(1500);
    const std::u16string l1023 = line_of(1023);
    const std::u16string l2046 = line_of(2046);
    const std::u16string l1024 = line_of(1024);
    // A surrogate pair across the cut: the piece ends one unit early instead.
    const std::u16string pair_at_cut = std::u16string(1022, u'x') + u"\U0001F600" + u"y";
    struct Case {
        const char* name;
        std::u16string text;
        std::vector<std::u16string> pieces;
    };
    const Case cases[] = {
        {"1500 + next", l1500 + u"\r\nnext\r\n", {l1500.substr(0, 1023), l1500.substr(1023), u"next"}},
        {"exactly 1023", l1023 + u"\r\r\n", {l1023}},
        {"2046", l2046 + u"\n", {l2046.substr(0, 1023), l2046.substr(1023)}},
        {"1024 crcrlf", l1024 + u"\r\r\n", {l1024.substr(0, 1023), l1024.substr(1023)}},
        {"1500 at end of file", l1500, {l1500.substr(0, 1023), l1500.substr(1023)}},
        {"pair at cut", pair_at_cut + u"\r\n", {std::u16string(1022, u'x'), u"\U0001F600y"}},
    };
    for (const auto& c : cases) {
        const std::string path = dir_ / "long.txt";
        fs_test::write_bytes(path, bom + le_bytes(c.text));
        const auto got = read_all_lines(path);
        ASSERT_EQ(got.size(), c.pieces.size()) << c.name;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_LE(got[i].size(), TextLineReader::max_piece) << c.name;
            EXPECT_EQ(got[i], c.pieces[i]) << c.name << " piece " << i;
        }
    }
}

TEST_F(TextFileTest, NonBmpTextRoundTripsThroughWriterAndReader) {
    const std::string path = dir_ / "emoji.txt";
    const std::u16string line = u"Aufnahme \U0001F4E1 \U00020BB7 \u20AC";
    auto writer = TextFileWriter::open(path);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->write(line + u"\r\n" + line + u"\n"));
    ASSERT_TRUE(writer->close());
    EXPECT_EQ(read_all_lines(path), (std::vector<std::u16string>{line, line}));
}

}  // namespace
