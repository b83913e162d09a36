// The simulator on its pseudo-terminal answers the host's packets as the instrument does: the
// worked examples byte for byte, requests in pieces, garbage and bad checksums, and the design flash.
#include <gtest/gtest.h>

#include <numeric>

#include "FakeClock.h"
#include "fpga/FpgaProtocol.h"
#include "lib/Simulator.h"
#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"
#include "testsupport/SimClient.h"

namespace {

namespace pk = mirvo::packet;
namespace fp = mirvo::fpga;
using Bytes = std::vector<std::uint8_t>;

class SimProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kvetral::SimOptions options;
    options.clock = &clock;
    options.serial = 4711;
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    client = std::make_unique<kvetral::test::SimClient>(sim->DevicePath());
    ASSERT_TRUE(client->Ok());
  }
  // The reply to a status read: proves that nothing else came before it on the line.
  Bytes StatusReply() { return client->Read(pk::RegisterReadAddress(1), 254); }

  mirvo::test::FakeClock clock{1'765'000'000'000};
  std::unique_ptr<kvetral::Simulator> sim;
  std::unique_ptr<kvetral::test::SimClient> client;
};

TEST_F(SimProtocolTest, AnswersTheWorkedExamplesByteForByte) {
  const auto statusRead = pk::BuildReadRequest(0x408001, 254);
  ASSERT_EQ(Bytes(statusRead.begin(), statusRead.end()),
            (Bytes{0x64, 0x00, 0x0B, 0x00, 0x01, 0x80, 0x40, 0x00, 0xFE, 0x00, 0xD5}));
  Bytes reply = client->Exchange(statusRead, 279);
  ASSERT_EQ(reply.size(), 279u);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 8), (Bytes{0x64, 0x00, 0x17, 0x01, 0x01, 0x80, 0x40, 0x00}));
  const auto status = pk::ParseStatusBlock(reply);
  EXPECT_EQ(status.firmware, 250);
  EXPECT_EQ(status.serialnumber, 4711);
  EXPECT_GT(status.slowadc, 2.0);
  EXPECT_GE(status.intemp, 20);
  EXPECT_LE(status.intemp, 45);
  Bytes buffer = reply;
  EXPECT_EQ(pk::CheckReadReply(statusRead, buffer, reply.size()), pk::ReplyCheck::Accepted);

  const std::vector<std::uint16_t> control(10, 0);
  const Bytes write = pk::BuildWriteRequest(0xC08010, control);
  ASSERT_EQ(write.size(), 29u);
  EXPECT_EQ(client->Exchange(write, 9), (Bytes{0x6E, 0x00, 0x09, 0x00, 0x10, 0x80, 0xC0, 0x00, 0x3C}));

  const auto traceRead = pk::BuildReadRequest(pk::kTraceAddress, pk::kTraceByteCount);
  EXPECT_EQ(Bytes(traceRead.begin(), traceRead.end()),
            (Bytes{0x64, 0x00, 0x0B, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x04, 0x10}));
  reply = client->Exchange(traceRead, 1049);
  buffer = reply;
  EXPECT_EQ(pk::CheckReadReply(traceRead, buffer, reply.size()), pk::ReplyCheck::Accepted);

  const auto empty = pk::BuildReadRequest(pk::RegisterReadAddress(1), 0);
  reply = client->Exchange(empty, 25);
  buffer = reply;
  EXPECT_EQ(pk::CheckReadReply(empty, buffer, reply.size()), pk::ReplyCheck::Accepted);
  EXPECT_EQ(sim->RequestsReceived(), 4u);
}

