#include "panels/PulseShapePanel.h"

#include <algorithm>
#include <cstdio>

#include "acquisition/LinkLifecycle.h"
#include "protocol/CHardwareLink.h"
#include "base/TextFormat.h"

namespace mirvo {

bool MarkHardRoi(FlagArray& flags, int a, int b, int q, bool value) {
  if (q <= 0) q = 1;
  const int start = std::clamp(q * std::min(a, b), 0, kMaxChannels - 1);
  const int end = std::clamp(q * std::max(a, b), 0, kMaxChannels - 1);
  if (value) {
    for (int i = start; i <= end; ++i)
      if (flags[static_cast<std::size_t>(i)] != 0) return false;
  }
  for (int i = start; i <= end; ++i) flags[static_cast<std::size_t>(i)] = value ? 1 : 0;
  return true;
}

PulseShapePanel::PulseShapePanel(IPanelHost& host, IUserDialog& dialogs) : host_(host), dialogs_(dialogs) {}

void PulseShapePanel::Attach(LinkLifecycle& lifecycle) {
  link_ = &lifecycle.Link();
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kPulseShape, *this, this);
}

void PulseShapePanel::Initialise() {
  synchronised_ = false;
  initialised_ = true;
  Changed();
}

bool PulseShapePanel::Responding() const { return link_ != nullptr && link_->Responding(); }

int PulseShapePanel::MaximumChannel(int window) {
  return kMaxChannels / Factor(host_.BufferRecord(SpectrumOf(window))) - 1;
}

// ---------------------------------------------------------------------------------------------
// Image

void PulseShapePanel::ApplyToImage() {
  if (!initialised_) return;
  RegisterImage& image = host_.LiveRecord().registers;
  const int heightFactor = Factor(host_.BufferRecord(1));
  const int tipsFactor = Factor(host_.BufferRecord(0));
  for (int w = 0; w < kWindows; ++w) {
    const int q = w == 0 ? heightFactor : tipsFactor;
    const int lower = std::min(From(w), To(w)), upper = std::max(From(w), To(w));
    lastWritten_[Index(w, End::kFrom)] = lower;
    lastWritten_[Index(w, End::kTo)] = upper;
    const unsigned reg = psd_reg::kHeightLow + 2u * static_cast<unsigned>(w);
    auto low = static_cast<std::uint16_t>((lower * q) & psd_reg::kChannelMask);
    const auto high = static_cast<std::uint16_t>((upper * q) & psd_reg::kChannelMask);
    if (AndOption(w)) low |= psd_reg::kAndHeight;
    image[reg] = low;
    image[reg + 1] = high;
  }
}

void PulseShapePanel::CommitChange() {
  SpectrumRecord& live = host_.LiveRecord();
  live.refreshEnable = 0;
  ApplyToImage();
  if (Responding()) {
    if (!host_.SeriesRunning()) link_->WriteSettingsRegisters();
  } else {
    live.refreshEnable = 1;
  }
}

void PulseShapePanel::CommitIfSynchronised() {
  if (synchronised_) CommitChange();
}

void PulseShapePanel::RefreshFromRecord() {
  synchronised_ = false;
  SpectrumRecord* record = host_.SettingsRecord();
  if (record == nullptr) return;
  const RegisterImage& s = record->registers;
  const int heightFactor = Factor(host_.ActiveRecord(1));
  const int tipsFactor = Factor(host_.ActiveRecord(0));
  for (std::size_t i = 0; i < lastWritten_.size(); ++i) {
    const int q = i < 2 ? heightFactor : tipsFactor;
    const int channel = s[psd_reg::kHeightLow + static_cast<unsigned>(i)] & psd_reg::kChannelMask;
    if (channel != lastWritten_[i] * q) lastWritten_[i] = channel / q;
  }
  for (int w = 0; w < kWindows; ++w) {
    const int lower = lastWritten_[Index(w, End::kFrom)], upper = lastWritten_[Index(w, End::kTo)];
    int& from = values_[Index(w, End::kFrom)];
    int& to = values_[Index(w, End::kTo)];
    if (to < from) {
      from = upper;
      to = lower;
    } else {
      from = lower;
      to = upper;
    }
  }
  andOption_[0] = (s[psd_reg::kHeightLow + 4] & psd_reg::kAndHeight) != 0;
  andOption_[1] = (s[psd_reg::kHeightLow + 6] & psd_reg::kAndHeight) != 0;
  RewriteCalibrated();
  Changed();
  synchronised_ = true;
}

void PulseShapePanel::RewriteCalibrated() {
  const SpectrumRecord& s1 = host_.ActiveRecord(1);
  if (s1.working.enabled != 0) {
    calibratedFrom_ = FormatText("%5.2f", s1.working.Energy(From(0)));
    calibratedTo_ = FormatText("%5.2f", s1.working.Energy(To(0)));
    unitsCaption_ = std::string("[") + s1.working.UnitName() + "]";
  } else {
    calibratedFrom_ = std::to_string(From(0));
    calibratedTo_ = std::to_string(To(0));
    unitsCaption_ = "[chn]";
  }
}

// ---------------------------------------------------------------------------------------------
// Handlers

int PulseShapePanel::OnTyped(int window, End end, std::int64_t channel) {
  window &= 3;
  int& value = values_[Index(window, end)];
  if (!initialised_) return value;
  const int maximum = MaximumChannel(window);
  value = channel < 0 || channel > maximum ? maximum : static_cast<int>(channel);
  if (window == 0) RewriteCalibrated();
  Changed();
  CommitIfSynchronised();
  return value;
}

void PulseShapePanel::OnFromRoi(int window) {
  window &= 3;
  if (!initialised_) return;
  if (window == 0 && host_.ActiveSpectrumIndex() == 0) {
    dialogs_.ShowMessage(kS1RoiFromS0Text);
    return;
  }
  int first = 0, last = 0;
  if (!host_.RoiAtCursor(SpectrumOf(window), first, last)) {
    dialogs_.ShowMessage(kNoRoiAtCursorText);
    return;
  }
  values_[Index(window, End::kFrom)] = first;
  values_[Index(window, End::kTo)] = last;
  if (window == 0) RewriteCalibrated();
  Changed();
  CommitIfSynchronised();
}

void PulseShapePanel::OnAll(int window) {
  window &= 3;
  if (!initialised_) return;
  if (window == 0 && host_.ActiveSpectrumIndex() == 0) {
    dialogs_.ShowMessage(kS1AllFromS0Text);
    return;
  }
  values_[Index(window, End::kFrom)] = 0;
  values_[Index(window, End::kTo)] = MaximumChannel(window);
  if (window == 0) RewriteCalibrated();
  Changed();
  CommitIfSynchronised();
}

void PulseShapePanel::OnMarkBack(int window) {
  window &= 3;
  if (!initialised_) return;
  const int spectrum = SpectrumOf(window);
  SpectrumRecord& record = host_.ActiveRecord(spectrum);
  if (!MarkHardRoi(record.hardRoi, From(window), To(window), Factor(record), true)) {
    dialogs_.ShowMessage(kRoiOverlapText);
    return;
  }
  host_.RoiFlagsChanged(spectrum);
}

void PulseShapePanel::OnEraseAll(int window) {
  window &= 3;
  if (!initialised_) return;
  const int spectrum = SpectrumOf(window);
  MarkHardRoi(host_.ActiveRecord(spectrum).hardRoi, 0, kMaxChannels - 1, 1, false);
  host_.RoiFlagsChanged(spectrum);
}

}  // namespace mirvo
