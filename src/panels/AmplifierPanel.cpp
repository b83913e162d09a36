#include "panels/AmplifierPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "acquisition/LinkLifecycle.h"
#include "acquisition/LoggedSeries.h"
#include "base/TextFormat.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

namespace {

// Every coarse entry: code = index, factor 1.0.
constexpr std::array<double, 4> kCoarseFactors = {1.0, 1.0, 1.0, 1.0};

struct DriveMasks {
  std::uint16_t enable, invert, openDrain;
};
constexpr std::array<DriveMasks, 3> kDriveMasks = {{
    {1u << 14, 1u << 10, 1u << 7},  // Rout
    {1u << 13, 1u << 9, 1u << 6},   // S
    {1u << 12, 1u << 8, 1u << 5},   // T
}};
constexpr std::uint16_t kDinOn = 1u << 4, kDinInvert = 1u << 3;
constexpr std::uint16_t kRinOn = 1u << 15, kRinInvert = 1u << 11;

std::uint16_t SetBit(std::uint16_t bits, std::uint16_t mask, bool on) {
  return static_cast<std::uint16_t>(on ? bits | mask : bits & ~mask);
}

// Index 0 clears `on`; 1 sets `on` and clears `invert`; 2 sets both.
int TwoBitIndex(std::uint16_t bits, std::uint16_t on, std::uint16_t invert) {
  if ((bits & on) == 0) return 0;
  return (bits & invert) == 0 ? 1 : 2;
}
std::uint16_t ApplyTwoBitIndex(std::uint16_t bits, std::uint16_t on, std::uint16_t invert, int index) {
  if (index <= 0) return SetBit(bits, on, false);
  return SetBit(SetBit(bits, on, true), invert, index >= 2);
}

}  // namespace

double FineFactor(int code) { return 1.0 + 0.2 * code / 4095.0; }

std::uint16_t FineRegisterValue(int code) {
  code = std::clamp(code, 0, amp::kFineCodeMax);
  return static_cast<std::uint16_t>((amp::kFineCodeMax - code) * 16);
}

int FineCodeFromRegister(std::uint16_t value) { return amp::kFineCodeMax - value / 16; }

std::optional<int> FineCodeFromText(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double factor = ParseDouble(begin, &end);
  if (end == begin) return std::nullopt;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || !std::isfinite(factor)) return std::nullopt;
  if (factor < 1.0 || factor >= 1.2000001) return std::nullopt;
  const long code = std::lround((factor - 1.0) * 4095.0 / 0.2);
  return static_cast<int>(std::clamp<long>(code, 0, amp::kFineCodeMax));
}

std::string FactorText(double factor) { return FormatText("%5.5f", factor); }
std::string CoarseText(double factor) { return FormatText("%10.2f", factor); }

int DriveIndex(std::uint16_t bits, Output output) {
  const DriveMasks& m = kDriveMasks[static_cast<std::size_t>(output)];
  if ((bits & m.enable) == 0) return 0;
  const bool openDrain = (bits & m.openDrain) != 0;
  if ((bits & m.invert) == 0) return openDrain ? 2 : 1;
  return openDrain ? 4 : 3;
}

std::uint16_t ApplyDriveIndex(std::uint16_t bits, Output output, int index) {
  const DriveMasks& m = kDriveMasks[static_cast<std::size_t>(output)];
  if (index <= 0) return SetBit(bits, m.enable, false);  // invert and open-drain stay as they were
  bits = SetBit(bits, m.enable, true);
  bits = SetBit(bits, m.invert, index >= 3);
  return SetBit(bits, m.openDrain, index == 2 || index >= 4);
}

int DinIndex(std::uint16_t bits) { return TwoBitIndex(bits, kDinOn, kDinInvert); }
std::uint16_t ApplyDinIndex(std::uint16_t bits, int index) { return ApplyTwoBitIndex(bits, kDinOn, kDinInvert, index); }
int RinIndex(std::uint16_t bits) { return TwoBitIndex(bits, kRinOn, kRinInvert); }
std::uint16_t ApplyRinIndex(std::uint16_t bits, int index) { return ApplyTwoBitIndex(bits, kRinOn, kRinInvert, index); }

