// The FPGA programmer against a scripted instrument: design files, blocks and padding, bit
// reversal, verify differences, reply checks, time-outs on timer ticks (no real waiting), Stop.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <sys/stat.h>

#include "FileTestSupport.h"
#include "FpgaFixtures.h"
#include "fpga/FpgaMessageList.h"
#include "lib/FlashMemory.h"
#include "protocol/Packets.h"

namespace mirvo::test {
namespace {

namespace fp = fpga;
using fp::FpgaOutcome;

// An instrument on the other end of the port: a flash that answers writes, reads and configure as
// the firmware does, with faults on cue. Replies wait in the input until the test delivers them.
class ScriptedFlashPort final : public fp::IFlashPort {
 public:
  bool Write(std::span<const std::uint8_t> bytes, std::uint32_t) override {
    requests.emplace_back(bytes.begin(), bytes.end());
    if (failWrites) return false;
    if (silent) return true;
    std::vector<std::uint8_t> reply = Answer(requests.back());
    if (tamper) tamper(reply);
    input.insert(input.end(), reply.begin(), reply.end());
    return true;
  }
  std::size_t Read(std::span<std::uint8_t> out) override {
    const std::size_t n = std::min(out.size(), input.size());
    std::copy_n(input.begin(), n, out.begin());
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }
  void Discard() override {
    ++discards;
    input.clear();
  }
  void ExpectReply(std::size_t bytes) override { expected = bytes; }

  std::vector<std::uint8_t> Answer(const std::vector<std::uint8_t>& request) {
    const std::uint16_t opcode = packet::GetWord(request, 0);
    const std::uint32_t dword = packet::GetLong(request, fp::kFlashAddressOffset);
    if (opcode == fp::kFlashWriteOpcode) {
      flash.Write(dword, std::span(request).subspan(fp::kFlashWriteDataOffset, fp::kFlashBlockSize));
      const auto reply = fp::BuildFlashWriteReply(opcode, dword);
      return {reply.begin(), reply.end()};
    }
    if (opcode == fp::kConfigureOpcode) {
      const auto reply = fp::BuildConfigureReply(dword);
      return {reply.begin(), reply.end()};
    }
    const auto reply = fp::BuildFlashReadReply(dword, flash.Block(dword).first<fp::kFlashBlockSize>());
    return {reply.begin(), reply.end()};
  }

  kvetral::FlashMemory flash;
  std::vector<std::vector<std::uint8_t>> requests;
  std::deque<std::uint8_t> input;
  std::function<void(std::vector<std::uint8_t>&)> tamper;
  bool silent = false;
  bool failWrites = false;
  int discards = 0;
  std::size_t expected = 0;
};

class FpgaProgrammerTest : public ::testing::Test {
 public:
  // Delivers replies as the port's listener would, until nothing is waiting.
  void Pump() {
    for (int guard = 0; guard < 100000 && !port.input.empty(); ++guard) programmer.OnBytesReceived();
  }
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = folder.File(name);
    WriteBytes(path, bytes);
    return path;
  }
  std::vector<std::uint8_t> FlashBytes(std::uint32_t address, std::size_t length) const {
    return port.flash.Read(address, length);
  }
  std::size_t FlashWrites() const {
    return static_cast<std::size_t>(std::count_if(port.requests.begin(), port.requests.end(), [](const auto& r) {
      return packet::GetWord(r, 0) == fp::kFlashWriteOpcode;
    }));
  }
  void Tick(int n) {
    for (int i = 0; i < n; ++i) programmer.OnTimerTick();
  }

