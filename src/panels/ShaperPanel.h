// The logic behind the shaper panel (CShaperView, pane "PSA"): the slow and fast shaper times, the
// unfolding constants, the thresholds with their auto margins, the baseline restorer, the pile-up
// rejector, the gain normalisation, the TIPS gain and the symmetry. It sets the sample period the
// main window lends it from the instrument's clock code.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "acquisition/ConnectionObserver.h"
#include "acquisition/RegisterRefreshChain.h"
#include "display/UserDialog.h"
#include "panels/PanelHost.h"
#include "protocol/SamplePeriod.h"
#include "acquisition/LinkMembership.h"

namespace mirvo {

class CHardwareLink;
class LinkLifecycle;

namespace shaper_reg {
constexpr unsigned kSlowRise = 0x02, kSlowFlat = 0x03, kFastRise = 0x04, kFastFlat = 0x05;
constexpr unsigned kShortTc = 0x0A, kLongTc = 0x0B, kPileUp = 0x0D, kClock = 0x0F;
constexpr unsigned kNormLow = 0x14, kNormHigh = 0x15, kBlrSlow = 0x1E, kBlrFast = 0x1F;
constexpr unsigned kSlowWindow = 0x20, kSlowDelay = 0x21, kSlowThresholdLow = 0x22, kFastThresholdLow = 0x24;
constexpr unsigned kPeakWindow = 0x26, kSlowBase = 0x27, kFastBase = 0x28, kPileUpWindow = 0x29;
constexpr unsigned kSlowEstimateLow = 0x30, kFastEstimateLow = 0x34, kTimeConstantExponent = 0x3E;
constexpr unsigned kMargins = 0x47, kTipsGain = 0x6E, kSymmetry = 0x6F;
}  // namespace shaper_reg

inline constexpr const char* kPointerText = "Pointer?";
inline constexpr const char* kTipsGainRangeText = "Enter an integer between 1 and 500.";
constexpr int kAutoMarginEntries = 28;  // "1", "1.25" .. "7.75"
constexpr int kBdcEntries = 32;         // "1", "1.125" .. "4.875"
constexpr int kThresholdMax = 2048;
constexpr std::uint32_t kFactorMax = 270000;

// The list entries as shown, and their numbers.
std::string AutoMarginText(int index);
std::string BdcText(int index);
// The value of register 0x6E for a TIPS gain and the two rise times (rounded, 1 .. 500), and the
// TIPS gain read back from it (rounded up when the rounding fell short, 1 .. 100).
std::uint16_t TipsGainRegister(int tipsGain, int fastRise, int slowRise);
int TipsGainFromRegister(std::uint16_t value, int fastRise, int slowRise);
// The register words 0x20, 0x21, 0x26 .. 0x29 derived from the four shaper times.
struct DerivedShaperWords {
  std::uint16_t r20, r21, r26, r27, r28, r29;
};
DerivedShaperWords DeriveShaperWords(int slowRise, int slowFlat, int fastRise, int fastFlat);
// What a typed SYMMETRY text becomes: nothing (a lone "-", or no number) or the limited value.
struct SymmetryParse {
  bool take = false;
  int value = 0;
};
SymmetryParse ParseSymmetryText(const std::string& text);

class ShaperPanel final : public IRegisterRefresh, public IConnectionObserver {
 public:
  enum class TimeField { kSlowRise, kSlowFlat, kFastRise, kFastFlat };
  enum class List { kSlowMargin, kFastMargin, kBdc };

  // `period` is the main window's sample period, which this panel sets.
  ShaperPanel(IPanelHost& host, SamplePeriod& period, IUserDialog& dialogs);
  ShaperPanel(const ShaperPanel&) = delete;
  ShaperPanel& operator=(const ShaperPanel&) = delete;

  void Attach(LinkLifecycle& lifecycle);
  // The controls exist: start values, initialised flag set.
  void Initialise();
  bool Initialised() const { return initialised_; }
  // The form shows the panel's values again.
  std::function<void()> onChanged;

  // --- operations
  void ApplyToImage();
  void CommitChange(bool full);
  void RefreshFromRecord();
  // Writes registers 0x14 and 0x15 of `settings` and updates both normalisation factors.
  void ComputeGainNormalisation(SpectrumRecord& settings);
  // The soft size of S1's active plot changed: the two thresholds in channels of its factor.
  void ReexpressThresholds();

  // --- handlers; each returns the value the control must show
  int OnTimeChanged(TimeField field, std::int64_t samples);
  int OnLongTcChanged(std::int64_t value);
  int OnShortTcChanged(std::int64_t value);
  int OnThresholdSlowChanged(std::int64_t channels);
  int OnThresholdFastChanged(std::int64_t channels);
  int OnBlrSlowChanged(std::int64_t value);
  int OnBlrFastChanged(std::int64_t value);
  void OnListDropped(List list);
  void OnListSelected(List list, int index);
  // The list closed without a selection: a refresh may move it again.
  void OnListClosed(List list) { listOpen_[static_cast<std::size_t>(list)] = false; }
  void OnAutoToggled(bool on);
  void OnFineToggled(bool on);
  std::uint32_t OnFactorChanged(std::int64_t factor);
  // False (after the message) outside 1 .. 500: nothing committed.
  bool OnTipsGainTyped(std::int64_t gain);
  void OnPileUpOnToggled(bool on);
  void OnEnhancedToggled(bool on);
  void OnSlowSymToggled(bool on);
  void OnAccToggled(bool on);
  void OnFastSymToggled(bool on);
  // The SYMMETRY edit's text changed; true when it was taken and committed (the text is rewritten).
  bool OnSymmetryText(const std::string& text);

