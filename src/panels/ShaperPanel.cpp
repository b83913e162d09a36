#include "panels/ShaperPanel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "acquisition/LinkLifecycle.h"
#include "protocol/CHardwareLink.h"
#include "base/TextFormat.h"

namespace mirvo {

namespace {

std::string FormatInt(long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", value);
  return text;
}

int Clamp(std::int64_t value, int low, int high) {
  return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

std::uint32_t Long(const RegisterImage& image, unsigned low) {
  return image[low] | (static_cast<std::uint32_t>(image[low + 1]) << 16);
}

constexpr std::array<int, 4> kTimeMax = {2040, 511, 1020, 255};
constexpr std::array<unsigned, 4> kTimeRegister = {shaper_reg::kSlowRise, shaper_reg::kSlowFlat, shaper_reg::kFastRise,
                                                   shaper_reg::kFastFlat};

}  // namespace

std::string AutoMarginText(int index) { return FormatText("%g", 1.0 + 0.25 * std::clamp(index, 0, kAutoMarginEntries - 1)); }
std::string BdcText(int index) { return FormatText("%g", 1.0 + 0.125 * std::clamp(index, 0, kBdcEntries - 1)); }

std::uint16_t TipsGainRegister(int tipsGain, int fastRise, int slowRise) {
  if (slowRise <= 0) return 1;
  const long long value = std::llround(static_cast<double>(tipsGain) * fastRise * 100.0 / slowRise);
  return static_cast<std::uint16_t>(std::clamp<long long>(value, 1, 500));
}

int TipsGainFromRegister(std::uint16_t value, int fastRise, int slowRise) {
  if (fastRise <= 0 || slowRise <= 0) return 1;
  long long gain = std::llround(static_cast<double>(value) * slowRise / (fastRise * 100.0));
  if (std::llround(static_cast<double>(fastRise) * gain * 100.0 / slowRise) < value) ++gain;
  return static_cast<int>(std::clamp<long long>(gain, 1, 100));
}

DerivedShaperWords DeriveShaperWords(int slowRise, int slowFlat, int fastRise, int fastFlat) {
  const auto R = static_cast<std::uint16_t>(slowRise), F = static_cast<std::uint16_t>(slowFlat);
  const auto r = static_cast<std::uint16_t>(fastRise), f = static_cast<std::uint16_t>(fastFlat);
  auto w = [](unsigned v) { return static_cast<std::uint16_t>(v & 0xFFFFu); };
  return {w(R + R / 32u + F),  w(R - 4u),          w(2u * R),
          w(R / 10u + 4u),     w(r / 10u + 4u),    w(2u * (F + R - r) + R / 16u - f)};
}

SymmetryParse ParseSymmetryText(const std::string& text) {
  std::string rest;
  bool negative = false;
  for (char c : text) {
    if (c == '-')
      negative = true;
    else
      rest += c;
  }
  if (negative && rest.empty()) return {};  // a lone "-": wait for more input
  std::size_t i = 0;
  while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i]))) ++i;
  if (i < rest.size() && rest[i] == '+') ++i;
  long long value = 0;
  bool digits = false;
  for (; i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])); ++i) {
    digits = true;
    value = std::min<long long>(value * 10 + (rest[i] - '0'), 1000000);
  }
  if (!digits) return {};
  value = std::min<long long>(value, 10000);
  return {true, static_cast<int>(negative ? -value : value)};
}

ShaperPanel::ShaperPanel(IPanelHost& host, SamplePeriod& period, IUserDialog& dialogs)
    : host_(host), period_(period), dialogs_(dialogs) {
  seen_.fill(-1);
  RewriteTimeTexts();
}

void ShaperPanel::Attach(LinkLifecycle& lifecycle) {
  link_ = &lifecycle.Link();
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kShaper, *this, this);
}

void ShaperPanel::Initialise() {
  tipsGain_ = 8;
  pileUpOn_ = enhanced_ = true;
  slowSym_ = true;
  fastSym_ = acc_ = false;
  auto_ = true;
  fine_ = false;
  listIndex_ = {0, 0, 0};
  bdcValue_ = 1.0;
  symmetry_ = 0;
  symmetryText_ = std::to_string(symmetry_);
  times_ = {240, 1, 16, 1};
  thresholdSlow_ = thresholdFast_ = 0;
  blrFast_ = 100;
  blrSlow_ = 500;
  longTc_ = 4000;
  shortTc_ = 32;
  factor_ = 1;
  tipsRegister_ = TipsGainRegister(tipsGain_, times_[2], times_[0]);
  RewriteTimeTexts();
  initialised_ = true;
  Changed();
}