  TempFolder folder;
  ScriptedFlashPort port;
  RecordingFpgaListener listener;
  fp::FpgaProgrammer programmer{port, listener};
};

TEST(FpgaDesignFile, BitReversalAndChecksumOfASmallDesign) {
  for (auto [in, out] : {std::pair{0x01, 0x80}, {0x0F, 0xF0}, {0x12, 0x48}, {0xA5, 0xA5}, {0x00, 0x00}, {0xFE, 0x7F}})
    EXPECT_EQ(fp::ReverseBits(static_cast<std::uint8_t>(in)), out) << in;

  // Header bytes 0-11: D2 00 53 50 00 01 00 00 04 03 02 01 sum 0x1E2 + 0x80 + 0xF0 + 0x48 (data 01 0F 12).
  const auto file = MakeMbf({0x01, 0x0F, 0x12}, 0x100);
  ASSERT_EQ(file.size(), 19u);
  const std::uint32_t expected = 0xD2 + 0x53 + 0x50 + 0x01 + 0x04 + 0x03 + 0x02 + 0x01 + 0x80 + 0xF0 + 0x48;
  const auto header = fp::ParseDesignHeader(std::span<const std::uint8_t, 16>(file.data(), 16));
  EXPECT_EQ(header.checksum, expected);
  EXPECT_EQ(header.signature, 0x5053);
  EXPECT_EQ(header.flashAddress, 0x100u);

  TempFolder folder;
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    fp::DesignCheck check;
  } cases[] = {
      {"good", file, fp::DesignCheck::kValid},
      {"swapped signature", MakeMbf({0x01, 0x0F, 0x12}, 0x100, 210, 0x5350), fp::DesignCheck::kHeaderInvalid},
      {"data byte changed", [&] { auto b = file; b[17] ^= 0x04; return b; }(), fp::DesignCheck::kHeaderInvalid},
      {"header cut short", std::vector<std::uint8_t>(file.begin(), file.begin() + 10), fp::DesignCheck::kHeaderInvalid},
  };
  for (const auto& c : cases) {
    WriteBytes(folder.File("d.mbf"), c.bytes);
    fp::DesignFile design;
    ASSERT_EQ(design.Open(folder.File("d.mbf")), fp::file_cause::kNone) << c.name;
    EXPECT_EQ(fp::CheckHeaderFile(design), c.check) << c.name;
  }
}

TEST(FpgaDesignFile, ExtensionsAndOpenFailuresName) {
  EXPECT_EQ(fp::FileExtension("/a.b/design.mbf"), "mbf");
  EXPECT_EQ(fp::FileExtension("/a.b/design"), "");
  EXPECT_EQ(fp::FileExtension("design.MBF"), "MBF");  // compared case-sensitively later
  EXPECT_STREQ(fp::FileErrorText(99), "File Error.");
  EXPECT_STREQ(fp::FileErrorText(0), "No error occurred.");
}

TEST_F(FpgaProgrammerTest, FileErrorsAreListedAndNothingIsSent) {
  WriteBytes(folder.File("empty.bin"), {});
  WriteBytes(folder.File("plain"), {1, 2, 3});
  ::mkdir(folder.File("folder.mbf").c_str(), 0700);
  const struct {
    std::string path;
    std::string line;
  } cases[] = {
      {folder.File("missing.mbf"), "FILE ERROR: The file could not be located."},
      {folder.File("plain/inside.mbf"), "FILE ERROR: All or part of the path is invalid."},
      {folder.File("folder.mbf"), "FILE ERROR: The file could not be accessed."},
      {folder.File("empty.bin"), "FILE ERROR: The end of file was reached."},
      {"", "FILE ERROR: All or part of the path is invalid."},
  };
  for (const auto& c : cases) {
    listener.lines.clear();
    EXPECT_FALSE(programmer.Upload(c.path)) << c.path;
    EXPECT_EQ(listener.lines, std::vector<std::string>{c.line}) << c.path;
    EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kFileRefused);
    EXPECT_FALSE(programmer.Busy());
  }
  EXPECT_TRUE(port.requests.empty());
}

TEST_F(FpgaProgrammerTest, AnInvalidDesignIsRefusedWithTheBoxAndNothingIsSent) {
  const std::string path = Write("bad.mbf", MakeMbf(PatternData(600), 0, 210, 0x5350));
  EXPECT_FALSE(programmer.Upload(path));
  EXPECT_EQ(listener.errors, std::vector<std::string>{"Invalid or corrupted file!"});
  EXPECT_EQ(listener.lines, std::vector<std::string>{"Open File: " + path});
  EXPECT_TRUE(port.requests.empty());
  EXPECT_FALSE(programmer.Busy());
}

