// GPS text of the second-generation board: the bounded FIFO the receiver's bytes wait in, and the
// two CALT_PCI_QSYS operations that hand them over. Which states refuse them is covered by the
// operation table (availability, faults).

#include <algorithm>
#include <array>
#include <string>

#include "sim_fixture.hpp"
#include "tamrelapi/alt_pci_qsys.hpp"
#include "tamrelapi/sim/gps_text.hpp"

namespace tamrel::test {
namespace {

using api::DeviceKind;

constexpr std::string_view kGga =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
constexpr std::string_view kRmc =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

template <std::size_t N>
std::string text(const std::array<unsigned char, N>& buffer, std::size_t n) {
    return {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST(GpsTextModel, TakesTheOldestBytesFirstAndLeavesTheRestOfTheBufferAlone) {
    sim::GpsText fifo;
    EXPECT_EQ(fifo.feed("$GPG"), 4U);
    EXPECT_EQ(fifo.feed("GA,1"), 4U);
    std::array<unsigned char, 8> buffer{};
    buffer.fill('x');
    EXPECT_EQ(fifo.take(buffer.data(), 3), 3U);
    EXPECT_EQ(text(buffer, 8), "$GPxxxxx");
    EXPECT_EQ(fifo.take(buffer.data(), 8), 5U);  // fewer wait than asked for
    EXPECT_EQ(text(buffer, 8), "GGA,1xxx");
    EXPECT_EQ(fifo.waiting(), 0U);
    EXPECT_EQ(fifo.take(buffer.data(), 8), 0U);
    EXPECT_EQ(text(buffer, 8), "GGA,1xxx");
}

TEST(GpsTextModel, BytesBeyondTheBoundAreDroppedAndCountedUntilRoomIsMade) {
    sim::GpsText fifo(8);
    EXPECT_EQ(fifo.feed("0123456"), 7U);
    EXPECT_EQ(fifo.feed("789"), 1U);  // the new bytes are the ones lost
    EXPECT_EQ(fifo.waiting(), 8U);
    EXPECT_EQ(fifo.dropped(), 2U);
    EXPECT_EQ(fifo.feed("ab"), 0U);
    EXPECT_EQ(fifo.dropped(), 4U);

    std::array<unsigned char, 8> buffer{};
    ASSERT_EQ(fifo.take(buffer.data(), 3), 3U);
    EXPECT_EQ(text(buffer, 3), "012");
    EXPECT_EQ(fifo.feed("cdef"), 3U);
    ASSERT_EQ(fifo.take(buffer.data(), 8), 8U);
    EXPECT_EQ(text(buffer, 8), "34567cde");
    EXPECT_EQ(fifo.dropped(), 5U);

    fifo.clear();
    EXPECT_EQ(fifo.waiting(), 0U);
    EXPECT_EQ(fifo.dropped(), 0U);
}

class GpsText : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        open_fresh(DeviceKind::second_generation);
        buffer_.fill('x');
    }
    unsigned rx_count() {
        unsigned count = 0xDEADBEEF;
        EXPECT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_RxCount(count), api::status_ok);
        return count;
    }
    std::array<unsigned char, 256> buffer_{};
};

TEST_F(GpsText, TheSessionReceivesTheSentencesInOrderAndInPieces) {
    EXPECT_EQ(rx_count(), 0U);
    sim::control::feed_gps_text(kGga);
    sim::control::feed_gps_text(kRmc);
    const std::string sent = std::string(kGga) + std::string(kRmc);
    ASSERT_EQ(rx_count(), sent.size());

    ASSERT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer_.data(), 10), api::status_ok);
    EXPECT_EQ(text(buffer_, 11), "$GPGGA,123x");
    EXPECT_EQ(rx_count(), sent.size() - 10);

    ASSERT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer_.data(), 256), api::status_ok);
    EXPECT_EQ(text(buffer_, sent.size() - 10), sent.substr(10));
    EXPECT_TRUE(std::all_of(buffer_.begin() + static_cast<std::ptrdiff_t>(sent.size() - 10),
                            buffer_.end(), [](unsigned char c) { return c == 'x'; }));
    EXPECT_EQ(rx_count(), 0U);
    EXPECT_EQ(sim::control::gps_text_waiting(), 0U);
}

TEST_F(GpsText, CountZeroDoesNothingAndANullBufferIsRefusedWithoutTakingAnything) {
    sim::control::feed_gps_text(kGga);
    EXPECT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(nullptr, 0), api::status_ok);
    EXPECT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer_.data(), 0), api::status_ok);
    EXPECT_EQ(buffer_[0], 'x');
    EXPECT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(nullptr, 5),
              api::status_invalid_argument);
    EXPECT_EQ(rx_count(), kGga.size());
}

TEST_F(GpsText, TheBoardHoldsOneMebibyteCountsWhatIsDroppedAndResetEmptiesIt) {
    constexpr std::size_t kBound = std::size_t{1} << 20;
    const std::string chunk(4096, 'G');
    std::size_t kept = 0;
    for (std::size_t fed = 0; fed < kBound; fed += chunk.size()) {
        kept += sim::control::feed_gps_text(chunk);
    }
    EXPECT_EQ(kept, kBound);
    EXPECT_EQ(sim::control::feed_gps_text(kRmc), 0U);
    EXPECT_EQ(rx_count(), kBound);
    EXPECT_EQ(sim::control::gps_text_dropped(), kRmc.size());

    ASSERT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer_.data(), 16), api::status_ok);
    EXPECT_EQ(sim::control::feed_gps_text(kRmc), 16U);  // room for 16 again
    EXPECT_EQ(sim::control::gps_text_dropped(), 2 * kRmc.size() - 16);

    sim::control::reset(DeviceKind::second_generation);
    EXPECT_EQ(sim::control::gps_text_waiting(), 0U);
    EXPECT_EQ(sim::control::gps_text_dropped(), 0U);
}

TEST_F(GpsText, TheCallLogNamesTheCountAskedFor) {
    ASSERT_EQ(rx_count(), 0U);
    ASSERT_EQ(gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer_.data(), 16), api::status_ok);
    const std::vector<sim::CallRecord> calls = sim::control::calls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0].operation, "CALT_PCI_QSYS::String_Recevie_From_GPS_RxCount");
    EXPECT_EQ(calls[0].arguments, "");
    EXPECT_EQ(calls[1].operation, "CALT_PCI_QSYS::String_Recevie_From_GPS_Data");
    EXPECT_EQ(calls[1].arguments, "count=16");
}

}  // namespace
}  // namespace tamrel::test