bool ShaperPanel::Responding() const { return link_ != nullptr && link_->Responding(); }

void ShaperPanel::RewriteTime(std::size_t field) { timeUs_[field] = FormatText("%5.4f", times_[field] * period_.Us()); }

void ShaperPanel::RewriteTimeTexts() {
  for (std::size_t i = 0; i < times_.size(); ++i) RewriteTime(i);
  longTcUs_ = FormatText("%5.4f", longTc_ * period_.Us() * 0.125);
  shortTcUs_ = FormatText("%4.1f", shortTc_ * period_.Us() * 125.0);
}

int ShaperPanel::S1Factor(bool writing) {
  const int q = writing ? host_.BufferRecord(1).factor : host_.ActiveRecord(1).factor;
  return q > 0 ? q : 1;
}

// ---------------------------------------------------------------------------------------------
// Image

void ShaperPanel::ComputeGainNormalisation(SpectrumRecord& settings) {
  if (settings.hardSize == 0) settings.hardSize = kMaxChannels;
  RegisterImage& s = settings.registers;
  std::uint64_t factor = factor_;
  if (auto_) {
    double g = static_cast<double>(s[shaper_reg::kSlowRise]) * 40960.0 / settings.hardSize;
    if (fine_) {
      const int k = s[shaper_reg::kTimeConstantExponent] & 0xF;
      g = longTc_ * g / (std::ldexp(1.0, k) * 8.0);
    }
    int& bdc = listIndex_[static_cast<std::size_t>(List::kBdc)];
    if (bdc < 0 || bdc >= kBdcEntries) bdc = 0;
    bdcValue_ = ParseDouble(BdcText(bdc).c_str(), nullptr);
    factor = static_cast<std::uint64_t>(std::llround(bdcValue_ * g));
    factor = std::min<std::uint64_t>(factor, 0x3FFFFFFFu);
    factor_ = static_cast<std::uint32_t>(factor);
  }
  if (factor == 0) factor = 1;
  const auto f32 = static_cast<std::uint32_t>(factor);
  s[shaper_reg::kNormLow] = static_cast<std::uint16_t>(f32 & 0xFFFF);
  std::uint16_t high = static_cast<std::uint16_t>((f32 >> 16) & 0x3FFF);
  if (auto_) high |= 0x8000;
  if (fine_) high |= 0x4000;
  s[shaper_reg::kNormHigh] = high;
  slowNorm_ = f32;
  if (s[shaper_reg::kSlowRise] != 0) {
    const long long fast =
        std::llround(static_cast<double>(s[shaper_reg::kFastRise]) * f32 / s[shaper_reg::kSlowRise]);
    fastNorm_ = fast > 0 ? static_cast<std::uint32_t>(fast) : 1;
  }
  lastFactor_ = f32;
}

void ShaperPanel::ApplyThreshold(RegisterImage& image, unsigned low, int channels, std::uint32_t norm, int q,
                                 int& lastT) {
  const int t = channels * q;
  lastT = t;
  const std::uint64_t product = static_cast<std::uint64_t>(t) * norm;
  const auto value = static_cast<std::uint32_t>(product & 0xFFFFFFFFu);
  if (value == 0) {
    image[low] = image[low + 1] = 0xFFFF;  // AUTO
    return;
  }
  image[low] = static_cast<std::uint16_t>(value & 0xFFFF);
  image[low + 1] = static_cast<std::uint16_t>(value >> 16);
}

