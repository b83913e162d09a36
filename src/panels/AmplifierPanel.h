// The logic behind the amplifier and digital I/O panel (CAmplifierView, the "SIGNALS" pane): coarse
// and fine gain, ADC and amplifier offsets with the successive-approximation search, the stabilizer
// enable, and the functions and drivers of the digital I/O pins, kept in registers 0x01, 0x0C, 0x10
// bit 8, 0x11, 0x12, 0x40 bit 15, 0x4B and 0x4C.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "acquisition/ConnectionObserver.h"
#include "acquisition/RegisterRefreshChain.h"
#include "display/UserDialog.h"
#include "panels/StabilizerSettings.h"
#include "records/SpectrumRecord.h"
#include "acquisition/LinkMembership.h"

namespace mirvo {

class CHardwareLink;
class ILoggedSeries;
class LinkLifecycle;

namespace amp {
constexpr unsigned kRegAdcOffset = 0x01;
constexpr unsigned kRegAmpOffset = 0x0C;
constexpr unsigned kRegFineGain = 0x11;
constexpr unsigned kRegCoarseGain = 0x12;
constexpr unsigned kRegStabilizer = 0x40;
constexpr unsigned kRegDigitalIo = 0x4B;
constexpr unsigned kRegOutputFunctions = 0x4C;
constexpr std::uint16_t kAutoOffsetBit = 0x0100;      // register 0x10 bit 8
constexpr std::uint16_t kStabilizerEnable = 0x8000;   // register 0x40 bit 15
constexpr std::uint16_t kCoarseKeptBit = 0x8000;      // register 0x12 bit 15
constexpr std::uint16_t kDigitalIoMask = 0xFFF8;      // the 13 bits 3..15 of register 0x4B
constexpr int kFineCodeMax = 4095;
constexpr int kAdcDefault = 8000;
constexpr int kAdcOffsetMax = 32000;
constexpr int kAmpOffsetMax = 65535;
constexpr unsigned kSarStart = 0x4000;
constexpr int kSarMidpoint = 0x8000;
// Spin positions set at start: what the edits show until the first refresh.
constexpr int kAdcStartPosition = 2000;
constexpr int kAmpStartPosition = 10000;
}  // namespace amp

inline constexpr const char* kConnectDeviceText = "Please, connect a device!";

// The list entries, index 0 first.
inline constexpr std::array<const char*, 1> kDinFunctionTexts = {"SLOW ADC"};
inline constexpr std::array<const char*, 3> kRinFunctionTexts = {"NONE", "COINCIDENCE", "INV COINCIDENCE"};
inline constexpr std::array<const char*, 5> kDriveTexts = {"DISABLED", "PUSH-PULL", "OPEN_DRAIN", "INV PUSH-PULL",
                                                           "INV OPEN DRAIN"};
inline constexpr std::array<const char*, 4> kRoutFunctionTexts = {"ACQUIRE", "START", "STOP", "5MHz"};
inline constexpr std::array<const char*, 4> kSFunctionTexts = {"S2-TSCA", "S3-TSCA", "FAST DISC", "SLOW DISC"};
inline constexpr std::array<const char*, 4> kTFunctionTexts = {"TIMING PEAK DET", "S2-TSCA", "S3-TSCA", "PUR"};

// The three driven outputs, in the order of their lists and of their function codes.
enum class Output : int { kRout = 0, kS = 1, kT = 2 };

// --- fine gain
// 1 + 0.2 x code / 4095.
double FineFactor(int code);
// (4095 - code) x 16: a larger gain gives a smaller register value; the low 4 bits are 0.
std::uint16_t FineRegisterValue(int code);
// 4095 - register / 16 (integer division).
int FineCodeFromRegister(std::uint16_t value);
// The code of a typed factor, or nothing when the text is not a number from 1.0 to below 1.2000001.
std::optional<int> FineCodeFromText(const std::string& text);
std::string FactorText(double factor);  // "%5.5f"
std::string CoarseText(double factor);  // "%10.2f"

// --- digital I/O, register 0x4B
// The list index of an output's DRIVE list from the register, and the register with an index applied.
int DriveIndex(std::uint16_t bits, Output output);
std::uint16_t ApplyDriveIndex(std::uint16_t bits, Output output, int index);
int DinIndex(std::uint16_t bits);
std::uint16_t ApplyDinIndex(std::uint16_t bits, int index);
int RinIndex(std::uint16_t bits);
std::uint16_t ApplyRinIndex(std::uint16_t bits, int index);
// --- output functions, register 0x4C: Rout x 16 + S x 4 + T, each 2 bits.
std::uint16_t OutputFunctionsWord(const std::array<int, 3>& codes);
std::array<int, 3> OutputFunctionCodes(std::uint16_t word);
// The list index shown for a decoded index: entry 0 when it is not below the entry count.
int ListSelection(int decoded, std::size_t entries);

// What the panel needs from the main window.
class IAmplifierHost {
 public:
  virtual ~IAmplifierHost() = default;
  virtual SpectrumRecord& LiveRecord() = 0;
  // The record the panel shows; nullptr until the records and panels exist.
  virtual SpectrumRecord* SettingsRecord() = 0;
  // The active record of the active spectrum is a BUFFER record (a FILE record keeps changes in the panel).
  virtual bool ActiveRecordLive() const = 0;
  // The form shows the panel's values again.
  virtual void PanelChanged() {}
  // The trace viewer re-applies its own fields, when it exists.
  virtual void TraceViewerApply() {}
  // The shaper recomputes its gain-normalisation registers from the image, when it exists.
  virtual void ShaperRecompute() {}
  // STABILIZER SET passed its checks: the gain stabilizer dialog opens without blocking the panel.
  virtual void OpenStabilizer() {}
};

class AmplifierPanel final : public IRegisterRefresh, public IConnectionObserver {
 public:
  AmplifierPanel(IAmplifierHost& host, IUserDialog& dialogs);
  AmplifierPanel(const AmplifierPanel&) = delete;
  AmplifierPanel& operator=(const AmplifierPanel&) = delete;