std::uint16_t OutputFunctionsWord(const std::array<int, 3>& codes) {
  return static_cast<std::uint16_t>((codes[0] & 3) * 16 + (codes[1] & 3) * 4 + (codes[2] & 3));
}

std::array<int, 3> OutputFunctionCodes(std::uint16_t word) {
  return {(word >> 4) & 3, (word >> 2) & 3, word & 3};
}

int ListSelection(int decoded, std::size_t entries) {
  return decoded >= 0 && static_cast<std::size_t>(decoded) < entries ? decoded : 0;
}

// ---------------------------------------------------------------------------------------------

AmplifierPanel::AmplifierPanel(IAmplifierHost& host, IUserDialog& dialogs) : host_(host), dialogs_(dialogs) {}

void AmplifierPanel::Attach(LinkLifecycle& lifecycle, const ILoggedSeries& series) {
  link_ = &lifecycle.Link();
  series_ = &series;
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kAmplifier, *this, this);
}

void AmplifierPanel::Initialise() {
  const SpectrumRecord* settings = host_.SettingsRecord();
  const int stored = settings != nullptr ? settings->coarseGainIndex : 0;
  coarseIndex_ = stored >= 0 && stored <= 3 ? stored : 0;
  fineCode_ = 0;
  fineFactor_ = FineFactor(0);
  fineRegister_ = FineRegisterValue(0);
  fineText_ = "1.0";
  adcOffset_ = amp::kAdcDefault;
  ampOffset_ = amp::kSarMidpoint;
  auto_ = true;
  enable_ = false;
  adcDefault_ = false;
  digitalIo_ = 0;
  functions_ = {0, 0, 0};
  keptBit15_ = true;
  synchronised_ = false;
  sarStep_ = 0;
  sarEnabled_ = false;
  stepsEnabled_ = false;
  initialised_ = true;
  // The spin positions follow: they are what the edits hold until the first refresh.
  adcOffset_ = amp::kAdcStartPosition;
  ampOffset_ = amp::kAmpStartPosition;
  Show();
}

bool AmplifierPanel::Responding() const { return link_ != nullptr && link_->Responding(); }
bool AmplifierPanel::LoggerRunning() const { return series_ != nullptr && series_->SeriesRunning(); }

double AmplifierPanel::CoarseFactor() const { return kCoarseFactors[static_cast<std::size_t>(coarseIndex_ & 3)]; }

int AmplifierPanel::FunctionSelection(Output output) const {
  static constexpr std::size_t kEntries[3] = {kRoutFunctionTexts.size(), kSFunctionTexts.size(),
                                              kTFunctionTexts.size()};
  const auto k = static_cast<std::size_t>(output);
  return ListSelection(functions_[k], kEntries[k]);
}

AmplifierPanel::Focus AmplifierPanel::TakeFocusRequest() {
  const Focus focus = focusRequest_;
  focusRequest_ = Focus::kNone;
  return focus;
}

// ---------------------------------------------------------------------------------------------
// Image

void AmplifierPanel::ApplyToImage() {
  if (!initialised_) return;
  host_.TraceViewerApply();
  SpectrumRecord& live = host_.LiveRecord();
  RegisterImage& image = live.registers;

  std::uint16_t coarse = image[amp::kRegCoarseGain];
  coarse &= static_cast<std::uint16_t>(~(0x0003u | 0x0020u | 0x0040u | 0x0080u));
  coarse |= static_cast<std::uint16_t>(coarseIndex_ & 3);  // code = index
  coarse = SetBit(coarse, amp::kCoarseKeptBit, keptBit15_);
  coarse &= static_cast<std::uint16_t>(~0x4000u);
  image[amp::kRegCoarseGain] = coarse;
  live.register12Copy = coarse;

  image[amp::kRegFineGain] = fineRegister_;
  image[amp::kRegAdcOffset] = static_cast<std::uint16_t>(adcOffset_);
  image[reg::kControlWord] = SetBit(image[reg::kControlWord], amp::kAutoOffsetBit, auto_);
  image[amp::kRegAmpOffset] = static_cast<std::uint16_t>(ampOffset_);

  const std::uint16_t functions = OutputFunctionsWord(functions_);
  image[amp::kRegOutputFunctions] = functions;
  seen4C_ = functions;
  const std::uint16_t io = digitalIo_ & amp::kDigitalIoMask;
  image[amp::kRegDigitalIo] = io;
  seen4B_ = io;

  image[amp::kRegStabilizer] = SetBit(image[amp::kRegStabilizer], amp::kStabilizerEnable, enable_);
  host_.ShaperRecompute();
}

