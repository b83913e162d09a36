// The register debugger on a plain BUFFER set and an engine whose port is closed: start values, the
// HEX/DEC/bit editing rules, READ and AUTO READ, WRITE with its refresh-flag and logger handling,
// LOAD FILE and SAVE FILE through their dialogs; then the Hardware menu's Copy Registers and About
// Hardware.
#include <gtest/gtest.h>

#include "FakeClock.h"
#include "FileTestSupport.h"
#include "LinkDoubles.h"
#include "ScriptedDialogs.h"
#include "display/RecordSets.h"
#include "panels/HardwareCommands.h"
#include "panels/RegisterDebuggerPanel.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {
namespace {

constexpr std::uint32_t kAllWriteAddress = packet::RegisterWriteAddress(0x00);

// File dialogs answered with a scripted path (empty: Cancel); the requests are kept.
class ScriptedFiles final : public IFileChooser {
 public:
  bool ChooseFile(const FileDialogRequest& request, std::string& chosen) override {
    requests.push_back(request);
    chosen = answer;
    return !answer.empty();
  }
  std::string answer;
  std::vector<FileDialogRequest> requests;
};

class SeriesHost final : public BufferSetPanelHost {
 public:
  using BufferSetPanelHost::BufferSetPanelHost;
  bool SeriesRunning() const override { return series; }
  bool series = false;
};

// True when a full register write went out since the last call (the port is closed, so the engine
// stays busy with it).
bool TakeAllWrite(CHardwareLink& link) {
  const bool sent = link.Busy() && link.TransmitBuffer().size() > 8 &&
                    packet::GetLong(link.TransmitBuffer(), 4) == kAllWriteAddress;
  link.SetBusy(false);
  return sent;
}

class DebuggerTest : public ::testing::Test {
 protected:
  DebuggerTest() {
    panel.Attach(lifecycle);
    panel.Initialise();
  }
  RegisterImage& Image() { return buffers[0].registers; }
  void Respond() {
    link.SetConnected(true);
    link.SetResponding(true);
  }
  std::array<SpectrumRecord, 4> buffers;
  SeriesHost host{buffers};
  test::RecordingLinkHost linkHost;
  test::NullTarget target;
  test::FakeSleeper sleeper;
  LinkLifecycle lifecycle{linkHost, linkHost, linkHost.memory, target, sleeper};
  CHardwareLink& link = lifecycle.Link();
  test::ScriptedDialogs dialogs;
  ScriptedFiles files;
  test::TempFolder folder;
  RegisterDebuggerPanel panel{host, dialogs, files};
};

TEST_F(DebuggerTest, StartsWithRegisterZeroShownAndTheTableAtTenTimesTheNumber) {
  EXPECT_EQ(panel.Selected(), 0);
  EXPECT_EQ(panel.DecText(), "0");
  EXPECT_EQ(panel.HexText(), "0");
  EXPECT_TRUE(panel.AutoRead());
  EXPECT_FALSE(panel.AutoWrite());
  EXPECT_EQ(RegisterDebuggerPanel::RegisterLabel(127), "127");
  panel.OnRegisterSelected(127);
  EXPECT_EQ(panel.DecText(), "1270");
  EXPECT_EQ(panel.HexText(), "4F6");
  panel.OnRegisterSelected(128);  // not in the list: nothing changes
  EXPECT_EQ(panel.Selected(), 127);

  // Saving right after start writes 0, 10 ... 1270.
  files.answer = folder.File("start");
  ASSERT_TRUE(panel.OnSaveFile().Ok());
  const FileDialogRequest& asked = files.requests.back();
  EXPECT_TRUE(asked.save);
  EXPECT_EQ(asked.title, "Save Register File");
  EXPECT_EQ(asked.filter, "Register Files (*.rgv)|*.rgv|All Files (*.*)|*.*||");
  EXPECT_EQ(asked.defaultExtension, "rgv");
  std::string expected = "<registers>\n  <size>128</size>\n  <data>\n";
  for (int r = 0; r < 128; ++r) expected += std::to_string(r * 10) + "\n";
  expected += "  </data>\n</registers>\n";
  EXPECT_EQ(test::ReadWhole(folder.File("start.rgv")), expected);  // the extension was added
}

TEST_F(DebuggerTest, TypedTextIsParsedClampedAndTakenOnlyWithTheFocus) {
  struct Case {
    bool hex;
    const char* text;
    int value;
  };
  const Case cases[] = {
      {true, "1f", 0x1F},   {true, "FFFF", 0xFFFF}, {true, "zz", 0},      {true, "", 0},
      {true, "-1", 0},      {true, "12345", 0x1234},  // the edit holds 4 characters
      {false, "200", 200},  {false, "65535", 65535}, {false, "65536", 65535}, {false, "99999", 65535},
      {false, "abc", 0},    {false, "-7", 0},       {false, " 42", 42},    {false, "123456", 12345},
  };
  panel.OnRegisterSelected(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    panel.ShowValue(777);
    panel.SetHexFocused(c.hex);
    panel.SetDecFocused(!c.hex);
    if (c.hex) {
      panel.OnHexTyped(c.text);
    } else {
      panel.OnDecTyped(c.text);
    }
    EXPECT_EQ(panel.SelectedValue(), c.value);
    EXPECT_EQ(panel.DecText(), std::to_string(c.value));
    EXPECT_EQ(panel.Values()[5], c.value);
  }
  // Without the focus (the texts the panel itself rewrites) nothing is taken.
  panel.SetHexFocused(false);
  panel.SetDecFocused(false);
  panel.OnHexTyped("AB");
  panel.OnDecTyped("9");
  EXPECT_EQ(panel.DecText(), "12345");
  EXPECT_FALSE(TakeAllWrite(link));  // AUTO WRITE off
}

TEST_F(DebuggerTest, BitButtonsToggleTheirBitAndAutoWriteSendsAtOnce) {
  Respond();
  panel.OnRegisterSelected(0x20);  // 320 = 0x0140
  panel.OnBitClicked(15);
  EXPECT_EQ(panel.SelectedValue(), 0x8140);
  EXPECT_EQ(panel.HexText(), "8140");
  EXPECT_STREQ(panel.BitCaption(15), "1");
  EXPECT_STREQ(panel.BitCaption(8), "1");
  EXPECT_STREQ(panel.BitCaption(0), "0");
  EXPECT_FALSE(TakeAllWrite(link));
  EXPECT_EQ(Image()[0x20], 0);

  panel.SetAutoWrite(true);
  panel.OnBitClicked(8);
  EXPECT_EQ(panel.SelectedValue(), 0x8040);
  EXPECT_TRUE(TakeAllWrite(link));
  EXPECT_EQ(Image()[0x20], 0x8040);
  // Typing with AUTO WRITE writes too.
  panel.SetDecFocused(true);
  panel.OnDecTyped("5");
  EXPECT_TRUE(TakeAllWrite(link));
  EXPECT_EQ(Image()[0x20], 5);
}

TEST_F(DebuggerTest, WriteSendsOnlyTheSelectedRegisterAndMindsTheFlagAndTheLogger) {
  struct Case {
    const char* what;
    bool responding;
    bool series;
    RegisterDebuggerPanel::WriteOutcome outcome;
    bool sent;
    int refreshEnableAfter;
  };
  using Outcome = RegisterDebuggerPanel::WriteOutcome;
  const Case cases[] = {
      {"responding", true, false, Outcome::kSent, true, 0},
      {"responding, logged series", true, true, Outcome::kKeptForSeries, false, 0},
      {"not responding", false, false, Outcome::kNotResponding, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image() = RegisterImage{};
    buffers[0].refreshEnable = 1;
    link.SetConnected(c.responding);
    link.SetResponding(c.responding);
    host.series = c.series;
    panel.OnRegisterSelected(3);
    EXPECT_EQ(panel.OnWrite(), c.outcome);
    EXPECT_EQ(TakeAllWrite(link), c.sent);
    EXPECT_EQ(Image()[3], 30);
    EXPECT_EQ(Image()[4], 0);  // the rest of the table stays the debugger's
    // (Once the block is sent the engine sets the flag of its own live record again.)
    EXPECT_EQ(buffers[0].refreshEnable, c.refreshEnableAfter);
  }
}

TEST_F(DebuggerTest, TheTableFollowsTheSettingsRecordWithAutoReadOrOnRead) {
  for (unsigned r = 0; r < 128; ++r) Image()[r] = static_cast<std::uint16_t>(5000 + r);
  panel.OnRegisterSelected(2);
  panel.SetAutoRead(false);
  panel.RefreshFromRecord();  // the refresh chain after a status read
  EXPECT_EQ(panel.SelectedValue(), 20);
  panel.OnRead();
  EXPECT_EQ(panel.SelectedValue(), 5002);
  EXPECT_EQ(panel.Values()[127], 5127);
  EXPECT_FALSE(panel.ReadRequested());

  Image()[2] = 1;
  lifecycle.RefreshChain().RefreshAll();
  EXPECT_EQ(panel.DecText(), "5002");
  panel.SetAutoRead(true);
  lifecycle.RefreshChain().RefreshAll();
  EXPECT_EQ(panel.DecText(), "1");
}

TEST_F(DebuggerTest, LoadFileReadsTheRegisterSectionsOfAFile) {
  struct Case {
    const char* what;
    std::string content;
    int stored;                                 // registers 0.. stored-1 take 1000, 1001 ...
    std::vector<std::pair<int, int>> also;      // register, value; the others keep 10 x number
  };
  auto values = [](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(1000 + i) + "\n";
    return text;
  };
  const Case cases[] = {
      {"size 300 reads 128 values",
       "<registers>\n<size>300</size>\n<data>\n" + values(129) + "</data>\n</registers>\n", 128, {}},
      {"size -5 reads none", "<registers>\n<size>-5</size>\n<data>\n" + values(3) + "</data>\n</registers>\n", 0, {}},
      {"three values of 128: the </data> line is stored as 0",
       "<registers>\n  <size>128</size>\n  <data>\n" + values(3) + "  </data>\n</registers>\n", 3, {{3, 0}}},
      {"spaces inside the tags and around the number",
       "< registers >\n  < size >  2  </ size >\n < data >\n 7 1\n8\n</data>\n</registers>\n", 0, {{0, 71}, {1, 8}}},
      {"65539 keeps its low 16 bits", "<registers>\n<size>1</size>\n<data>\n65539\n</data>\n</registers>\n", 0,
       {{0, 3}}},
      {"a spectrum file's section among other lines",
       "<spectrum>\n<registers>\n<size>2</size>\n<data>\n11\n12\n</data>\n</registers>\n<other>\n", 0,
       {{0, 11}, {1, 12}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegisterDebuggerPanel fresh{host, dialogs, files};
    fresh.Initialise();
    fresh.SetAutoRead(false);
    test::WriteWhole(folder.File("in.rgv"), c.content);
    files.answer = folder.File("in.rgv");
    ASSERT_TRUE(fresh.OnLoadFile().Ok());
    RegisterValues expected{};
    for (int r = 0; r < 128; ++r)
      expected[static_cast<std::size_t>(r)] = static_cast<std::uint16_t>(r < c.stored ? 1000 + r : r * 10);
    for (auto [reg, value] : c.also) expected[static_cast<std::size_t>(reg)] = static_cast<std::uint16_t>(value);
    EXPECT_EQ(fresh.Values(), expected);
    EXPECT_EQ(fresh.DecText(), std::to_string(expected[0]));  // the selected register is shown again
  }
  const FileDialogRequest& asked = files.requests.back();
  EXPECT_FALSE(asked.save);
  EXPECT_EQ(asked.title, "Load Register File");
  EXPECT_EQ(asked.filter, "Register Files (*.rgv)|*.rgv|Kvetral Spectrum (*.mps)|*.mps|All Files (*.*)|*.*||");
}

TEST_F(DebuggerTest, CancelledOrFailedFilesChangeNothing) {
  panel.OnRegisterSelected(9);
  panel.SetDecFocused(true);
  files.answer.clear();
  EXPECT_EQ(panel.OnLoadFile().status, kFileCancelled);
  EXPECT_EQ(panel.OnSaveFile().status, kFileCancelled);
  files.answer = folder.File("missing.rgv");
  EXPECT_FALSE(panel.OnLoadFile().Ok());
  files.answer = folder.File("no-such-folder/x.rgv");
  EXPECT_FALSE(panel.OnSaveFile().Ok());
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Unable to Open File", "Unable to Open File"}));
  EXPECT_EQ(panel.DecText(), "90");

  // An existing file is overwritten only after OK.
  test::WriteWhole(folder.File("old.rgv"), "old");
  files.answer = folder.File("old.rgv");
  dialogs.answerOk = false;
  EXPECT_EQ(panel.OnSaveFile().status, kFileCancelled);
  EXPECT_EQ(dialogs.questions.back(), "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?");
  EXPECT_EQ(test::ReadWhole(folder.File("old.rgv")), "old");
  dialogs.answerOk = true;
  EXPECT_TRUE(panel.OnSaveFile().Ok());
  EXPECT_NE(test::ReadWhole(folder.File("old.rgv")), "old");
}

TEST(FileFilter, EntriesInOrder) {
  EXPECT_EQ(ParseFileFilter(kLoadRegisterFileFilter),
            (std::vector<FileFilterEntry>{{"Register Files (*.rgv)", "*.rgv"},
                                          {"Kvetral Spectrum (*.mps)", "*.mps"},
                                          {"All Files (*.*)", "*.*"}}));
  EXPECT_TRUE(ParseFileFilter("").empty());
  EXPECT_EQ(ParseFileFilter("Text|*.txt|Odd"), (std::vector<FileFilterEntry>{{"Text", "*.txt"}}));
}

// ---------------------------------------------------------------------------------------------
// Copy Registers and About Hardware

class HardwareMenuTest : public ::testing::Test {
 protected:
  HardwareMenuTest() {
    for (unsigned r = 0; r < 256; ++r) {
      Buffer()[r] = static_cast<std::uint16_t>(r + 1);
      File()[r] = static_cast<std::uint16_t>(9000 + r);
    }
  }
  RegisterImage& Buffer() { return sets.LiveRecord().registers; }
  RegisterImage& File() { return sets.FilePlot(0).Record().registers; }

  std::unique_ptr<SpectrumMemory> memory = std::make_unique<SpectrumMemory>();
  RecordSets sets{*memory};
  test::RecordingLinkHost linkHost;
  test::NullTarget target;
  test::FakeSleeper sleeper;
  LinkLifecycle lifecycle{linkHost, linkHost, linkHost.memory, target, sleeper};
  CHardwareLink& link = lifecycle.Link();
  test::ScriptedDialogs dialogs;
};

TEST_F(HardwareMenuTest, BufferToFileCopiesRegistersZeroTo7F) {
  CopyRegistersBufferToFile(sets);
  EXPECT_EQ(File()[0x00], 1);
  EXPECT_EQ(File()[0x7F], 0x80);
  EXPECT_EQ(File()[0x80], 9000 + 0x80);  // beyond the block: untouched
  EXPECT_EQ(Buffer()[0x10], 0x11);
}

TEST_F(HardwareMenuTest, FileToBufferAsksFirstAndNeedsAnInstrument) {
  struct Case {
    const char* what;
    bool responding;
    bool answerOk;
    bool series;
    FileToBufferOutcome outcome;
    bool copied;
    bool sent;
  };
  const Case cases[] = {
      {"no instrument", false, true, false, FileToBufferOutcome::kRefused, false, false},
      {"Cancel", true, false, false, FileToBufferOutcome::kCancelled, false, false},
      {"OK", true, true, false, FileToBufferOutcome::kSent, true, true},
      {"OK during a logged series", true, true, true, FileToBufferOutcome::kKeptForSeries, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (unsigned r = 0; r < 256; ++r) Buffer()[r] = static_cast<std::uint16_t>(r + 1);
    sets.LiveRecord().refreshEnable = 1;
    dialogs = test::ScriptedDialogs{};
    dialogs.answerOk = c.answerOk;
    link.SetConnected(c.responding);
    link.SetResponding(c.responding);
    EXPECT_EQ(CopyRegistersFileToBuffer(sets, link, c.series, dialogs), c.outcome);
    if (c.responding) {
      EXPECT_EQ(dialogs.questions, std::vector<std::string>{"This operation cannot be undone.\n All current hardware "
                                                            "settings will be lost.\n DO YOU WANT TO CONTINUE?"});
      EXPECT_EQ(dialogs.questionCaption, "Warning");
    } else {
      EXPECT_EQ(dialogs.messages, std::vector<std::string>{"The transfer was aborted!\nPlease, connect the "
                                                           "hardware\nand execute the transfer again."});
      EXPECT_TRUE(dialogs.questions.empty());
    }
    EXPECT_EQ(Buffer()[0x05], c.copied ? 9005 : 6);
    EXPECT_EQ(Buffer()[0x7F], c.copied ? 9127 : 0x80);
    EXPECT_EQ(Buffer()[0x80], 0x81);
    EXPECT_EQ(sets.LiveRecord().refreshEnable, c.copied ? 0 : 1);
    EXPECT_EQ(TakeAllWrite(link), c.sent);
  }
}

TEST(AboutHardware, TextOfAKnownRecord) {
  struct Case {
    std::uint16_t serial, firmware, fpga, tcRegister;
    double periodUs;
    const char* text;
  };
  const Case cases[] = {
      {42, 250, 123, 0x0005, 0.008,
       "Serial Number:\t00042\nFirmware Version:\t2.50\nFPGA Version:\t 12.3\nPrimary TC (5%):\t  0.3us"},
      {65535, 1, 0, 0xFFF8, 0.0125,
       "Serial Number:\t65535\nFirmware Version:\t0.01\nFPGA Version:\t  0.0\nPrimary TC (5%):\t  3.2us"},
      {7, 1234, 2005, 0x000F, 0.00625,
       "Serial Number:\t00007\nFirmware Version:\t12.34\nFPGA Version:\t200.5\nPrimary TC (5%):\t204.8us"},
  };
  for (const Case& c : cases) {
    SpectrumRecord record;
    record.serialNumber = c.serial;
    record.firmwareVersion = c.firmware;
    record.registers[0x3F] = c.fpga;
    record.registers[0x3E] = c.tcRegister;
    EXPECT_EQ(AboutHardwareText(record, c.periodUs), c.text);
  }
}

}  // namespace
}  // namespace mirvo
