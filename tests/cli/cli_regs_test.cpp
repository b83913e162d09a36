// mirvo-cli regs against the simulator: a register written through the live image and the full
// block is read back; a register file saved and loaded again restores the registers, a dry run
// only shows; register numbers and values out of range are refused before anything is sent.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "FileTestSupport.h"

namespace mirvo::test {
namespace {

using CliRegsTest = CliTest;

// The line of register `reg` in a listing ("" when absent).
std::string RegisterLine(const std::string& out, unsigned reg) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "0x%02X  ", reg);
  for (const std::string& line : OutputLines(out))
    if (line.rfind(prefix, 0) == 0) return line;
  return "";
}

TEST_F(CliRegsTest, AWrittenRegisterIsReadBack) {
  StartSimulator();
  const RunResult write = Cli({"regs", Sim().DevicePath(), "--write", "0x02=200", "--write", "0x50=0xBEEF"});
  ASSERT_EQ(write.status, 0) << write.err;
  EXPECT_EQ(Sim().Register(0x02), 200);
  EXPECT_EQ(Sim().Register(0x50), 0xBEEF);

  const RunResult list = Cli({"regs", Sim().DevicePath()});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(RegisterLine(list.out, 0x02), "0x02  0x00C8    200");
  EXPECT_EQ(RegisterLine(list.out, 0x50), "0x50  0xBEEF  48879");
  EXPECT_FALSE(RegisterLine(list.out, 0x7F).empty());
  EXPECT_TRUE(RegisterLine(list.out, 0x80).empty());
}

TEST_F(CliRegsTest, SaveAndLoadRoundTrip) {
  StartSimulator();
  const std::string file = Scratch("settings.rgv");
  Sim().SetRegister(0x02, 111);
  Sim().SetRegister(0x60, 4242);
  ASSERT_EQ(Cli({"regs", Sim().DevicePath(), "--save", file}).status, 0);
  const std::vector<std::string> lines = SplitLines(ReadWhole(file));
  ASSERT_EQ(lines.size(), 133u);
  EXPECT_EQ(lines[3 + 0x02], "111");
  EXPECT_EQ(lines[3 + 0x60], "4242");

  Sim().SetRegister(0x02, 999);
  Sim().SetRegister(0x60, 1);
  const RunResult dry = Cli({"regs", Sim().DevicePath(), "--load", file, "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("0x02  0x03E7   999  ->  0x006F   111"), std::string::npos) << dry.out;
  EXPECT_EQ(Sim().Register(0x02), 999);  // only shown

  const RunResult load = Cli({"regs", Sim().DevicePath(), "--load", file});
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_EQ(Sim().Register(0x02), 111);
  EXPECT_EQ(Sim().Register(0x60), 4242);

  // An existing file is kept unless --overwrite is given.
  Sim().SetRegister(0x60, 5);
  EXPECT_EQ(Cli({"regs", Sim().DevicePath(), "--save", file}).status, 1);
  EXPECT_EQ(SplitLines(ReadWhole(file))[3 + 0x60], "4242");
  ASSERT_EQ(Cli({"regs", Sim().DevicePath(), "--save", file, "--overwrite"}).status, 0);
  EXPECT_EQ(SplitLines(ReadWhole(file))[3 + 0x60], "5");
}

TEST_F(CliRegsTest, EveryRegisterTheHostOwnsIsStoredAsLoaded) {
  StartSimulator();
  // A distinct value for each register; the control word stays 0 (stopped, no reset pulses).
  auto valueOf = [](unsigned reg) { return reg == 0x10 ? 0u : (reg * 37u + 5u) & 0x7FFFu; };
  std::string content = "<registers>\n  <size>128</size>\n  <data>\n";
  for (unsigned reg = 0; reg < 128; ++reg) content += std::to_string(valueOf(reg)) + "\n";
  content += "  </data>\n</registers>\n";
  const std::string file = Scratch("all.rgv");
  WriteWhole(file, content);
  const RunResult load = Cli({"regs", Sim().DevicePath(), "--load", file});
  ASSERT_EQ(load.status, 0) << load.err;
  for (unsigned reg = 0; reg < 128; ++reg) {
    // Counters, estimates, times, the time-constant exponent and the FPGA version are the instrument's.
    const bool instrumentOwned = (reg >= 0x2C && reg <= 0x31) || reg == 0x34 || reg == 0x35 || (reg >= 0x38 && reg <= 0x3F);
    // Bit 15 of the control word (trace ready) is the instrument's too.
    const unsigned mask = reg == 0x10 ? 0x7FFFu : 0xFFFFu;
    if (!instrumentOwned) {
      EXPECT_EQ(Sim().Register(reg) & mask, valueOf(reg)) << "register " << reg;
    }
  }
}

TEST_F(CliRegsTest, OutOfRangeAndBadInputIsRefusedWithNothingSent) {
  StartSimulator();
  const std::string port = Sim().DevicePath();
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"regs", port, "--write", "0x80=1"}, "register 0x80 is out of range (0x00 to 0x7F)"},
      {{"regs", port, "--write", "128=1"}, "register 128 is out of range"},
      {{"regs", port, "--write", "2=65536"}, "value 65536 for register 0x02 is out of range (0 to 65535)"},
      {{"regs", port, "--write", "2=0x10000"}, "out of range (0 to 65535)"},
      {{"regs", port, "--write", "2=-1"}, "--write: needs REG=VALUE"},
      {{"regs", port, "--write", "2"}, "--write: needs REG=VALUE"},
      {{"regs", port, "--load", Scratch("missing.rgv")}, "Unable to Open File"},
      {{"regs", port, "--load", Scratch("x.rgv"), "--write", "2=3"}, "do not go together"},
      {{"regs"}, "Usage: mirvo-cli regs PORT"},
  };
  Sim().SetRegister(0x02, 77);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const std::uint64_t before = Sim().RequestsReceived();
    const RunResult run = Cli(c.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(Sim().RequestsReceived(), before);
  }
  EXPECT_EQ(Sim().Register(0x02), 77);
}

}  // namespace
}  // namespace mirvo::test
