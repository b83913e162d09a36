// Mouse, keyboard and ROI marking rules of SpectrumPlot, as operations on channels.
#include <algorithm>

#include "display/PlotGeometry.h"
#include "display/SpectrumPlot.h"

namespace mirvo {

// ---------------------------------------------------------------- regions of interest

void SpectrumPlot::SetChannelRoi(int k, bool value) {
  if (k < 0 || k >= record_.softSize) return;
  const std::uint8_t flag = value ? 1 : 0;
  record_.softRoi[static_cast<std::size_t>(k)] = flag;
  const int factor = std::max(record_.factor, 1);
  for (int h = k * factor; h < k * factor + factor && h < kMaxChannels; ++h) record_.hardRoi[static_cast<std::size_t>(h)] = flag;
}

void SpectrumPlot::StartMarking(bool mark) {
  markFlag_ = mark;
  unmarkFlag_ = !mark;
  anchor_ = runLow_ = runHigh_ = cursor_;
  SetChannelRoi(cursor_, mark);
  RequestRedraw(RedrawKind::Partial);
}

void SpectrumPlot::ExtendRoiMarking(int channel) {
  const int c = channel;
  if (unmarkFlag_ && !markFlag_) {
    for (int k = std::min(anchor_, c); k <= std::max(anchor_, c); ++k) SetChannelRoi(k, false);
  } else if (markFlag_) {
    if (roiMode_ == 0) {
      for (int k = std::min(anchor_, c); k <= std::max(anchor_, c); ++k) SetChannelRoi(k, true);
    } else {
      ExtendFromCursor(c);
    }
  }
  RequestRedraw(RedrawKind::Partial);
}

// The run [low, high] holds the anchor, follows the cursor and never enters another ROI.
void SpectrumPlot::ExtendFromCursor(int c) {
  if (runLow_ < c && runLow_ < anchor_) {
    for (int k = runLow_; k < c && k < anchor_; ++k) SetChannelRoi(k, false);
    runLow_ = std::min(c, anchor_);
  } else if (c < runLow_) {
    for (int k = runLow_ - 1; k >= c && k >= 0; --k) {
      if (SoftRoi(k)) break;
      SetChannelRoi(k, true);
      runLow_ = k;
    }
  }
  if (c < runHigh_ && anchor_ < runHigh_) {
    for (int k = std::max(c, anchor_) + 1; k <= runHigh_; ++k) SetChannelRoi(k, false);
    runHigh_ = std::max(c, anchor_);
  } else if (runHigh_ < c) {
    for (int k = runHigh_ + 1; k <= c && k < record_.softSize; ++k) {
      if (SoftRoi(k)) break;
      SetChannelRoi(k, true);
      runHigh_ = k;
    }
  }
}

bool SpectrumPlot::FindRoiAtCursor() {
  const int softSize = record_.softSize;
  if (!SoftRoi(cursor_) || cursor_ >= softSize) {
    roiFirst_ = 0;
    roiLast_ = softSize - 1;
    return false;
  }
  int low = cursor_;
  while (low - 1 >= 0 && SoftRoi(low - 1)) --low;
  int high = cursor_;
  while (high + 1 < softSize && SoftRoi(high + 1)) ++high;
  roiFirst_ = low;
  roiLast_ = high;
  return true;
}

// ---------------------------------------------------------------- mouse

void SpectrumPlot::LeftPress(int channel) {
  ActivatePlot();
  leftHeld_ = true;
  MoveCursor(channel);
  if (rightHeld_) StartMarking(false);
}

void SpectrumPlot::RightPress(int channel) {
  ActivatePlot();
  rightHeld_ = true;
  MoveCursor(channel);
  if (leftHeld_) StartMarking(true);
}

void SpectrumPlot::LeftRelease() {
  leftHeld_ = false;
  markFlag_ = unmarkFlag_ = false;
}

void SpectrumPlot::RightRelease() {
  rightHeld_ = false;
  markFlag_ = unmarkFlag_ = false;
}

void SpectrumPlot::LeftDoubleClick() { ExpandAroundCursor(); }
void SpectrumPlot::RightDoubleClick() { CompressAroundCursor(); }

void SpectrumPlot::Wheel(int delta) { ChangeVerticalIndex(delta / 120); }

void SpectrumPlot::PointerMove(int x, const PlotGeometry& geometry) {
  if (!PointerCaptured()) return;
  const int step = viewWidth_ >= 128 ? viewWidth_ / 64 : 1;
  if (x < geometry.clientLeft) {
    markFlag_ = unmarkFlag_ = false;
    if (x < lastLeftX_) {
      first_ -= step;
      cursor_ = first_;
      FitView(0);
    }
    lastLeftX_ = x;
  } else if (x >= geometry.clientRight) {
    markFlag_ = unmarkFlag_ = false;
    if (x > lastRightX_) {
      first_ += step;
      cursor_ = first_ + viewWidth_;
      FitView(0);
    }
    lastRightX_ = x;
  } else {
    // Back inside: the next excursion scrolls from its first step.
    lastLeftX_ = geometry.clientLeft;
    lastRightX_ = geometry.clientRight - 1;
    MoveCursor(geometry.XToChannel(x, first_, viewWidth_));
    ExtendRoiMarking(cursor_);
  }
  host_->PeakInfoDue(*this);
}

// ---------------------------------------------------------------- keyboard

void SpectrumPlot::KeyPress(PlotKey key, bool shift, bool ctrl) {
  if (key != PlotKey::Left && key != PlotKey::Right) keyRepeat_ = 0;
  switch (key) {
    case PlotKey::Left:
    case PlotKey::Right: {
      const int step = keyRepeat_ / 16 + 1;
      const int old = cursor_;
      const int next = key == PlotKey::Left ? cursor_ - step : cursor_ + step;
      if (first_ < next && next < last_) {
        MoveCursor(next);
      } else if (next >= last_) {
        const int oldLast = last_;
        first_ += step;
        cursor_ = oldLast + 1;
        FitView(0);
      } else {
        first_ -= step;
        cursor_ = first_;
        FitView(0);
      }
      if (shift || ctrl) {
        markFlag_ = shift;
        unmarkFlag_ = !shift;
        if (keyRepeat_ == 0) {
          anchor_ = runLow_ = runHigh_ = old;
          SetChannelRoi(old, shift);
          RequestRedraw(RedrawKind::Partial);
        } else {
          ExtendRoiMarking(cursor_);
        }
      }
      keyRepeat_ = std::min(keyRepeat_ + 1, 255);
      break;
    }
    case PlotKey::Up: ExpandVerticalScale(); break;
    case PlotKey::Down: CompressVerticalScale(); break;
    case PlotKey::Home: ShowFullSpectrum(); break;
    case PlotKey::ZoomIn: ExpandAroundCursor(); break;
    case PlotKey::ZoomOut: CompressAroundCursor(); break;
    case PlotKey::Space: CycleDrawStyle(); break;
    case PlotKey::Other: break;
  }
}

void SpectrumPlot::KeyRelease() {
  keyRepeat_ = 0;
  markFlag_ = unmarkFlag_ = false;
}

}  // namespace mirvo