void ShaperPanel::ApplyToImage() {
  if (!initialised_) return;
  SpectrumRecord& live = host_.LiveRecord();
  RegisterImage& image = live.registers;
  for (std::size_t i = 0; i < 4; ++i) image[kTimeRegister[i]] = static_cast<std::uint16_t>(times_[i]);
  image[shaper_reg::kTipsGain] = tipsRegister_;
  ComputeGainNormalisation(live);
  std::uint16_t pileUp = image[shaper_reg::kPileUp] & 0x3FFF;
  if (!pileUpOn_) pileUp |= 0x8000;
  if (enhanced_) pileUp |= 0x4000;
  image[shaper_reg::kPileUp] = pileUp;
  host_.ReapplyTraceFields();
  const DerivedShaperWords d = DeriveShaperWords(times_[0], times_[1], times_[2], times_[3]);
  image[shaper_reg::kSlowWindow] = d.r20;
  image[shaper_reg::kSlowDelay] = d.r21;
  const int q = S1Factor(true);
  ApplyThreshold(image, shaper_reg::kSlowThresholdLow, thresholdSlow_, slowNorm_, q, lastSlowT_);
  ApplyThreshold(image, shaper_reg::kFastThresholdLow, thresholdFast_, fastNorm_, q, lastFastT_);
  std::uint16_t margins = image[shaper_reg::kMargins] & 0x8000;
  margins |= static_cast<std::uint16_t>((listIndex_[0] + 4) & 0x1F);
  margins |= static_cast<std::uint16_t>(((listIndex_[1] + 4) & 0x1F) << 5);
  margins |= static_cast<std::uint16_t>((listIndex_[2] & 0x1F) << 10);
  image[shaper_reg::kMargins] = margins;
  image[shaper_reg::kPeakWindow] = d.r26;
  image[shaper_reg::kSlowBase] = d.r27;
  image[shaper_reg::kFastBase] = d.r28;
  image[shaper_reg::kPileUpWindow] = d.r29;
  image[shaper_reg::kBlrSlow] =
      static_cast<std::uint16_t>((blrSlow_ & 0x3FFF) | (slowSym_ ? 0x8000 : 0) | (acc_ ? 0x4000 : 0));
  image[shaper_reg::kBlrFast] = static_cast<std::uint16_t>((blrFast_ & 0x7FFF) | (fastSym_ ? 0x8000 : 0));
  image[shaper_reg::kLongTc] = static_cast<std::uint16_t>(longTc_);
  image[shaper_reg::kShortTc] = static_cast<std::uint16_t>(shortTc_);
  image[shaper_reg::kSymmetry] = static_cast<std::uint16_t>(static_cast<std::int16_t>(symmetry_));
}

void ShaperPanel::CommitChange(bool full) {
  SpectrumRecord& live = host_.LiveRecord();
  live.refreshEnable = 0;
  tipsRegister_ = TipsGainRegister(tipsGain_, times_[2], times_[0]);
  ApplyToImage();
  if (Responding()) {
    if (host_.SeriesRunning()) return;
    if (full)
      link_->WriteAllRegisters();
    else
      link_->WriteSettingsRegisters();
  } else {
    live.refreshEnable = 1;
  }
  Changed();
}

// ---------------------------------------------------------------------------------------------
// Refresh

bool ShaperPanel::Seen(unsigned reg, std::uint16_t value) {
  int& last = seen_[reg & 0x7F];
  if (last == value) return false;
  last = value;
  return true;
}

void ShaperPanel::RefreshThreshold(const RegisterImage& s, unsigned low, std::uint32_t norm, int q, int& lastT,
                                   int& threshold) {
  const auto v = static_cast<std::int32_t>(Long(s, low));
  int t = v > 0 && norm != 0 ? static_cast<int>(std::min<std::uint32_t>(static_cast<std::uint32_t>(v) / norm, 1u << 20)) : 0;
  t = std::min(t, kThresholdMax);
  if (t != lastT) {
    lastT = t;
    threshold = t / q;
  }
}