void AmplifierPanel::CommitChange(bool full) {
  if (!host_.ActiveRecordLive()) return;  // a FILE record: the change stays in the panel
  SpectrumRecord& live = host_.LiveRecord();
  live.refreshEnable = 0;
  ApplyToImage();
  if (Responding() && synchronised_) {
    if (LoggerRunning()) return;  // written into the image only; the flag stays clear
    if (full)
      link_->WriteAllRegisters();
    else
      link_->WriteSettingsRegisters();
    return;
  }
  live.refreshEnable = 1;
}

void AmplifierPanel::InvalidateRegister12Copy() {
  SpectrumRecord& live = host_.LiveRecord();
  live.register12Copy = static_cast<std::uint16_t>(~live.registers[amp::kRegCoarseGain]);
}

void AmplifierPanel::RefreshFromRecord() {
  synchronised_ = false;
  SpectrumRecord* record = host_.SettingsRecord();
  if (record == nullptr || !initialised_) return;
  const RegisterImage& s = record->registers;

  const std::uint16_t fine = s[amp::kRegFineGain];
  if (seen11_ != fine) {
    seen11_ = fine;
    fineCode_ = FineCodeFromRegister(fine);
    fineFactor_ = FineFactor(fineCode_);
    fineRegister_ = FineRegisterValue(fineCode_);
    if (!fineFocused_) fineText_ = FactorText(fineFactor_);
  }

  const std::uint16_t coarse = s[amp::kRegCoarseGain];
  if (coarse != record->register12Copy) {
    record->register12Copy = coarse;
    keptBit15_ = (coarse & amp::kCoarseKeptBit) != 0;
  }

  ampOffset_ = s[amp::kRegAmpOffset];
  adcOffset_ = s[amp::kRegAdcOffset];
  auto_ = (s[reg::kControlWord] & amp::kAutoOffsetBit) != 0;

  if (adcOffset_ == amp::kAdcDefault) adcDefault_ = true;
  if (auto_) {  // the instrument sets the offset: a search in progress ends
    sarStep_ = 0;
    stepsEnabled_ = false;
  }
  if (sarStep_ == 0) sarEnabled_ = !auto_;

  const std::uint16_t io = s[amp::kRegDigitalIo];
  if (seen4B_ != io) {
    seen4B_ = io;
    digitalIo_ = io & amp::kDigitalIoMask;
  }
  const std::uint16_t functions = s[amp::kRegOutputFunctions];
  if (seen4C_ != functions) {
    seen4C_ = functions;
    functions_ = OutputFunctionCodes(functions);
  }

  enable_ = (s[amp::kRegStabilizer] & amp::kStabilizerEnable) != 0;
  synchronised_ = true;
  Show();
}

// ---------------------------------------------------------------------------------------------
// Handlers

void AmplifierPanel::OnCoarseSelected(int index) {
  if (!initialised_) return;
  coarseIndex_ = std::clamp(index, 0, 3);
  if (SpectrumRecord* settings = host_.SettingsRecord()) settings->coarseGainIndex = coarseIndex_;
  Show();
  CommitChange(false);
}

void AmplifierPanel::SetFineCode(int code) {
  fineCode_ = std::clamp(code, 0, amp::kFineCodeMax);
  fineFactor_ = FineFactor(fineCode_);
  fineRegister_ = FineRegisterValue(fineCode_);
  if (!fineFocused_) fineText_ = FactorText(fineFactor_);
}

