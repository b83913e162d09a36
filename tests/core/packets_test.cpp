#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "protocol/Packets.h"

namespace mirvo::packet {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::span<const std::uint8_t> s) { return Bytes(s.begin(), s.end()); }

// Recomputes the last byte so that a deliberately changed packet still carries a valid checksum.
void Reseal(Bytes& packet) { packet.back() = Checksum(std::span(packet).first(packet.size() - 1)); }

TEST(Packets, WorkedExamplesByteForByte) {
  EXPECT_EQ(ToBytes(BuildReadRequest(RegisterReadAddress(1), 254)),
            (Bytes{0x64, 0x00, 0x0B, 0x00, 0x01, 0x80, 0x40, 0x00, 0xFE, 0x00, 0xD5}));
  EXPECT_EQ(ToBytes(BuildReadRequest(kTraceAddress, kTraceByteCount)),
            (Bytes{0x64, 0x00, 0x0B, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x04, 0x10}));
  EXPECT_EQ(ToBytes(BuildWriteReply(RegisterWriteAddress(0x10))),
            (Bytes{0x6E, 0x00, 0x09, 0x00, 0x10, 0x80, 0xC0, 0x00, 0x3C}));

  std::vector<std::uint16_t> words(10);
  std::iota(words.begin(), words.end(), 0x1234);
  const Bytes write = BuildWriteRequest(RegisterWriteAddress(0x10), words);
  ASSERT_EQ(write.size(), 29u);
  EXPECT_EQ(Bytes(write.begin(), write.begin() + 8), (Bytes{0x6E, 0x00, 0x1D, 0x00, 0x10, 0x80, 0xC0, 0x00}));
  EXPECT_EQ(write[8], 0x34);  // first data word, low byte first
  EXPECT_EQ(write[9], 0x12);
  EXPECT_TRUE(ChecksumValid(write));
  EXPECT_EQ(ExpectedReplyLength(write), 9u);

  const auto statusRead = BuildReadRequest(RegisterReadAddress(1), 254);
  EXPECT_EQ(ExpectedReplyLength(statusRead), 279u);
  const Bytes reply = BuildReadReply(RegisterReadAddress(1), {}, Bytes(254));
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 8), (Bytes{0x64, 0x00, 0x17, 0x01, 0x01, 0x80, 0x40, 0x00}));
}

TEST(Packets, AddressFields) {
  EXPECT_EQ(RegisterReadAddress(0), 0x408000u);
  EXPECT_EQ(RegisterReadAddress(0xFF), 0x4080FFu);
  EXPECT_EQ(RegisterWriteAddress(0x0C), 0xC0800Cu);
  EXPECT_EQ(SpectrumReadAddress(0), 0x400000u);
  EXPECT_EQ(SpectrumReadAddress(2050), 0x400000u + 4100u);
  EXPECT_EQ(SpectrumReadAddress(4 * 4096 - 1), 0x400000u + 2u * 16383u);
}

TEST(Packets, ChecksumWrapsAtBothEnds) {
  const Bytes sumsToThree{0x01, 0x02};
  EXPECT_EQ(Checksum(sumsToThree), 0x00);
  const Bytes sumsToFour{0x02, 0x02};
  EXPECT_EQ(Checksum(sumsToFour), 0xFF);
  const Bytes sumsTo259{0xFF, 0x04};  // 259 mod 256 = 3
  EXPECT_EQ(Checksum(sumsTo259), 0x00);
  EXPECT_TRUE(ChecksumValid(Bytes{0x01, 0x02, 0x00}));
  EXPECT_TRUE(ChecksumValid(Bytes{0x02, 0x02, 0xFF}));
}

TEST(Packets, ReadOfNothingExpectsHeaderStatusAndChecksum) {
  const auto request = BuildReadRequest(RegisterReadAddress(1), 0);
  EXPECT_EQ(request.size(), 11u);
  EXPECT_EQ(ExpectedReplyLength(request), 25u);
  Bytes reply = BuildReadReply(RegisterReadAddress(1), {}, {});
  ASSERT_EQ(reply.size(), 25u);
  EXPECT_EQ(CheckReadReply(request, reply, reply.size()), ReplyCheck::Accepted);
}

struct Fault {
  const char* name;
  void (*apply)(Bytes& reply, std::size_t& received);
  ReplyCheck expected;
};