void ShaperPanel::RefreshFromRecord() {
  SpectrumRecord* record = host_.SettingsRecord();
  if (record == nullptr) {
    dialogs_.ShowMessage(kPointerText);
    return;
  }
  RegisterImage& s = record->registers;
  // 1. the clock
  const bool clockChanged = period_.Observe(SamplePeriod::CodeOf(s));
  if (clockChanged) host_.ClockChanged();
  // 2. times and time constants
  for (std::size_t i = 0; i < 4; ++i) {
    if (Seen(kTimeRegister[i], s[kTimeRegister[i]]) || clockChanged) {
      times_[i] = s[kTimeRegister[i]];
      RewriteTime(i);
    }
  }
  if (Seen(shaper_reg::kLongTc, s[shaper_reg::kLongTc]) || clockChanged) {
    longTc_ = s[shaper_reg::kLongTc];
    longTcUs_ = FormatText("%5.4f", longTc_ * period_.Us() * 0.125);
  }
  if (Seen(shaper_reg::kShortTc, s[shaper_reg::kShortTc]) || clockChanged) {
    shortTc_ = s[shaper_reg::kShortTc];
    shortTcUs_ = FormatText("%4.1f", shortTc_ * period_.Us() * 125.0);
  }
  // 3. pile-up rejector
  pileUpOn_ = (s[shaper_reg::kPileUp] & 0x8000) == 0;
  enhanced_ = (s[shaper_reg::kPileUp] & 0x4000) != 0;
  // 4. TIPS gain
  const std::uint16_t tips = s[shaper_reg::kTipsGain];
  if (tips != seen_[shaper_reg::kTipsGain] && s[shaper_reg::kSlowRise] != 0 && s[shaper_reg::kFastRise] != 0) {
    seen_[shaper_reg::kTipsGain] = tips;
    tipsGain_ = TipsGainFromRegister(tips, s[shaper_reg::kFastRise], s[shaper_reg::kSlowRise]);
    tipsRegister_ = tips;
  }
  // 5. the factor
  std::uint32_t factor = (static_cast<std::uint32_t>(s[shaper_reg::kNormHigh] & 0x3FFF) << 16) | s[shaper_reg::kNormLow];
  factor_ = factor == 0 ? 1 : factor;
  // 6. BDC
  const std::uint16_t margins = s[shaper_reg::kMargins];
  if (!listOpen_[static_cast<std::size_t>(List::kBdc)]) {
    const int index = std::min<int>((margins >> 10) & 0x1F, kBdcEntries - 1);
    int& selected = listIndex_[static_cast<std::size_t>(List::kBdc)];
    if (index != selected) {
      selected = index;
      bdcValue_ = ParseDouble(BdcText(index).c_str(), nullptr);
    }
  }
  // 7. AUTO and FINE
  auto_ = (s[shaper_reg::kNormHigh] & 0x8000) != 0;
  fine_ = (s[shaper_reg::kNormHigh] & 0x4000) != 0;
  // 8. normalisation factors
  if (factor_ != lastFactor_) ComputeGainNormalisation(*record);
  if (s[shaper_reg::kSlowRise] != 0) {
    const long long fast = std::llround(static_cast<double>(s[shaper_reg::kFastRise]) * slowNorm_ / s[shaper_reg::kSlowRise]);
    fastNorm_ = fast > 0 ? static_cast<std::uint32_t>(fast) : 1;
  }
  // 9. thresholds
  const int q = S1Factor(false);
  RefreshThreshold(s, shaper_reg::kSlowThresholdLow, slowNorm_, q, lastSlowT_, thresholdSlow_);
  RefreshThreshold(s, shaper_reg::kFastThresholdLow, fastNorm_, q, lastFastT_, thresholdFast_);
  // 10. auto margins
  for (std::size_t list = 0; list < 2; ++list) {
    if (listOpen_[list]) continue;
    const int code = std::max(4, (margins >> (5 * list)) & 0x1F);
    listIndex_[list] = std::min(code - 4, kAutoMarginEntries - 1);
  }
  // 11. symmetry
  if (Seen(shaper_reg::kSymmetry, s[shaper_reg::kSymmetry])) {
    symmetry_ = static_cast<std::int16_t>(s[shaper_reg::kSymmetry]);
    symmetryText_ = FormatInt(symmetry_);
  }
  // 12. baseline restorer
  if (Seen(shaper_reg::kBlrSlow, s[shaper_reg::kBlrSlow])) blrSlow_ = s[shaper_reg::kBlrSlow] & 0x3FFF;
  if (Seen(shaper_reg::kBlrFast, s[shaper_reg::kBlrFast])) blrFast_ = s[shaper_reg::kBlrFast] & 0x7FFF;
  slowSym_ = (s[shaper_reg::kBlrSlow] & 0x8000) != 0;
  acc_ = (s[shaper_reg::kBlrSlow] & 0x4000) != 0;
  fastSym_ = (s[shaper_reg::kBlrFast] & 0x8000) != 0;
  // 13. estimated thresholds
  const std::uint64_t slowDivisor = static_cast<std::uint64_t>(q) * slowNorm_;
  const std::uint64_t fastDivisor = static_cast<std::uint64_t>(q) * fastNorm_;
  estSlow_ = FormatInt(slowDivisor ? static_cast<long long>(Long(s, shaper_reg::kSlowEstimateLow) / slowDivisor) : 0);
  estFast_ = FormatInt(fastDivisor ? static_cast<long long>(Long(s, shaper_reg::kFastEstimateLow) / fastDivisor) : 0);
  Changed();
}