TEST_F(FpgaProgrammerTest, BlocksPaddingAndByteCounts) {
  const struct {
    const char* name;
    std::vector<std::uint8_t> file;
    std::size_t blocks;
    std::string counted;
    std::uint32_t address;
  } cases[] = {
      {"raw.bin", PatternData(1024), 2, "1024 Bytes Uploaded", 0},
      {"raw1000.bin", PatternData(1000), 2, "1024 Bytes Uploaded", 0},
      {"data1024.mbf", MakeMbf(PatternData(1024), 0x4000), 3, "1536 Bytes Uploaded", 0x4000},
      {"data100.mbf", MakeMbf(PatternData(100), 0x200), 1, "512 Bytes Uploaded", 0x200},
  };
  for (const auto& c : cases) {
    port.requests.clear();
    listener.lines.clear();
    ASSERT_TRUE(programmer.Upload(Write(c.name, c.file))) << c.name;
    EXPECT_TRUE(programmer.Busy());
    Pump();
    EXPECT_FALSE(programmer.Busy()) << c.name;
    EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kDone) << c.name;
    EXPECT_EQ(FlashWrites(), c.blocks) << c.name;
    EXPECT_TRUE(listener.Listed("Writing FPGA Flash: Done!")) << c.name;
    EXPECT_TRUE(listener.Listed(c.counted)) << c.name;
    EXPECT_TRUE(listener.Listed(std::string(38, '*'))) << c.name;
    EXPECT_FALSE(listener.Listed(kIncompleteWarning)) << c.name;
    // Consecutive blocks from the start address.
    for (std::size_t k = 0; k < port.requests.size(); ++k)
      EXPECT_EQ(packet::GetLong(port.requests[k], 4), c.address + 512 * k) << c.name;
  }
  // The header file's data was stored as it is, and its third block is all padding.
  const auto stored = FlashBytes(0x4000, 1536);
  EXPECT_EQ(std::vector<std::uint8_t>(stored.begin(), stored.begin() + 1024), PatternData(1024));
  EXPECT_TRUE(std::all_of(stored.begin() + 1024, stored.end(), [](std::uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(listener.progress.back(), 0u);
}

TEST_F(FpgaProgrammerTest, RawFilesAreReversedOnUploadAndOnVerifyOnlyWhenRbf) {
  const auto data = PatternData(700, 3);
  const struct {
    const char* name;
    std::vector<std::uint8_t> file;
    bool storedReversed;
    bool verifyClean;
  } cases[] = {
      {"design.bin", data, true, false},
      {"design.rbf", data, true, true},
      {"design.RBF", data, true, false},  // the extension is compared case-sensitively
      {"design.mbf", MakeMbf(data), false, true},
  };
  for (const auto& c : cases) {
    listener.lines.clear();
    const std::string path = Write(c.name, c.file);
    ASSERT_TRUE(programmer.Upload(path));
    Pump();
    ASSERT_EQ(programmer.Outcome(), FpgaOutcome::kDone) << c.name;
    std::vector<std::uint8_t> expected = data;
    if (c.storedReversed)
      for (auto& b : expected) b = fp::ReverseBits(b);
    EXPECT_EQ(FlashBytes(0, data.size()), expected) << c.name;

    ASSERT_TRUE(programmer.Verify(path));
    Pump();
    EXPECT_EQ(programmer.Outcome(), c.verifyClean ? FpgaOutcome::kDone : FpgaOutcome::kVerifyErrors) << c.name;
    EXPECT_EQ(programmer.VerifyErrors() == 0, c.verifyClean) << c.name;
  }
}

TEST_F(FpgaProgrammerTest, VerifyListsEachDifferingByteWithItsAddress) {
  auto data = PatternData(1024);
  ASSERT_TRUE(programmer.Upload(Write("a.mbf", MakeMbf(data, 0x1000))));
  Pump();
  data[5] = 0xEE;     // device holds 5
  data[600] = 0x00;   // device holds 600 % 251 = 98 = 0x62
  listener.lines.clear();
  port.requests.clear();
  ASSERT_TRUE(programmer.Verify(Write("b.mbf", MakeMbf(data, 0x1000))));
  Pump();
  EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kVerifyErrors);
  const std::vector<std::string> expected = {
      "Open File: " + folder.File("b.mbf"),
      "Verifying...",
      "Error address 4101: file=EE device=5",
      "Error address 4696: file=0 device=62",
      "Verifyed 1536 bytes...2 Errors Found!",
      std::string(52, '*'),
  };
  EXPECT_EQ(listener.lines, expected);
  ASSERT_EQ(port.requests.size(), 3u);
  for (const auto& request : port.requests) EXPECT_EQ(packet::GetWord(request, 0), fp::kFlashReadOpcode);
}

TEST_F(FpgaProgrammerTest, VerifyOpensWithTheFilesOwnCommandWord) {
  ASSERT_TRUE(programmer.Verify(Write("own.mbf", MakeMbf(PatternData(600), 0, 0x00D7 + 1))));
  Pump();
  ASSERT_EQ(port.requests.size(), 2u);
  EXPECT_EQ(packet::GetWord(port.requests[0], 0), 0xD8);
  EXPECT_EQ(packet::GetWord(port.requests[1], 0), fp::kFlashReadOpcode);
}

// Every way an upload can end early leaves the programmer idle, the file closed, the user warned,
// and a late reply discarded.
TEST_F(FpgaProgrammerTest, UploadsThatEndEarlyEndCleanly) {
  const struct {
    const char* name;
    std::function<void(FpgaProgrammerTest&)> fault;
    std::vector<std::string> lines;
    FpgaOutcome outcome;
  } cases[] = {
      {"corrupted reply", [](FpgaProgrammerTest& t) { t.port.tamper = [](auto& r) { r.back() ^= 1; }; },
       {"Check Sum Error Reading Data from Serial Port"}, FpgaOutcome::kReplyRejected},
      {"wrong echo", [](FpgaProgrammerTest& t) { t.port.tamper = [](auto& r) { r[0] = 211; }; },
       {"Error Reading Data from Serial Port"}, FpgaOutcome::kReplyRejected},
      {"wrong length word", [](FpgaProgrammerTest& t) { t.port.tamper = [](auto& r) { r[2] = 8; }; },
       {"Error Reading Data from Serial Port"}, FpgaOutcome::kReplyRejected},
      {"silent instrument",
       [](FpgaProgrammerTest& t) {
         t.port.silent = true;
         t.Pump();
         t.Tick(fp::FpgaProgrammer::kTimeoutTicks);
         EXPECT_TRUE(t.programmer.Busy());  // 22 ticks still wait
         t.Tick(1);
       },
       {std::string(30, '~'), kTimeOutLine, std::string(30, '~')}, FpgaOutcome::kTimedOut},
      {"stop", [](FpgaProgrammerTest& t) { t.port.silent = true; t.Pump(); t.programmer.Stop(); },
       {"Upload/Verification Cancelled. Please, reload/verify FPGA design!"}, FpgaOutcome::kStopped},
      {"write failure", [](FpgaProgrammerTest& t) { t.port.failWrites = true; },
       {"Error Writing Data to Serial Port"}, FpgaOutcome::kWriteFailed},
  };
  const std::string path = Write("d.bin", PatternData(2048));
  for (const auto& c : cases) {
    port.tamper = nullptr;
    port.silent = port.failWrites = false;
    ASSERT_TRUE(programmer.Upload(path));
    programmer.OnBytesReceived();  // first block accepted
    listener.lines.clear();
    c.fault(*this);
    Pump();
    EXPECT_FALSE(programmer.Busy()) << c.name;
    EXPECT_EQ(programmer.Outcome(), c.outcome) << c.name;
    std::vector<std::string> expected = c.lines;
    expected.push_back(kIncompleteWarning);
    expected.push_back("Do not press Config FPGA before a successful Upload and Verify!");
    EXPECT_EQ(listener.lines, expected) << c.name;
    EXPECT_EQ(listener.progress.back(), 0u) << c.name;
    EXPECT_FALSE(listener.busyChanges.back()) << c.name;

    // A late reply is read away and ignored; ticks do nothing more.
    const std::size_t requests = port.requests.size();
    const auto late = fp::BuildFlashWriteReply(210, 512);
    port.input.insert(port.input.end(), late.begin(), late.end());
    programmer.OnBytesReceived();
    Tick(30);
    EXPECT_TRUE(port.input.empty()) << c.name;
    EXPECT_EQ(port.requests.size(), requests) << c.name;
    EXPECT_EQ(listener.lines.size(), expected.size()) << c.name;
  }
}

TEST_F(FpgaProgrammerTest, AVerifyThatEndsEarlySaysWhyWithoutTheUploadWarning) {
  const std::string path = Write("d.mbf", MakeMbf(PatternData(1024)));
  port.tamper = [](auto& r) { r[20] ^= 0xFF; };
  ASSERT_TRUE(programmer.Verify(path));
  Pump();
  EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kReplyRejected);
  EXPECT_TRUE(listener.Listed("Check Sum Error Reading Data from Serial Port"));
  EXPECT_FALSE(listener.Listed(kIncompleteWarning));

  port.tamper = nullptr;
  port.silent = true;
  listener.lines.clear();
  ASSERT_TRUE(programmer.Verify(path));
  programmer.Stop();
  EXPECT_EQ(listener.lines.back(), "Upload/Verification Cancelled. Please, reload/verify FPGA design!");
  EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kStopped);
}