void AmplifierPanel::OnFineCodeChanged(int code) {
  if (!initialised_) return;
  SetFineCode(code);
  Show();
  CommitChange(false);
}

void AmplifierPanel::OnFineTextChanged(const std::string& text) {
  if (!initialised_ || !fineFocused_) return;
  fineText_ = text;
  const std::optional<int> code = FineCodeFromText(text);
  if (!code) return;  // the previous factor stays
  OnFineCodeChanged(*code);
}

void AmplifierPanel::OnFineFocus(bool focused) {
  if (!initialised_) return;
  if (focused) {
    fineFocused_ = true;
    return;
  }
  fineFocused_ = false;
  OnFineCodeChanged(fineCode_);  // the text is rewritten in canonical form
}

void AmplifierPanel::OnAdcOffsetChanged(int value) {
  if (!initialised_) return;
  adcOffset_ = std::clamp(value, 0, amp::kAdcOffsetMax);
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnAmpOffsetChanged(int value) {
  if (!initialised_) return;
  ampOffset_ = std::clamp(value, 0, amp::kAmpOffsetMax);
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnAutoToggled(bool on) {
  if (!initialised_) return;
  auto_ = on;
  sarStep_ = 0;  // a search in progress ends with the buttons
  sarEnabled_ = !on;
  stepsEnabled_ = false;
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnAdcDefaultToggled(bool ticked) {
  if (!initialised_) return;
  adcDefault_ = ticked;
  // Unticking at 8000 moves off it, so the next refresh does not tick the box again.
  adcOffset_ = (adcOffset_ == amp::kAdcDefault && !ticked) ? amp::kAdcDefault + 1 : amp::kAdcDefault;
  focusRequest_ = Focus::kAdcOffset;
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnEnableToggled(bool on) {
  if (!initialised_) return;
  enable_ = on;
  Show();
  CommitChange(false);
}

void AmplifierPanel::OnSar() {
  if (!initialised_) return;
  sarEnabled_ = false;
  stepsEnabled_ = true;
  sarStep_ = amp::kSarStart;
  ampOffset_ = amp::kSarMidpoint;
  focusRequest_ = Focus::kAmpOffset;
  Show();
  CommitChange(true);
}

void AmplifierPanel::Step(int sign) {
  if (!initialised_ || !stepsEnabled_ || sarStep_ == 0) return;
  const unsigned before = sarStep_;
  ampOffset_ = std::clamp(ampOffset_ + sign * static_cast<int>(before), 0, amp::kAmpOffsetMax);
  sarStep_ = before / 2;
  if (before < 2) {  // the last step: the search ends
    sarStep_ = 0;
    sarEnabled_ = !auto_;
    stepsEnabled_ = false;
  }
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnPlus() { Step(+1); }
void AmplifierPanel::OnMinus() { Step(-1); }

void AmplifierPanel::OnDinSelected(int index) {
  if (!initialised_) return;
  digitalIo_ = ApplyDinIndex(digitalIo_, index);
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnRinSelected(int index) {
  if (!initialised_) return;
  digitalIo_ = ApplyRinIndex(digitalIo_, index);
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnDriveSelected(Output output, int index) {
  if (!initialised_) return;
  digitalIo_ = ApplyDriveIndex(digitalIo_, output, index);
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnFunctionSelected(Output output, int index) {
  if (!initialised_) return;
  functions_[static_cast<std::size_t>(output)] = index & 3;
  Show();
  CommitChange(true);
}

void AmplifierPanel::OnStabilizerSet() {
  if (!initialised_) return;
  if (!Responding()) {
    dialogs_.ShowMessage(kConnectDeviceText);
    return;
  }
  const SpectrumRecord* settings = host_.SettingsRecord();
  if (settings != nullptr && settings->softSize != settings->hardSize) {
    dialogs_.ShowMessage(kSoftSizeEqualText);
    return;
  }
  host_.OpenStabilizer();
}

}  // namespace mirvo
