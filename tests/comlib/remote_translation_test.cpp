// Received packets turned into console lines: each identifier's payload decoded into the exact
// line, the connection gate, the connect bookkeeping, the queue flush, and packets too short
// for their fields.

#include <cstring>
#include <optional>

#include "session_fixture.hpp"
#include "platform/text/utf.hpp"
#include "tamrelapi/sim/control.hpp"

namespace {

using tamrel::api::DeviceKind;

constexpr std::uint32_t kLoopbackBe = 0x0100007F;  // 127.0.0.1 in network byte order

// A packet as the receive thread hands it over: `payload` is all that arrived after the header.
struct Packet {
    std::uint32_t cmd = 0;
    std::uint32_t kind = 0;
    std::vector<std::uint8_t> payload;

    Packet& i32(std::int32_t v) { return raw(&v, 4); }
    Packet& u32(std::uint32_t v) { return raw(&v, 4); }
    Packet& i16(std::int16_t v) { return raw(&v, 2); }
    Packet& i64(std::int64_t v) { return raw(&v, 8); }
    Packet& f64(double v) { return raw(&v, 8); }
    Packet& text(std::u16string_view t, bool nul = true) {
        raw(t.data(), t.size() * 2);
        if (nul) i16(0);
        return *this;
    }
    Packet& zeros(std::size_t n) {
        payload.insert(payload.end(), n, 0);
        return *this;
    }
    Packet& raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        payload.insert(payload.end(), b, b + n);
        return *this;
    }
};

Packet packet(std::uint32_t cmd, std::uint32_t kind = 2) {
    Packet p;
    p.cmd = cmd;
    p.kind = kind;
    return p;
}

class TranslationTest : public SessionTest {
protected:
    // The line, or none when the packet is refused.
    std::optional<std::u16string> translate(const Packet& p, std::uint32_t source_be = kLoopbackBe) {
        auto raw = std::make_unique<_TmPacket_t>();
        std::memset(raw.get(), 0, sizeof *raw);
        raw->magic = TM_PACKET_MAGIC;
        raw->cmd = p.cmd;
        raw->rw = p.kind;
        raw->length = static_cast<std::uint32_t>(p.payload.size());
        raw->address = source_be;
        if (!p.payload.empty()) std::memcpy(raw->data, p.payload.data(), p.payload.size());
        std::u16string line;
        if (session_->Convert_RemoteCmd2ConsoleCmd(line, raw.get()) != 0) return std::nullopt;
        return line;
    }
    void attach() { CTamrelComMFCTestPeer::set_setting(*session_, &_TmSettingBlock_t::Connected, 1U); }
};

struct LineCase {
    const char* what;
    Packet packet;
    std::optional<std::u16string> line;  // none: refused
};

TEST_F(TranslationTest, EachIdentifierBecomesItsConsoleLine) {
    attach();
    std::vector<std::uint8_t> folder_record(524, 0);
    {
        const std::int32_t parent = 7;
        std::memcpy(folder_record.data(), &parent, 4);
        const std::u16string name = u"D:\\TamrelData\\Record";
        std::memcpy(folder_record.data() + 4, name.data(), name.size() * 2);
    }
    const LineCase cases[] = {
        {"start form", packet(5), u"record 1"},
        {"stop form", packet(96), u"t2play 0"},
        {"bare form", packet(9), u"playpause"},
        {"text form with blanks", packet(15).text(u"D:\\TamrelData\\Record\\a b.wpj"), u"playfile D:\\TamrelData\\Record\\a b.wpj"},
        {"text without its NUL ends with what arrived", packet(106).text(u"D:\\x.wpj", false), u"t2playfile D:\\x.wpj"},
        {"signed 32 bits", packet(28).i32(-5), u"pp -5"},
        {"unsigned 32 bits", packet(27).u32(0xFFFFFFFFU), u"arb 4294967295"},
        {"unsigned row repeated", packet(72).u32(474000000), u"t2recordfreq 474000000"},
        {"16 bits sign-extended", packet(26).i16(-1), u"playgain -1"},
        {"16 bits of a longer payload", packet(84).i16(-300).zeros(2), u"t2playgain -300"},
        {"repeat skips its first field", packet(29).i32(7).i32(10).i32(20), u"playrepeat 10 20"},
        {"second-generation repeat", packet(110).i32(0).i32(1).i32(3), u"t2playrepeat 1 3"},
        {"folder record", packet(41).raw(folder_record.data(), folder_record.size()), u"folderlist 7 D:\\TamrelData\\Record"},
        {"two signed", packet(64).i32(60).i32(3), u"bbrset 60 3"},
        {"two unsigned", packet(109).u32(48000000).u32(960000000), u"t2fullbandfreq 48000000 960000000"},
        {"noise levels split", packet(112).u32((20U << 16) | 3U), u"t2playawgnsn 3 20"},
        {"a whole console line", packet(114).text(u"capturetime 10"), u"capturetime 10"},
        {"module set", packet(115, 168).i32(-12), u"modulecal 0 -12"},
        {"module read", packet(115, 172), u"modulecal 1"},
        {"module kind out of range", packet(115, 174), std::nullopt},
        {"double", packet(123).f64(2.5), u"hdr_iqrate 2.500000"},
        {"no translation", packet(113), std::nullopt},
        {"beyond the table", packet(131), std::nullopt},
        {"far beyond the table", packet(0xFFFFFFFFU), std::nullopt},
        {"keep-alive is not a line", packet(23), std::nullopt},
        {"short signed field", packet(25).zeros(3), std::nullopt},
        {"short repeat", packet(29).zeros(11), std::nullopt},
        {"short 16 bits", packet(26).zeros(1), std::nullopt},
        {"short double", packet(123).zeros(7), std::nullopt},
        {"empty payload for a number", packet(53), std::nullopt},
    };
    for (const LineCase& c : cases) {
        const auto got = translate(c.packet);
        EXPECT_EQ(got.has_value(), c.line.has_value()) << c.what;
        if (got && c.line) {
            EXPECT_EQ(platform::to_utf8(*got), platform::to_utf8(*c.line)) << c.what;
        }
    }
}