TEST_F(FpgaProgrammerTest, ConfigureSendsTheKeyAndChecksTheReply) {
  ASSERT_TRUE(programmer.Configure());
  ASSERT_EQ(port.requests.size(), 1u);
  const auto packet = fp::BuildConfigure(fp::ConfigureKey());
  EXPECT_EQ(port.requests[0], std::vector<std::uint8_t>(packet.begin(), packet.end()));
  EXPECT_EQ(packet::GetWord(port.requests[0], 0), 246);
  Pump();
  EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kDone);
  EXPECT_EQ(listener.lines, (std::vector<std::string>{"FPGA Configured!", std::string(38, '*')}));
  EXPECT_GT(listener.portInUse, 0);
}

TEST_F(FpgaProgrammerTest, ConfigureFailureTexts) {
  const struct {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> tamper;
    std::string line;
  } cases[] = {
      {"part of the reply", [](auto& r) { r.resize(5); }, "Error Reading Expected Bytes from Serial Port"},
      {"wrong opcode", [](auto& r) { r[0] = 245; }, "Error Reading Data from Serial Port"},
      {"wrong checksum", [](auto& r) { r.back() ^= 0x10; }, "Check Sum Error"},
  };
  for (const auto& c : cases) {
    listener.lines.clear();
    port.tamper = c.tamper;
    ASSERT_TRUE(programmer.Configure());
    Pump();
    Tick(fp::FpgaProgrammer::kTimeoutTicks + 1);
    EXPECT_FALSE(programmer.Busy()) << c.name;
    ASSERT_FALSE(listener.lines.empty()) << c.name;
    EXPECT_EQ(listener.lines.front(), c.line) << c.name;
    EXPECT_FALSE(listener.Listed("FPGA Configured!")) << c.name;
    EXPECT_FALSE(listener.Listed(kIncompleteWarning)) << c.name;
  }
}