TEST_F(SimProtocolTest, StoresWrittenRegistersButKeepsItsOwnCounters) {
  // A settings block write carries the host's stale copies of the time and rate counters.
  const auto powerUp = client->ReadRegisters(0, 0x80);
  ASSERT_EQ(powerUp.size(), 0x80u);
  EXPECT_EQ((powerUp[0x0F] >> 2) & 3, 2);  // 8 ns sample clock
  EXPECT_EQ(powerUp[mirvo::reg::kTimeConstantExponent] & 0x0F, 8);
  client->WriteRegister(mirvo::reg::kPresetReal, 1000);
  client->WriteRegister(mirvo::reg::kControlWord, mirvo::cw::kRun | mirvo::cw::kRunCompanion);
  sim->AdvanceTime(3.0);
  std::vector<std::uint16_t> settings(0x74, 0x1234);
  settings[mirvo::reg::kControlWord - 0x0C] = mirvo::cw::kRun | mirvo::cw::kRunCompanion;
  settings[mirvo::reg::kPresetReal - 0x0C] = 1000;
  settings[mirvo::reg::kPresetLive - 0x0C] = 0;
  ASSERT_EQ(client->Write(pk::RegisterWriteAddress(0x0C), settings).size(), 9u);
  const auto regs = client->ReadRegisters(0, 0x80);
  ASSERT_EQ(regs.size(), 0x80u);
  EXPECT_EQ(regs[0x0C], 0x1234);
  EXPECT_EQ(regs[0x65], 0x1234);
  EXPECT_EQ(regs[mirvo::reg::kRealTicksLow], 300);  // 3.00 s, not the host's 0x1234
  EXPECT_EQ(regs[mirvo::reg::kFpgaVersion], 31);
  EXPECT_EQ(regs[mirvo::reg::kTimeConstantExponent], powerUp[mirvo::reg::kTimeConstantExponent]);
}

TEST_F(SimProtocolTest, SpectrumMemoryReadsReturnTheCountsLowWordFirst) {
  sim->AdvanceTime(0);
  client->WriteRegister(mirvo::reg::kControlWord, mirvo::cw::kRun);
  sim->AdvanceTime(20.0);
  client->WriteRegister(mirvo::reg::kControlWord, 0);
  for (unsigned spectrum = 0; spectrum < 4; ++spectrum) {
    const unsigned first = spectrum * 4096 + 700;  // a chunk of 300 counts straddling word boundaries
    const Bytes reply = client->Read(pk::SpectrumReadAddress(first), 4 * 300);
    ASSERT_EQ(reply.size(), 4u * 300 + 25);
    std::uint64_t total = 0;
    for (unsigned i = 0; i < 300; ++i) {
      const std::uint32_t count = pk::GetWord(reply, 24 + 4 * i) | (pk::GetWord(reply, 26 + 4 * i) << 16);
      ASSERT_EQ(count, sim->Count(spectrum, 700 + i)) << "spectrum " << spectrum << " channel " << 700 + i;
      total += count;
    }
    if (spectrum != 3) {
      EXPECT_GT(total, 0u);
    }
  }
}

TEST_F(SimProtocolTest, AssemblesRequestsThatArriveInPieces) {
  const auto request = pk::BuildReadRequest(pk::RegisterReadAddress(1), 254);
  for (std::uint8_t byte : request) client->Send(std::span<const std::uint8_t>(&byte, 1));
  const Bytes reply = client->Receive(279);
  ASSERT_EQ(reply.size(), 279u);
  EXPECT_EQ(pk::GetWord(reply, 2), 279);
  const auto log = sim->RequestLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], Bytes(request.begin(), request.end()));
}