TEST_F(TranslationTest, TheGateRefusesCommandsUntilAHostIsAttached) {
    struct GateCase {
        std::uint32_t cmd;
        bool passes_unattached;
    };
    const GateCase cases[] = {{0, true}, {5, false}, {2, false}, {15, false}, {106, false}, {130, false}};
    for (const GateCase& c : cases) {
        EXPECT_EQ(translate(packet(c.cmd).zeros(8)).has_value(), c.passes_unattached) << c.cmd;
    }
    // The black-box event is accepted without a host, and its whole request is kept.
    const auto line = translate(packet(65).i32(2).i32(0).i32(9).i32(0).i64(-123456789012LL).zeros(32));
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(platform::to_utf8(*line), "bbrevent 9 -123456789012 2");
    const auto request = session_->BlackBoxEventRequest();
    std::int32_t mask = 0;
    std::memcpy(&mask, request.data(), 4);
    EXPECT_EQ(mask, 2);
    EXPECT_FALSE(translate(packet(65).zeros(23)).has_value()) << "shorter than its fields";
    attach();
    EXPECT_TRUE(translate(packet(5)).has_value());
}

TEST_F(TranslationTest, SearchRecordsItsRequester) {
    ASSERT_TRUE(translate(packet(0), 0x0A00000A).has_value());
    EXPECT_EQ(session_->SearchRequesterAddress(), 0x0A00000AU);
}

// "triggeroutlevel" has no translation: refused on both generations.
TEST_F(TranslationTest, TriggerOutLevelIsRefusedOnBothGenerations) {
    for (DeviceKind kind : {DeviceKind::second_generation, DeviceKind::first_generation}) {
        tamrel::sim::control::reset(kind);
        session_ = std::make_unique<CTamrelComMFC>();
        ASSERT_EQ(session_->TmOpenDevice(), 0U);
        attach();
        EXPECT_FALSE(translate(packet(60).i32(1)).has_value()) << tamrel::api::device_kind_name(kind);
    }
}

TEST_F(TranslationTest, DisconnectAndModechangeEmptyTheQueueFirst) {
    attach();
    for (std::uint32_t cmd : {2U, 24U}) {
        for (int i = 0; i < 3; ++i) ASSERT_EQ(session_->TmTypeEditAddCmd(u"syncdata"), 0U);
        ASSERT_EQ(session_->CommandQueueLength(), 3U);
        const auto line = translate(packet(cmd).i32(1));
        ASSERT_TRUE(line.has_value()) << cmd;
        EXPECT_EQ(session_->CommandQueueLength(), 0U) << cmd;
    }
}

// Connect: the port must be there and not 0, one connect at a time, and the host's address and
// port change only when the console's "connect" succeeds.
TEST_F(TranslationTest, AConnectNeedsAPortAndTakesEffectOnlyWhenItSucceeds) {
    EXPECT_FALSE(translate(packet(1)).has_value()) << "no port field";
    EXPECT_FALSE(translate(packet(1).i16(0)).has_value()) << "port 0";
    const std::uint32_t before_address = session_->HostAddress();
    const std::uint16_t before_port = session_->HostUdpPort();

    // No device was opened: the console's connect fails and nothing changes.
    ASSERT_TRUE(translate(packet(1).i16(4000), 0x0B00000A).has_value());
    EXPECT_FALSE(translate(packet(1).i16(4001), 0x0C00000A).has_value()) << "a second connect waits for the first";
    CTamrelComMFCTestPeer::run(*session_, u"connect");
    EXPECT_EQ(session_->ConnectionState(), 0U);
    EXPECT_EQ(session_->HostAddress(), before_address);
    EXPECT_EQ(session_->HostUdpPort(), before_port);

    // With a device the next connect attaches its host; a later one is refused.
    ASSERT_EQ(session_->TmOpenDevice(), 0U);
    ASSERT_TRUE(translate(packet(1).i16(4002), 0x0D00000A).has_value());
    CTamrelComMFCTestPeer::run(*session_, u"connect");
    EXPECT_EQ(session_->ConnectionState(), 2U);
    EXPECT_EQ(session_->HostAddress(), 0x0D00000AU);
    EXPECT_EQ(session_->HostUdpPort(), 4002U);
    EXPECT_FALSE(translate(packet(1).i16(4003), 0x0E00000A).has_value()) << "a host is attached";
    EXPECT_EQ(session_->HostAddress(), 0x0D00000AU);
}

}  // namespace