  // Joins the register-refresh chain (after the acquisition panel) and the connection steps; the
  // logger state is read from `series` (the acquisition panel).
  void Attach(LinkLifecycle& lifecycle, const ILoggedSeries& series);
  // The controls exist: start values, initialised flag set.
  void Initialise();
  bool Initialised() const { return initialised_; }

  // --- operations
  void ApplyToImage();
  void CommitChange(bool full);
  void RefreshFromRecord();
  // The shown set changed: the live record's register 0x12 change copy no longer matches.
  void InvalidateRegister12Copy();

  // --- handlers (values as the controls hold them)
  void OnCoarseSelected(int index);
  void OnFineCodeChanged(int code);
  // Typed text while the FINE edit has the focus.
  void OnFineTextChanged(const std::string& text);
  void OnFineFocus(bool focused);
  void OnAdcOffsetChanged(int value);
  void OnAmpOffsetChanged(int value);
  void OnAutoToggled(bool on);
  void OnAdcDefaultToggled(bool ticked);
  void OnEnableToggled(bool on);
  void OnSar();
  void OnPlus();
  void OnMinus();
  void OnDinSelected(int index);
  void OnRinSelected(int index);
  void OnDriveSelected(Output output, int index);
  void OnFunctionSelected(Output output, int index);
  void OnStabilizerSet();

  // --- IRegisterRefresh
  void RefreshFromImage() override { RefreshFromRecord(); }
  // --- IConnectionObserver
  void OnPortOpened() override { synchronised_ = false; }

  // --- values shown
  int CoarseIndex() const { return coarseIndex_; }
  double CoarseFactor() const;
  int FineCode() const { return fineCode_; }
  double Factor() const { return fineFactor_; }
  std::uint16_t FineRegister() const { return fineRegister_; }
  const std::string& FineText() const { return fineText_; }
  std::string TotalText() const { return FactorText(CoarseFactor() * fineFactor_); }
  int AdcOffset() const { return adcOffset_; }
  int AmpOffset() const { return ampOffset_; }
  bool AutoOffset() const { return auto_; }
  bool AdcDefault() const { return adcDefault_; }
  bool StabilizerEnabled() const { return enable_; }
  bool KeptBit15() const { return keptBit15_; }
  unsigned SarStep() const { return sarStep_; }
  std::uint16_t DigitalIoBits() const { return digitalIo_; }
  const std::array<int, 3>& FunctionCodes() const { return functions_; }
  int DinSelection() const { return ListSelection(DinIndex(digitalIo_), kDinFunctionTexts.size()); }
  int RinSelection() const { return ListSelection(RinIndex(digitalIo_), kRinFunctionTexts.size()); }
  int DriveSelection(Output output) const { return ListSelection(DriveIndex(digitalIo_, output), kDriveTexts.size()); }
  int FunctionSelection(Output output) const;
  bool Synchronised() const { return synchronised_; }
  bool FineFocused() const { return fineFocused_; }

  // --- enabling
  bool FineEnabled() const { return !enable_; }  // FINE text and its spin arrows
  bool AdcEditEnabled() const { return !adcDefault_; }
  bool AmpEditEnabled() const { return !auto_; }
  bool SarEnabled() const { return sarEnabled_; }
  bool StepButtonsEnabled() const { return stepsEnabled_; }  // ++ and --
  // The form moves the focus to the ADC or amplifier offset edit and clears the request.
  enum class Focus { kNone, kAdcOffset, kAmpOffset };
  Focus TakeFocusRequest();

 private:
  bool Responding() const;
  bool LoggerRunning() const;
  void SetFineCode(int code);
  void Step(int sign);
  void Show() { host_.PanelChanged(); }

  IAmplifierHost& host_;
  IUserDialog& dialogs_;
  CHardwareLink* link_ = nullptr;
  LinkMembership membership_;  // left when the panel goes
  const ILoggedSeries* series_ = nullptr;

  bool initialised_ = false;
  bool synchronised_ = false;
  int coarseIndex_ = 0;
  int fineCode_ = 0;
  double fineFactor_ = 1.0;
  std::uint16_t fineRegister_ = 0xFFF0;
  std::string fineText_ = "1.0";
  bool fineFocused_ = false;
  int adcOffset_ = amp::kAdcDefault;
  int ampOffset_ = amp::kSarMidpoint;
  bool auto_ = true;
  bool adcDefault_ = false;
  bool enable_ = false;
  bool keptBit15_ = true;
  unsigned sarStep_ = 0;
  bool sarEnabled_ = false;
  bool stepsEnabled_ = false;
  std::uint16_t digitalIo_ = 0;
  std::array<int, 3> functions_{};
  std::optional<std::uint16_t> seen11_, seen4B_, seen4C_;  // change caches
  Focus focusRequest_ = Focus::kNone;
};

}  // namespace mirvo
