// The logic behind the register debugger (CDebugView, pane "Debug"): its own table of the 128
// registers 0x00..0x7F, one register shown at a time in hexadecimal, decimal and as 16 bits, a
// single register written into the live image and sent with the full block, the table copied from
// the settings record, and the table stored in or loaded from a register file (.rgv).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "acquisition/LinkMembership.h"
#include "acquisition/RegisterRefreshChain.h"
#include "display/UserDialog.h"
#include "files/RegisterFile.h"
#include "panels/FileChooser.h"
#include "panels/PanelHost.h"

namespace mirvo {

class CHardwareLink;
class LinkLifecycle;

inline constexpr const char* kSaveRegisterFileTitle = "Save Register File";
inline constexpr const char* kSaveRegisterFileFilter = "Register Files (*.rgv)|*.rgv|All Files (*.*)|*.*||";
inline constexpr const char* kLoadRegisterFileTitle = "Load Register File";
inline constexpr const char* kLoadRegisterFileFilter =
    "Register Files (*.rgv)|*.rgv|Kvetral Spectrum (*.mps)|*.mps|All Files (*.*)|*.*||";
inline constexpr const char* kRegisterFileExtension = "rgv";

class RegisterDebuggerPanel final : public IRegisterRefresh {
 public:
  static constexpr int kRegisters = kRegisterFileValues;  // 0x00 .. 0x7F
  static constexpr int kBits = 16;
  static constexpr std::size_t kHexLength = 4;  // the longest text of each edit
  static constexpr std::size_t kDecLength = 5;

  // What WRITE did with the full block.
  enum class WriteOutcome { kSent, kKeptForSeries, kNotResponding };

  RegisterDebuggerPanel(IPanelHost& host, IUserDialog& dialogs, IFileChooser& files);
  RegisterDebuggerPanel(const RegisterDebuggerPanel&) = delete;
  RegisterDebuggerPanel& operator=(const RegisterDebuggerPanel&) = delete;

  void Attach(LinkLifecycle& lifecycle);
  // The controls exist: register 0 is selected and its start value shown.
  void Initialise();
  bool Initialised() const { return initialised_; }
  // Called after every change of what is shown.
  std::function<void()> onChanged;

  // --- operations
  // With AUTO READ on or during READ, the table takes registers 0x00..0x7F of the settings record;
  // in any case the selected register is shown.
  void RefreshFromRecord();
  // Clamps to 0..65535, stores the value for the selected register and rewrites the texts and bits.
  void ShowValue(std::int64_t value);

  // --- handlers
  void OnRegisterSelected(int reg);
  void SetHexFocused(bool focused) { hexFocused_ = focused; }
  void SetDecFocused(bool focused) { decFocused_ = focused; }
  // Typed text (taken only while that edit has the focus): "%X" or "%d" of at most 4 or 5
  // characters; a text that does not parse is 0, above 65535 is 65535. Then WRITE if AUTO WRITE.
  void OnHexTyped(const std::string& text);
  void OnDecTyped(const std::string& text);
  // Toggles bit `bit` (0 = least significant) of the shown value; then WRITE if AUTO WRITE.
  void OnBitClicked(int bit);
  void OnRead();
  WriteOutcome OnWrite();
  void SetAutoRead(bool on) { autoRead_ = on; }
  void SetAutoWrite(bool on) { autoWrite_ = on; }
  // LOAD FILE and SAVE FILE with their file dialogs; the result of the read or write (cancelled
  // when the dialog was).
  FileResult OnLoadFile();
  FileResult OnSaveFile();
  // The whole table into the live image, then the full block written, with WRITE's flag and logger
  // handling (mirvo-cli regs --load).
  WriteOutcome WriteTable();

  // --- IRegisterRefresh
  void RefreshFromImage() override { RefreshFromRecord(); }

  // --- what is shown
  const RegisterValues& Values() const { return values_; }
  int Selected() const { return selected_; }
  std::uint16_t SelectedValue() const { return values_[static_cast<std::size_t>(selected_)]; }
  const std::string& HexText() const { return hexText_; }
  const std::string& DecText() const { return decText_; }
  bool Bit(int bit) const { return ((SelectedValue() >> (bit & 15)) & 1u) != 0; }
  const char* BitCaption(int bit) const { return Bit(bit) ? "1" : "0"; }
  bool AutoRead() const { return autoRead_; }
  bool AutoWrite() const { return autoWrite_; }
  bool ReadRequested() const { return readRequest_; }
  // The register list's entries: "0" .. "127".
  static std::string RegisterLabel(int reg) { return std::to_string(reg); }

 private:
  bool Responding() const;
  void Changed() {
    if (onChanged) onChanged();
  }
  void Typed(std::int64_t value);
  WriteOutcome SendFullBlock(SpectrumRecord& live);

  IPanelHost& host_;
  IUserDialog& dialogs_;
  IFileChooser& files_;
  CHardwareLink* link_ = nullptr;
  LinkMembership membership_;  // left when the panel goes
  RegisterValues values_{};
  int selected_ = 0;
  bool autoRead_ = true;
  bool autoWrite_ = false;
  bool readRequest_ = false;
  std::string hexText_, decText_;
  bool hexFocused_ = false;
  bool decFocused_ = false;
  bool initialised_ = false;
};

// "%X" and "%d" of an edit's text as the debugger reads them: -1 when nothing parses.
std::int64_t ParseHexText(const std::string& text);
std::int64_t ParseDecText(const std::string& text);

}  // namespace mirvo