  // --- IRegisterRefresh
  void RefreshFromImage() override { RefreshFromRecord(); }
  // --- IConnectionObserver: the thresholds are shown again from the first status read.
  void OnConnected(const std::string&) override { lastSlowT_ = lastFastT_ = -100; }

  // --- values shown
  int Time(TimeField field) const { return times_[static_cast<std::size_t>(field)]; }
  const std::string& TimeUsText(TimeField field) const { return timeUs_[static_cast<std::size_t>(field)]; }
  int LongTc() const { return longTc_; }
  int ShortTc() const { return shortTc_; }
  const std::string& LongTcUsText() const { return longTcUs_; }
  const std::string& ShortTcUsText() const { return shortTcUs_; }
  int ThresholdSlow() const { return thresholdSlow_; }
  int ThresholdFast() const { return thresholdFast_; }
  int MarginIndex(List list) const { return listIndex_[static_cast<std::size_t>(list)]; }
  bool ListOpen(List list) const { return listOpen_[static_cast<std::size_t>(list)]; }
  const std::string& EstimatedSlowText() const { return estSlow_; }
  const std::string& EstimatedFastText() const { return estFast_; }
  int BlrSlow() const { return blrSlow_; }
  int BlrFast() const { return blrFast_; }
  bool SlowSym() const { return slowSym_; }
  bool Acc() const { return acc_; }
  bool FastSym() const { return fastSym_; }
  bool PileUpOn() const { return pileUpOn_; }
  bool Enhanced() const { return enhanced_; }
  bool AutoNormalisation() const { return auto_; }
  bool Fine() const { return fine_; }
  std::uint32_t Factor() const { return factor_; }
  double BdcValue() const { return bdcValue_; }
  int TipsGain() const { return tipsGain_; }
  std::uint16_t TipsRegister() const { return tipsRegister_; }
  int Symmetry() const { return symmetry_; }
  const std::string& SymmetryText() const { return symmetryText_; }
  std::uint32_t SlowNormalisation() const { return slowNorm_; }
  std::uint32_t FastNormalisation() const { return fastNorm_; }
  std::uint32_t LastFactorWritten() const { return lastFactor_; }
  const SamplePeriod& Period() const { return period_; }

  // --- enabling and visibility
  bool PanelEnabled() const { return host_.SettingsRecordLive(); }
  bool FactorEditable() const { return !auto_; }
  bool FineAndBdcUsable() const { return auto_; }
  // A threshold of 0 means AUTO: its number field hides, the label AUTO, its margin list and X show.
  bool SlowAutoShown() const { return thresholdSlow_ == 0; }
  bool FastAutoShown() const { return thresholdFast_ == 0; }
  bool AutoMarginCaptionShown() const { return SlowAutoShown() || FastAutoShown(); }

 private:
  bool Responding() const;
  void Changed() {
    if (onChanged) onChanged();
  }
  void RewriteTimeTexts();
  void RewriteTime(std::size_t field);
  int S1Factor(bool writing);
  void ApplyThreshold(RegisterImage& image, unsigned low, int channels, std::uint32_t norm, int q, int& lastT);
  void RefreshThreshold(const RegisterImage& s, unsigned low, std::uint32_t norm, int q, int& lastT, int& threshold);
  bool Seen(unsigned reg, std::uint16_t value);

  IPanelHost& host_;
  SamplePeriod& period_;
  IUserDialog& dialogs_;
  CHardwareLink* link_ = nullptr;
  LinkMembership membership_;  // left when the panel goes
  bool initialised_ = false;

  std::array<int, 4> times_{240, 1, 16, 1};
  std::array<std::string, 4> timeUs_;
  int longTc_ = 4000, shortTc_ = 32;
  std::string longTcUs_, shortTcUs_;
  int thresholdSlow_ = 0, thresholdFast_ = 0;
  int lastSlowT_ = 0, lastFastT_ = 0;
  std::array<int, 3> listIndex_{0, 0, 0};
  std::array<bool, 3> listOpen_{false, false, false};
  std::string estSlow_ = "0", estFast_ = "0";
  int blrSlow_ = 500, blrFast_ = 100;
  bool slowSym_ = true, acc_ = false, fastSym_ = false;
  bool pileUpOn_ = true, enhanced_ = true;
  bool auto_ = true, fine_ = false;
  std::uint32_t factor_ = 1;
  double bdcValue_ = 1.0;
  int tipsGain_ = 8;
  std::uint16_t tipsRegister_ = 53;
  int symmetry_ = 0;
  std::string symmetryText_ = "0";
  std::uint32_t slowNorm_ = 1, fastNorm_ = 1, lastFactor_ = 0;
  // Last seen value of each register the panel shows (-1: none yet).
  std::array<int, 0x80> seen_;
};

}  // namespace mirvo
