#include "display/SpectrumPlot.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "display/PlotGeometry.h"

namespace mirvo {

namespace {

class NoHost final : public IPlotHost {
 public:
  void PlotFocused(SpectrumPlot&) override {}
  void PaneCaptionUpdated(SpectrumPlot&) override {}
};
NoHost& NoHostInstance() {
  static NoHost host;
  return host;
}

inline std::uint32_t SaturatingAdd(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t sum = a + b;
  return sum < a ? std::numeric_limits<std::uint32_t>::max() : sum;
}

}  // namespace

SpectrumPlot::SpectrumPlot(int spectrumIndex, bool isBuffer, IPlotHost* host)
    : host_(host != nullptr ? host : &NoHostInstance()) {
  record_.spectrumIndex = spectrumIndex;
  record_.live = isBuffer ? 1 : 0;
  record_.visible = isBuffer ? 1 : 0;
}

void SpectrumPlot::SetHost(IPlotHost* host) { host_ = host != nullptr ? host : &NoHostInstance(); }

std::uint32_t SpectrumPlot::SoftCount(int channel) const {
  return channel >= 0 && channel < kMaxChannels ? record_.softCounts[channel] : 0;
}

bool SpectrumPlot::SoftRoi(int channel) const {
  return channel >= 0 && channel < kMaxChannels && record_.softRoi[static_cast<std::size_t>(channel)] != 0;
}

// ---------------------------------------------------------------- sizes

int SpectrumPlot::SetSizes(int hard, int soft) {
  if (soft < kMinHardSize || soft > kMaxChannels || hard > kMaxChannels) return -1;
  if (Visible()) {
    if (hard != record_.hardSize || soft != record_.softSize) {
      record_.hardSize = std::max(hard, soft);
      record_.softSize = soft;
      record_.factor = record_.hardSize / soft;
      first_ = 0;
      last_ = soft - 1;
      viewWidth_ = soft;
      cursor_ = soft / 2;
      RequestRedraw(RedrawKind::Full);
    }
    RebuildSoftSpectrum();
  }
  RebuildSoftRoi();
  host_->SizesApplied(*this);
  UpdatePaneCaption();
  return 0;
}

void SpectrumPlot::ApplySizes(int hard, int soft) {
  hard = std::clamp(hard, kMinHardSize, kMaxChannels);
  soft = std::clamp(soft, kMinHardSize, hard);
  record_.hardSize = hard;
  record_.softSize = soft;
  record_.factor = hard / soft;
  first_ = 0;
  last_ = soft - 1;
  viewWidth_ = soft;
  cursor_ = soft / 2;
  RebuildSoftSpectrum();
  RebuildSoftRoi();
  RequestRedraw(RedrawKind::Full);
  UpdatePaneCaption();
}

void SpectrumPlot::RebuildSoftSpectrum() {
  const std::uint32_t* hard = record_.hardCounts;
  std::uint32_t* soft = record_.softCounts;
  const int hardSize = std::clamp(record_.hardSize, 1, kMaxChannels);
  const int factor = std::max(record_.factor, 1);
  int started = 0;
  if (factor == 1) {
    std::memcpy(soft, hard, static_cast<std::size_t>(hardSize) * sizeof(std::uint32_t));
    started = hardSize;
  } else {
    for (int j = 0; j < hardSize; j += factor) {
      const int end = std::min(j + factor, hardSize);
      std::uint32_t sum = hard[j];
      for (int i = j + 1; i < end; ++i) sum = SaturatingAdd(sum, hard[i]);
      soft[started++] = sum;
    }
  }
  // A partial soft channel just past the shown range belongs to the last shown one.
  const int softSize = record_.softSize;
  if (softSize >= 1 && started == softSize + 1) soft[softSize - 1] = SaturatingAdd(soft[softSize - 1], soft[softSize]);
  if (started < kMaxChannels)
    std::memset(soft + started, 0, static_cast<std::size_t>(kMaxChannels - started) * sizeof(std::uint32_t));
}

void SpectrumPlot::RebuildSoftRoi() {
  const int softSize = std::clamp(record_.softSize, 0, kMaxChannels);
  const int factor = std::max(record_.factor, 1);
  for (int s = 0; s < kMaxChannels; ++s) {
    std::uint8_t flag = 0;
    if (s < softSize && s * factor + factor <= kMaxChannels) {
      flag = 1;
      for (int h = s * factor; h < s * factor + factor; ++h)
        if (record_.hardRoi[static_cast<std::size_t>(h)] == 0) {
          flag = 0;
          break;
        }
    }
    record_.softRoi[static_cast<std::size_t>(s)] = flag;
  }
}

// ---------------------------------------------------------------- view and cursor

void SpectrumPlot::FitViewSteps(bool centre) {
  const int softSize = record_.softSize;
  if (viewWidth_ < kMinViewWidth) viewWidth_ = kMinViewWidth;
  if (viewWidth_ > softSize) viewWidth_ = softSize;
  if (centre) first_ = cursor_ - viewWidth_ / 2;
  if (first_ < 0) first_ = 0;
  last_ = first_ + viewWidth_ - 1;
  if (last_ >= softSize) {
    last_ = softSize - 1;
    first_ = softSize - viewWidth_;
    if (centre) cursor_ = softSize - 1 - viewWidth_ / 2;
  }
}

void SpectrumPlot::FitView(int mode) {
  FitViewSteps(mode == 1);
  if (mode >= 100) return;
  MoveCursor(cursor_);
  RequestRedraw(mode == 0 ? RedrawKind::Partial : RedrawKind::Full);
}

void SpectrumPlot::MoveCursor(int channel) {
  cursor_ = std::clamp(channel, first_, std::max(first_, last_));
  cursorMoved_ = true;
  host_->PeakInfoDue(*this);
}

void SpectrumPlot::ScrollBy(int step) {
  first_ += step;
  FitView(0);
}

void SpectrumPlot::HorizontalScroll(ScrollAction action, int thumbPosition) {
  switch (action) {
    case ScrollAction::LineBack: first_ -= viewWidth_ >> 4; break;
    case ScrollAction::LineForward: first_ += viewWidth_ >> 4; break;
    case ScrollAction::PageBack: first_ -= viewWidth_ / 2; break;
    case ScrollAction::PageForward: first_ += viewWidth_ / 2; break;
    case ScrollAction::Thumb: first_ = thumbPosition; break;
  }
  FitView(0);
}

void SpectrumPlot::VerticalScroll(ScrollAction action, int thumbPosition) {
  int& index = linear_ ? linearScale_ : logRange_;
  switch (action) {
    case ScrollAction::LineBack:
    case ScrollAction::PageBack: --index; break;
    case ScrollAction::LineForward:
    case ScrollAction::PageForward: ++index; break;
    case ScrollAction::Thumb: index = thumbPosition; break;
  }
  ApplyVerticalScale();
}

// ---------------------------------------------------------------- vertical scale

void SpectrumPlot::ApplyVerticalScale() {
  linearScale_ = std::clamp(linearScale_, 0, kMaxLinearScale);
  logRange_ = std::clamp(logRange_, 0, kMaxLogRange);
  RequestRedraw(RedrawKind::Full);
}

void SpectrumPlot::ApplyAutoScale(std::int64_t highestY, const PlotGeometry& geometry) {
  if (!autoScale_ || !linear_) return;
  linearScale_ = AutoScaleIndex(linearScale_, highestY, geometry);
}

void SpectrumPlot::ChangeVerticalIndex(int delta) {
  if (linear_)
    linearScale_ += delta;
  else
    logRange_ += delta;
  autoScale_ = false;
  ApplyVerticalScale();
}

void SpectrumPlot::ExpandVerticalScale() { ChangeVerticalIndex(-1); }
void SpectrumPlot::CompressVerticalScale() { ChangeVerticalIndex(+1); }

void SpectrumPlot::ExpandAroundCursor() {
  viewWidth_ /= 2;
  FitView(1);
}

void SpectrumPlot::CompressAroundCursor() {
  viewWidth_ = std::min(viewWidth_, kMaxChannels) * 2;
  FitView(1);
}

void SpectrumPlot::ExpandFromLeft() {
  viewWidth_ /= 2;
  FitViewSteps(false);
  MoveCursor(cursor_);
  RequestRedraw(RedrawKind::Full);
}

void SpectrumPlot::CompressFromLeft() {
  viewWidth_ = std::min(viewWidth_, kMaxChannels) * 2;
  FitViewSteps(false);
  MoveCursor(cursor_);
  RequestRedraw(RedrawKind::Full);
}

void SpectrumPlot::SetLinearScale() {
  linear_ = true;
  ApplyVerticalScale();
}

void SpectrumPlot::SetLogarithmicScale() {
  linear_ = false;
  autoScale_ = false;
  ApplyVerticalScale();
}

void SpectrumPlot::ShowFullSpectrum() {
  viewWidth_ = record_.softSize;
  FitView(1);
}

void SpectrumPlot::ToggleAutomaticScale() { autoScale_ = !(autoScale_ || !linear_); }

// ---------------------------------------------------------------- focus, visibility, caption

void SpectrumPlot::ActivatePlot() {
  host_->FocusRequested(*this);
  GainFocus();
}

void SpectrumPlot::GainFocus() {
  SetSizes(record_.hardSize, record_.softSize);
  unitsRefresh_ = true;
  host_->PlotFocused(*this);
}

void SpectrumPlot::SetVisible(bool visible) {
  record_.visible = visible ? 1 : 0;
  unitsRefresh_ = true;
  UpdatePaneCaption();
}

void SpectrumPlot::UpdatePaneCaption() {
  if (Visible()) host_->PaneCaptionUpdated(*this);
}

// ---------------------------------------------------------------- appearance and redraw

void SpectrumPlot::CycleDrawStyle() {
  drawStyle_ = (drawStyle_ + 1) % 4;
  RequestRedraw(RedrawKind::Full);
}

void SpectrumPlot::SetPlotColours(bool useDefaults) {
  if (useDefaults) colours_ = PlotColours{};
  RequestRedraw(RedrawKind::Full);
}

void SpectrumPlot::RequestRedraw(RedrawKind kind) {
  if (static_cast<int>(kind) > static_cast<int>(redraw_)) redraw_ = kind;
}

RedrawKind SpectrumPlot::TakeRedraw() {
  const RedrawKind kind = redraw_;
  redraw_ = RedrawKind::None;
  return kind;
}

bool SpectrumPlot::TakeCursorMoved() {
  const bool moved = cursorMoved_;
  cursorMoved_ = false;
  return moved;
}

}  // namespace mirvo
