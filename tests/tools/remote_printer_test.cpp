// The remote client's output: one line per packet, one summary line per raw-data transfer.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tools/remote/printer.hpp"

namespace {

using namespace tamrel::remote;

std::vector<std::uint8_t> datagram(std::uint32_t cmd, std::uint32_t kind, std::size_t payload) {
    PacketBuffer buffer{};
    const std::vector<std::uint8_t> bytes(payload, 7);
    const std::size_t size = encode_packet(cmd, kind, bytes, buffer);
    return {buffer.begin(), buffer.begin() + static_cast<long>(size)};
}

TEST(RemotePrinter, SummarisesEachRawTransferInOneLine) {
    const std::vector<std::vector<std::uint8_t>> received = {
        datagram(3, 5, 1000), datagram(3, 6, 1000), datagram(3, 7, 500),  // one transfer
        datagram(3, 5, 1000),                                               // the next one
        datagram(13, 138, 0),                                               // ends it
        datagram(4, 5, 1000), datagram(4, 6, 10),                           // ended by flush
    };
    std::ostringstream out;
    {
        PacketPrinter printer(out);
        for (const auto& d : received) {
            const auto packet = decode_packet(d);
            ASSERT_TRUE(packet);
            printer.print(*packet);
        }
        printer.line("done");
        printer.print(*decode_packet(received[0]));
    }  // the destructor writes what is pending
    EXPECT_EQ(out.str(),
              "[3/raw] raw data, 3 chunks, 2500 bytes\n"
              "[3/raw] raw data, 1 chunks, 1000 bytes\n"
              "[13/138] gain \n"
              "[4/raw] raw data, 2 chunks, 1010 bytes\n"
              "done\n"
              "[3/raw] raw data, 1 chunks, 1000 bytes\n");
}

}  // namespace
