// The remote client's packets byte for byte, and how it reads what the instrument sends,
// including datagrams cut short.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/remote/describe.hpp"
#include "tools/remote/options.hpp"
#include "tools/remote/packet_codec.hpp"
#include "tools/remote/records.hpp"

namespace {

using namespace tamrel::remote;
using Bytes = std::vector<std::uint8_t>;

Bytes header(std::uint32_t cmd, std::uint32_t kind, std::uint32_t length) {
    Bytes b;
    for (const std::uint32_t v : {TM_PACKET_MAGIC, cmd, kind, length, 0U}) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    return b;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes utf16(const std::u16string& text) {
    Bytes b;
    for (const char16_t c : text) {
        b.push_back(static_cast<std::uint8_t>(c & 0xFF));
        b.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return b;
}

Bytes sent(const PacketBuffer& buffer, std::size_t size) { return Bytes(buffer.begin(), buffer.begin() + static_cast<long>(size)); }

TEST(RemoteCodec, EncodesEveryPacketKindTheClientSendsByteForByte) {
    PacketBuffer buffer;
    std::size_t size = encode_bare(TM_CMD_SEARCH, 0, buffer);
    EXPECT_EQ(sent(buffer, size), header(0, 0, 0)) << "search";
    size = encode_bare(TM_CMD_KEEP_ALIVE, 0, buffer);
    EXPECT_EQ(sent(buffer, size), header(23, 0, 0)) << "keep-alive";
    size = encode_u16(TM_CMD_CONNECT, 0, 0xC3A5, buffer);
    EXPECT_EQ(sent(buffer, size), concat(header(1, 0, 2), {0xA5, 0xC3})) << "connect";
    size = encode_i32(TM_CMD_CAPTURETIME, 0, -2, buffer);
    EXPECT_EQ(sent(buffer, size), concat(header(53, 0, 4), {0xFE, 0xFF, 0xFF, 0xFF})) << "value";
    size = encode_text(TM_CMD_CONSOLE_LINE, 0, u"ab\u00e9", buffer);
    EXPECT_EQ(sent(buffer, size), concat(header(114, 0, 8), {'a', 0, 'b', 0, 0xE9, 0, 0, 0})) << "line";
    size = encode_folder_request(TM_CMD_FILELIST, 0, u"D:\\x", buffer);
    Bytes request(524, 0);
    const Bytes path = utf16(u"D:\\x");
    std::copy(path.begin(), path.end(), request.begin() + 4);
    EXPECT_EQ(sent(buffer, size), concat(header(42, 0, 524), request)) << "filelist";
    size = encode_folder_request(TM_CMD_FOLDERLIST, -65536, u"", buffer);
    Bytes drives(524, 0);
    drives[2] = 0xFF;
    drives[3] = 0xFF;
    EXPECT_EQ(sent(buffer, size), concat(header(41, 0, 524), drives)) << "folderlist of the drives";
}

TEST(RemoteCodec, RefusesPayloadsThatDoNotFitOnePacket) {
    PacketBuffer buffer;
    EXPECT_EQ(encode_text(TM_CMD_CONSOLE_LINE, 0, std::u16string(511, u'x'), buffer), 0U);  // 1,024 bytes
    EXPECT_EQ(encode_text(TM_CMD_CONSOLE_LINE, 0, std::u16string(510, u'x'), buffer), 20U + 1022U);
    EXPECT_EQ(encode_folder_request(TM_CMD_FILELIST, 0, std::u16string(260, u'x'), buffer), 0U);
    EXPECT_EQ(encode_folder_request(TM_CMD_FILELIST, 0, std::u16string(259, u'x'), buffer), 20U + 524U);
}

TEST(RemoteCodec, DecodesOnlyWholeHeadersWithTheMagic) {
    const Bytes good = concat(header(13, 138, 4), utf16(u"$G"));
    struct Case {
        const char* what;
        Bytes datagram;
        bool decoded;
    };
    Bytes bad_magic = good;
    bad_magic[0] ^= 1;
    const Case cases[] = {
        {"empty", {}, false},
        {"header cut", Bytes(good.begin(), good.begin() + 19), false},
        {"wrong magic", bad_magic, false},
        {"bare header", header(6, 2, 0), true},
        {"whole", good, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode_packet(c.datagram).has_value(), c.decoded) << c.what;
    }
    const auto packet = decode_packet(good);
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->cmd, 13U);
    EXPECT_EQ(packet->kind, 138U);
    EXPECT_EQ(packet->payload.size(), 4U);
    EXPECT_EQ(read_text(*packet), u"$G");
}

TEST(RemoteCodec, AFieldIsReadOnlyWhenAllItsBytesArrived) {
    // The header promises 12 bytes (three drive sizes) but only 9 arrived.
    const Bytes datagram = concat(header(43, 4, 12), {1, 0, 0, 0, 2, 0, 0, 0, 3});
    const auto packet = decode_packet(datagram);
    ASSERT_TRUE(packet);
    EXPECT_TRUE(packet->truncated());
    EXPECT_EQ(read_i32(*packet, 0), 1);
    EXPECT_EQ(read_i32(*packet, 4), 2);
    EXPECT_FALSE(read_i32(*packet, 8));
    EXPECT_FALSE(read_i32(*packet, 100));
    EXPECT_FALSE(read_i16(*packet, 8));
    EXPECT_EQ(describe_packet(*packet), "[43/4] drive sizes (truncated) (9 of 12 bytes)");
    // Bytes beyond the header's length are not part of the payload.
    const Bytes longer_datagram = concat(header(45, 1, 4), {0x0C, 0x1B, 0, 0, 9, 9});
    const auto longer = decode_packet(longer_datagram);
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->payload.size(), 4U);
    EXPECT_EQ(describe_packet(*longer), "[45/1] error 6924");
}

TEST(RemoteCodec, TextEndsAtItsNulOrAtTheEndOfWhatArrived) {
    struct Case {
        const char* what;
        Bytes payload;
        std::u16string text;
    };
    const Case cases[] = {
        {"terminated", concat(utf16(u"ab"), {0, 0, 'c', 0}), u"ab"},
        {"unterminated", utf16(u"abc"), u"abc"},
        {"odd last byte", concat(utf16(u"ab"), {'c'}), u"ab"},
        {"empty", {}, u""},
    };
    for (const Case& c : cases) {
        const Bytes datagram = concat(header(16, 149, static_cast<std::uint32_t>(c.payload.size())), c.payload);
        const auto packet = decode_packet(datagram);
        ASSERT_TRUE(packet) << c.what;
        EXPECT_EQ(read_text(*packet), c.text) << c.what;
    }
}

TEST(RemoteCodec, DescribesTheInstrumentsReports) {
    struct Case {
        Bytes datagram;
        std::string line;
    };
    Bytes drive = header(43, 4, 12);
    drive = concat(drive, {100, 0, 0, 0, 60, 0, 0, 0, 40, 0, 0, 0});
    const Case cases[] = {
        {concat(header(13, 138, 16), utf16(u"$GAIN,1\r\n")), "[13/138] gain $GAIN,1"},
        {concat(header(14, 142, 4), utf16(u"$G")), "[14/142] gps $G"},
        {concat(header(13, 145, 2), utf16(u"7")), "[13/145] elapsed 7"},
        {concat(header(16, 149, 6), utf16(u"Cap")), "[16/149] recording Cap"},
        {drive, "[43/4] drive total 100 GB free 60 GB used 40 GB"},
        {header(94, 2, 0), "[94/2] ack"},
        {header(56, 3, 0), "[56/3] refused"},
        {header(48, 4, 0), "[48/4] watchdog expired"},
        {concat(header(13, 147, 2), {0xF6, 0xFF}), "[13/147] gain -1.0 dB"},
        {concat(header(3, 7, 4), {1, 2, 3, 4}), "[3/7] raw data chunk 2, 4 bytes"},
        {header(42, 134, 664), "[42/134] file record (truncated) (0 of 664 bytes)"},
    };
    for (const Case& c : cases) {
        const auto packet = decode_packet(c.datagram);
        ASSERT_TRUE(packet) << c.line;
        EXPECT_EQ(describe_packet(*packet), c.line);
    }
}

TEST(RemoteCodec, ReadsTheSettingsBlockAndTheFileRecordOnlyWhenWhole) {
    _TmSettingBlock_t block{};
    std::memcpy(block.SerialNum, "TM12345678", 10);  // all ten used: no terminator
    block.Generation = 2;
    block.Connected = 1;
    block.DriveIndex = 3;
    block.FpgaVer = 0x01020304;
    Bytes payload(sizeof block);
    std::memcpy(payload.data(), &block, sizeof block);
    const Bytes whole = concat(header(0, 2, 216), payload);
    const auto packet = decode_packet(whole);
    ASSERT_TRUE(packet);
    const auto read = read_settings_block(*packet);
    ASSERT_TRUE(read);
    const std::string text = format_settings_block(*read);
    for (const char* line : {"serial: TM12345678\n", "generation: 2\n", "connected: 1\n", "drive: D\n",
                             "fpga version: 1.2.3.4\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
    const Bytes cut_datagram(whole.begin(), whole.end() - 1);
    const auto cut = decode_packet(cut_datagram);
    ASSERT_TRUE(cut);
    EXPECT_FALSE(read_settings_block(*cut));

    _TmFileInfo_t record{};
    const std::u16string name = u"Cap_1.wpj";
    std::copy(name.begin(), name.end(), record.ProjectName);
    std::fill(std::begin(record.SampleName), std::end(record.SampleName), u'x');  // no NUL at all
    record.SampleSize = 5'000'000'000ULL;
    record.IQRate = 2'000'000;
    record.Duration = 2;
    Bytes file(sizeof record);
    std::memcpy(file.data(), &record, sizeof record);
    const Bytes listed_datagram = concat(header(42, 134, 664), file);
    const auto listed = decode_packet(listed_datagram);
    ASSERT_TRUE(listed);
    EXPECT_EQ(describe_packet(*listed), "[42/134] file Cap_1.wpj sample " + std::string(100, 'x') +
                                            " size 5000000000 rate 2000000 freq 0 duration 2s kind 0");
}

TEST(RemoteOptions, ParsesOptionsAndRefusesBadOnesByName) {
    const auto good = parse_remote_options({"--device", "10.0.0.2", "--port-offset", "8", "--timeout", "3",
                                            "--listen-port", "6000", "send", "26", "-5"});
    ASSERT_TRUE(good);
    EXPECT_EQ(good->device, "10.0.0.2");
    EXPECT_EQ(good->port_offset, 8);
    EXPECT_EQ(good->timeout_s, 3);
    EXPECT_EQ(good->listen_port, 6000);
    EXPECT_EQ(good->command, "send");
    EXPECT_EQ(good->args, (std::vector<std::string>{"26", "-5"}));
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case bad[] = {
        {{"--timeout", "x", "search"}, "--timeout"},
        {{"--port-offset"}, "--port-offset"},
        {{"--bogus", "search"}, "--bogus"},
        {{"fly"}, "fly"},
        {{"record"}, "record"},
        {{"search", "extra"}, "search"},
        {{}, "no command"},
    };
    for (const Case& c : bad) {
        const auto parsed = parse_remote_options(c.args);
        ASSERT_FALSE(parsed) << c.named;
        EXPECT_NE(parsed.status().message().find(c.named), std::string::npos) << parsed.status().message();
    }
}

}  // namespace