void ShaperPanel::ReexpressThresholds() {
  const int q = S1Factor(false);
  thresholdSlow_ = lastSlowT_ > 0 ? lastSlowT_ / q : 0;
  thresholdFast_ = lastFastT_ > 0 ? lastFastT_ / q : 0;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// Handlers

int ShaperPanel::OnTimeChanged(TimeField field, std::int64_t samples) {
  const auto i = static_cast<std::size_t>(field);
  if (!initialised_) return times_[i];
  times_[i] = Clamp(samples, 1, kTimeMax[i]);
  RewriteTime(i);
  CommitChange(true);
  return times_[i];
}

int ShaperPanel::OnLongTcChanged(std::int64_t value) {
  if (!initialised_) return longTc_;
  longTc_ = Clamp(value, 0, 8191);
  longTcUs_ = FormatText("%5.4f", longTc_ * period_.Us() * 0.125);
  CommitChange(true);
  return longTc_;
}

int ShaperPanel::OnShortTcChanged(std::int64_t value) {
  if (!initialised_) return shortTc_;
  shortTc_ = Clamp(value, 0, 511);
  shortTcUs_ = FormatText("%4.1f", shortTc_ * period_.Us() * 125.0);
  CommitChange(true);
  return shortTc_;
}

int ShaperPanel::OnThresholdSlowChanged(std::int64_t channels) {
  if (!initialised_) return thresholdSlow_;
  thresholdSlow_ = Clamp(channels, 0, kThresholdMax);
  CommitChange(false);
  return thresholdSlow_;
}

int ShaperPanel::OnThresholdFastChanged(std::int64_t channels) {
  if (!initialised_) return thresholdFast_;
  thresholdFast_ = Clamp(channels, 0, kThresholdMax);
  CommitChange(false);
  return thresholdFast_;
}

int ShaperPanel::OnBlrSlowChanged(std::int64_t value) {
  if (!initialised_) return blrSlow_;
  blrSlow_ = Clamp(value, 0, 1023);
  CommitChange(false);
  return blrSlow_;
}

int ShaperPanel::OnBlrFastChanged(std::int64_t value) {
  if (!initialised_) return blrFast_;
  blrFast_ = Clamp(value, 0, 255);
  CommitChange(false);
  return blrFast_;
}

void ShaperPanel::OnListDropped(List list) {
  if (!initialised_) return;
  listOpen_[static_cast<std::size_t>(list)] = true;
}

void ShaperPanel::OnListSelected(List list, int index) {
  const auto i = static_cast<std::size_t>(list);
  listOpen_[i] = false;
  if (!initialised_) return;
  const int entries = list == List::kBdc ? kBdcEntries : kAutoMarginEntries;
  listIndex_[i] = std::clamp(index, 0, entries - 1);
  if (list == List::kBdc) bdcValue_ = ParseDouble(BdcText(listIndex_[i]).c_str(), nullptr);
  CommitChange(false);
}

void ShaperPanel::OnAutoToggled(bool on) {
  if (!initialised_) return;
  auto_ = on;
  CommitChange(false);
}

void ShaperPanel::OnFineToggled(bool on) {
  if (!initialised_) return;
  fine_ = on;
  CommitChange(false);
}

std::uint32_t ShaperPanel::OnFactorChanged(std::int64_t factor) {
  if (!initialised_) return factor_;
  factor_ = static_cast<std::uint32_t>(std::clamp<std::int64_t>(factor, 1, kFactorMax));
  CommitChange(false);
  return factor_;
}

bool ShaperPanel::OnTipsGainTyped(std::int64_t gain) {
  if (!initialised_) return false;
  if (gain < 1 || gain > 500) {
    dialogs_.ShowMessage(kTipsGainRangeText);
    Changed();
    return false;
  }
  tipsGain_ = static_cast<int>(gain);
  CommitChange(false);
  return true;
}

void ShaperPanel::OnPileUpOnToggled(bool on) {
  if (!initialised_) return;
  pileUpOn_ = on;
  CommitChange(false);
}

void ShaperPanel::OnEnhancedToggled(bool on) {
  if (!initialised_) return;
  enhanced_ = on;
  CommitChange(false);
}

void ShaperPanel::OnSlowSymToggled(bool on) {
  if (!initialised_) return;
  slowSym_ = on;
  CommitChange(false);
}

void ShaperPanel::OnAccToggled(bool on) {
  if (!initialised_) return;
  acc_ = on;
  CommitChange(false);
}

void ShaperPanel::OnFastSymToggled(bool on) {
  if (!initialised_) return;
  fastSym_ = on;
  CommitChange(false);
}

bool ShaperPanel::OnSymmetryText(const std::string& text) {
  if (!initialised_) return false;
  const SymmetryParse parsed = ParseSymmetryText(text);
  if (!parsed.take) return false;
  symmetry_ = parsed.value;
  symmetryText_ = FormatInt(symmetry_);
  CommitChange(false);
  return true;
}

}  // namespace mirvo