TEST_F(SimProtocolTest, ResynchronisesPastMalformedBytesAndIgnoresBadChecksums) {
  const auto good = pk::BuildReadRequest(pk::RegisterReadAddress(0x10), 2);
  auto bad = good;
  bad.back() = static_cast<std::uint8_t>(bad.back() + 1);
  const struct {
    const char* what;
    Bytes prefix;
  } cases[] = {
      {"noise", {0x00, 0xFF, 0x13, 0x37, 0x64}},
      {"a header cut short", {0x64, 0x00, 0x0B, 0x00, 0x01, 0x80}},
      {"a request with a bad checksum", Bytes(bad.begin(), bad.end())},
      {"a write header announcing more than the line holds", {0x6E, 0x00, 0x09, 0x02}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim->ClearRequestLog();
    const auto before = sim->RequestsReceived();
    Bytes stream = c.prefix;
    stream.insert(stream.end(), good.begin(), good.end());
    client->Send(stream);
    const Bytes reply = client->Receive(27);
    ASSERT_EQ(reply.size(), 27u);
    EXPECT_EQ(pk::GetWord(reply, 0), pk::kReadOpcode);
    EXPECT_EQ(pk::GetLong(reply, 4), pk::RegisterReadAddress(0x10));
    EXPECT_EQ(sim->RequestsReceived(), before + 1);
    ASSERT_EQ(sim->RequestLog().size(), 1u);
    EXPECT_EQ(sim->RequestLog()[0], Bytes(good.begin(), good.end()));
    // Nothing else is waiting on the line: the next reply comes first.
    EXPECT_EQ(StatusReply().size(), 279u);
  }
}

TEST_F(SimProtocolTest, DesignFlashStoresReturnsAndConfiguresOnlyWithTheKey) {
  // Shared packet layouts: what the design dialog sends, byte for byte where the layout is fixed.
  EXPECT_EQ(fp::ReverseBits(0x01), 0x80);
  EXPECT_EQ(fp::ReverseBits(0x0F), 0xF0);
  const auto configure = fp::BuildConfigure(0x11223344);
  EXPECT_EQ(Bytes(configure.begin(), configure.end() - 1), (Bytes{0xF6, 0x00, 0x09, 0x00, 0x44, 0x33, 0x22, 0x11}));
  const auto read = fp::BuildFlashRead(fp::kFlashReadOpcode, 0x00012345);
  EXPECT_EQ(Bytes(read.begin(), read.end() - 1), (Bytes{0xD7, 0x00, 0x0B, 0x00, 0x45, 0x23, 0x01, 0x00, 0x00, 0x02}));
  EXPECT_TRUE(pk::ChecksumValid(configure));
  EXPECT_TRUE(pk::ChecksumValid(read));

  std::array<std::uint8_t, fp::kFlashBlockSize> block{};
  std::iota(block.begin(), block.end(), 7);
  const std::uint32_t address = 0x20000;
  const auto expected = fp::BuildFlashWriteReply(fp::kFlashWriteOpcode, address);
  EXPECT_EQ(client->Exchange(fp::BuildFlashWrite(address, block), 9), Bytes(expected.begin(), expected.end()));
  // The first verify read may carry the design file's own command word; the reply is always 215.
  for (std::uint16_t opcode : {fp::kFlashReadOpcode, std::uint16_t{212}}) {
    const Bytes reply = client->Exchange(fp::BuildFlashRead(opcode, address), fp::kFlashReadReplyLength);
    ASSERT_EQ(reply.size(), fp::kFlashReadReplyLength);
    EXPECT_EQ(pk::GetWord(reply, 0), fp::kFlashReadOpcode);
    EXPECT_TRUE(pk::ChecksumValid(reply));
    EXPECT_EQ(Bytes(reply.begin() + fp::kFlashReadReplyDataOffset, reply.end() - 1), Bytes(block.begin(), block.end()));
  }
  EXPECT_EQ(sim->Flash(address, 3), (Bytes{7, 8, 9}));
  EXPECT_EQ(sim->Flash(address + fp::kFlashBlockSize, 1), (Bytes{0xFF}));  // erased flash

  // Blocks past the end of the 4 MiB and a configure with the wrong key get no answer.
  client->Send(fp::BuildFlashWrite(fp::kFlashSize - 256, block));
  client->Send(fp::BuildFlashRead(fp::kFlashReadOpcode, fp::kFlashSize));
  client->Send(fp::BuildConfigure(fp::ConfigureKey() ^ 1));
  EXPECT_EQ(StatusReply().size(), 279u);
  EXPECT_EQ(sim->Configurations(), 0u);

  sim->SetRegister(0x65, 1234);
  const Bytes reply = client->Exchange(fp::BuildConfigure(fp::ConfigureKey()), fp::kConfigureReplyLength);
  ASSERT_EQ(reply.size(), 9u);
  EXPECT_EQ(pk::GetWord(reply, 0), fp::kConfigureOpcode);
  EXPECT_TRUE(pk::ChecksumValid(reply));
  EXPECT_EQ(sim->Configurations(), 1u);
  EXPECT_EQ(sim->Register(0x65), 0);  // the loaded design starts from its power-up registers
  EXPECT_EQ(sim->Flash(address, 3), (Bytes{7, 8, 9}));
}

}  // namespace