TEST(Packets, EveryRejectionRuleOfAReadReply) {
  const std::vector<std::uint16_t> status{250, 7, 0, 0, 2500, 0, 31, 0};
  const auto request = BuildReadRequest(RegisterReadAddress(1), 254);
  const Bytes good = BuildReadReply(RegisterReadAddress(1), status, Bytes(254, 0x5A));

  const Fault faults[] = {
      {"accepted as built", [](Bytes&, std::size_t&) {}, ReplyCheck::Accepted},
      {"one byte short", [](Bytes&, std::size_t& n) { --n; }, ReplyCheck::WrongByteCount},
      {"one byte too many", [](Bytes& r, std::size_t& n) { r.push_back(0); ++n; }, ReplyCheck::WrongByteCount},
      {"opcode of a write", [](Bytes& r, std::size_t&) { r[0] = 110; Reseal(r); }, ReplyCheck::WrongOpcode},
      {"length word off by one", [](Bytes& r, std::size_t&) { r[2] += 1; Reseal(r); }, ReplyCheck::WrongLengthWord},
      {"other register", [](Bytes& r, std::size_t&) { r[4] = 0x02; Reseal(r); }, ReplyCheck::WrongAddressLow},
      {"bit 23 flipped", [](Bytes& r, std::size_t&) { r[6] ^= 0x80; Reseal(r); }, ReplyCheck::WrongAddressHigh},
      {"checksum off", [](Bytes& r, std::size_t&) { r.back() ^= 1; }, ReplyCheck::BadChecksum},
      {"data corrupted", [](Bytes& r, std::size_t&) { r[100] ^= 0x10; }, ReplyCheck::BadChecksum},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    Bytes reply = good;
    std::size_t received = reply.size();
    fault.apply(reply, received);
    EXPECT_EQ(CheckReadReply(request, reply, received), fault.expected);
    // Whatever the verdict, no stale header stays in the buffer.
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 8), Bytes(8, 0));
    // The same buffer checked again can never pass.
    EXPECT_NE(CheckReadReply(request, reply, received), ReplyCheck::Accepted);
  }
}

TEST(Packets, WriteReplyChecks) {
  const std::vector<std::uint16_t> words(116);
  const Bytes request = BuildWriteRequest(RegisterWriteAddress(0x0C), words);
  Bytes reply = ToBytes(BuildWriteReply(RegisterWriteAddress(0x0C)));
  EXPECT_EQ(CheckWriteReply(request, reply, reply.size()), ReplyCheck::Accepted);

  Bytes readEcho = ToBytes(BuildWriteReply(RegisterReadAddress(0x0C)));  // bit 23 clear
  EXPECT_EQ(CheckWriteReply(request, readEcho, readEcho.size()), ReplyCheck::WrongAddressHigh);
  Bytes other = ToBytes(BuildWriteReply(RegisterWriteAddress(0x10)));
  EXPECT_EQ(CheckWriteReply(request, other, other.size()), ReplyCheck::WrongAddressLow);
  Bytes shortReply = ToBytes(BuildWriteReply(RegisterWriteAddress(0x0C)));
  EXPECT_EQ(CheckWriteReply(request, shortReply, 8), ReplyCheck::WrongByteCount);
  // A receive buffer smaller than the claimed byte count is refused, never read past its end.
  Bytes tiny(4, 0);
  EXPECT_EQ(CheckWriteReply(request, tiny, 9), ReplyCheck::WrongByteCount);
}

TEST(Packets, StatusBlockFromEveryReadReply) {
  const std::vector<std::uint16_t> status{250, 42, 1234, 9, 3300, 9, static_cast<std::uint16_t>(-7), 9};
  const auto request = BuildReadRequest(kTraceAddress, kTraceByteCount);
  Bytes reply = BuildReadReply(kTraceAddress, status, Bytes(1024, 1));
  ASSERT_EQ(CheckReadReply(request, reply, reply.size()), ReplyCheck::Accepted);
  const StatusBlock block = ParseStatusBlock(reply);  // the header is cleared, the status block is not
  EXPECT_EQ(block.firmware, 250);
  EXPECT_EQ(block.serialnumber, 42);
  EXPECT_EQ(block.bias, 1234u);
  EXPECT_DOUBLE_EQ(block.slowadc, 3.3);
  EXPECT_EQ(block.intemp, -7);
}

}  // namespace
}  // namespace mirvo::packet