TEST_F(FpgaProgrammerTest, ABusyProgrammerRefusesWithoutTouchingThePort) {
  const std::string path = Write("d.bin", PatternData(1024));
  ASSERT_TRUE(programmer.Configure());
  const int discards = port.discards;
  for (const auto& operation : std::vector<std::function<bool()>>{[&] { return programmer.Upload(path); },
                                                                  [&] { return programmer.Verify(path); },
                                                                  [&] { return programmer.Configure(); }})
    EXPECT_FALSE(operation());
  EXPECT_EQ(listener.errors, std::vector<std::string>(3, "Busy Receiving Data!"));
  EXPECT_EQ(port.discards, discards);  // the awaited reply is still there
  Pump();
  EXPECT_EQ(programmer.Outcome(), FpgaOutcome::kDone);
  EXPECT_EQ(port.requests.size(), 1u);
}

TEST_F(FpgaProgrammerTest, ProgressRangeAndPositions) {
  const std::string path = Write("d.bin", PatternData(1536));
  ASSERT_TRUE(programmer.Upload(path));
  Pump();
  EXPECT_EQ(listener.rangeLength, 1536u);
  EXPECT_EQ(listener.rangeStep, 1536u / 15 + 1);
  EXPECT_EQ(listener.progress, (std::vector<std::uint64_t>{50, 512, 1024, 1536, 0}));
  EXPECT_EQ(port.expected, fp::kFlashWriteReplyLength);
}

TEST(FpgaMessageListTest, KeepsEightyLinesAndShowsTheLastTen) {
  fp::FpgaMessageList list;
  for (int i = 0; i < 85; ++i) list.Add("line " + std::to_string(i));
  EXPECT_EQ(list.Size(), 80u);
  EXPECT_EQ(list.Lines().front(), "line 5");
  EXPECT_EQ(list.Lines().back(), "line 84");
  EXPECT_EQ(list.FirstShown(), 70u);
}

}  // namespace
}  // namespace mirvo::test
