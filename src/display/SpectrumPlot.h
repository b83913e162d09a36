// The logic of one spectrum plot (the CSpectrum widget paints it and forwards its events here):
// soft spectrum and ROI, view window, cursor, scales, zoom/scroll, mouse and keyboard marking. It is
// the view of its record that the record tables drive (IRecordView).
#pragma once

#include <cstdint>

#include "display/PeakResult.h"
#include "display/PlotHost.h"
#include "records/RecordView.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

struct PlotGeometry;

enum class PlotKey { Left, Right, Up, Down, Home, ZoomIn /* I */, ZoomOut /* O */, Space, Other };
enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb };

// Colours as 32-bit RGB values with red in the low byte.
struct PlotColours {
  static constexpr std::uint32_t kDefaultCursor = 3970815;     // 255, 150, 60
  static constexpr std::uint32_t kDefaultSpectrum = 59120;     // 240, 230, 0
  static constexpr std::uint32_t kDefaultBackground = 0;       // 0, 0, 0
  static constexpr std::uint32_t kDefaultRoi = 14446120;       // 40, 110, 220
  static constexpr std::uint32_t kDefaultOverlay = 16765440;  // 0, 210, 255: the background overlay
  std::uint32_t cursor = kDefaultCursor;
  std::uint32_t spectrum = kDefaultSpectrum;
  std::uint32_t background = kDefaultBackground;
  std::uint32_t roi = kDefaultRoi;
  std::uint32_t overlay = kDefaultOverlay;
  bool operator==(const PlotColours&) const = default;
};

class SpectrumPlot final : public IRecordView {
 public:
  static constexpr int kMinViewWidth = 32;
  static constexpr int kMaxLinearScale = 31;
  static constexpr int kMaxLogRange = 1;

  SpectrumPlot(int spectrumIndex, bool isBuffer, IPlotHost* host = nullptr);
  SpectrumPlot(const SpectrumPlot&) = delete;
  SpectrumPlot& operator=(const SpectrumPlot&) = delete;

  SpectrumRecord& Record() override { return record_; }
  const SpectrumRecord& Record() const override { return record_; }
  void SetHost(IPlotHost* host);

  int SpectrumIndex() const { return record_.spectrumIndex; }
  bool IsBuffer() const { return record_.live != 0; }
  bool Visible() const { return record_.visible != 0; }
  int HardSize() const { return record_.hardSize; }
  int SoftSize() const { return record_.softSize; }
  int Factor() const { return record_.factor; }
  std::uint32_t SoftCount(int channel) const;
  bool SoftRoi(int channel) const;

  // --- sizes and derived arrays
  // Soft-size command and focus: changes the sizes only while visible. Returns 0, or -1 for a soft
  // size outside 512..4096 or a hard size above 4096 (nothing changed).
  int SetSizes(int hard, int soft) override;
  // File reader: applies sizes (clamped to 512..4096 and 512..hard) whether visible or not, as
  // SetSizes does when they change, and rebuilds the pane title.
  void ApplySizes(int hard, int soft);
  void RebuildSoftSpectrum();
  void RebuildSoftRoi() override;

  // --- view and cursor
  int Cursor() const { return cursor_; }
  int First() const { return first_; }
  int Last() const { return last_; }
  int ViewWidth() const { return viewWidth_; }
  void SetViewWidth(int n) { viewWidth_ = n; }  // followed by FitView, as the file reader does
  void SetCursorChannel(int channel) { cursor_ = channel; }
  void FitView(int mode);
  void MoveCursor(int channel);
  // Horizontal scroll bar: range 0..soft size, page N, position first.
  int HorizontalScrollPosition() const { return first_; }
  void HorizontalScroll(ScrollAction action, int thumbPosition = 0);
  void VerticalScroll(ScrollAction action, int thumbPosition = 0);
  // Vertical scroll bar: 0..31 with position s (linear) or 0..1 with position p (log).
  int VerticalScrollMaximum() const { return linear_ ? kMaxLinearScale : kMaxLogRange; }
  int VerticalScrollPosition() const { return linear_ ? linearScale_ : logRange_; }

  // --- vertical scale
  bool Linear() const { return linear_; }
  int LinearScale() const { return linearScale_; }
  int LogRange() const { return logRange_; }
  bool AutoScale() const { return autoScale_; }
  void SetLinearScaleIndex(int s) { linearScale_ = s; }
  void SetLogRangeIndex(int p) { logRange_ = p; }
  void ApplyVerticalScale();
  // After a paint with the automatic scale: adjusts s from the highest unclamped y drawn.
  void ApplyAutoScale(std::int64_t highestY, const PlotGeometry& geometry);

  // --- main-window commands on the active plot
  void ExpandVerticalScale();
  void CompressVerticalScale();
  void ExpandAroundCursor();
  void CompressAroundCursor();
  void ExpandFromLeft();
  void CompressFromLeft();
  void SetLinearScale();
  void SetLogarithmicScale();
  void ShowFullSpectrum();
  void ToggleAutomaticScale();

  // --- mouse, in channels (the widget maps pixels with PlotGeometry::XToChannel)
  void LeftPress(int channel);
  void RightPress(int channel);
  void LeftRelease();
  void RightRelease();
  void LeftDoubleClick();
  void RightDoubleClick();
  void Wheel(int delta);
  // Pointer moved to pixel x while a button is held (outside the client area it scrolls).
  void PointerMove(int x, const PlotGeometry& geometry);
  bool PointerCaptured() const { return leftHeld_ || rightHeld_; }

  // --- keyboard
  void KeyPress(PlotKey key, bool shift, bool ctrl);
  void KeyRelease();
  int KeyRepeatCount() const { return keyRepeat_; }

  // --- regions of interest
  int RoiMode() const { return roiMode_; }  // 0 mark over, 1 from cursor
  void SetRoiMode(int mode) override { roiMode_ = mode == 1 ? 1 : 0; }
  bool Marking() const { return markFlag_; }
  bool Unmarking() const { return unmarkFlag_; }
  // Sets or clears soft channel k and its factor hard channels.
  void SetChannelRoi(int k, bool value);
  void ExtendRoiMarking(int channel);
  // Finds the run of marked soft channels holding the cursor; false (range 0..soft-1) outside.
  bool FindRoiAtCursor();
  int RoiFirst() const { return roiFirst_; }
  int RoiLast() const { return roiLast_; }

  // --- focus, visibility, caption
  void ActivatePlot();
  void GainFocus() override;
  // The plot's tab was selected (true) or left (false).
  void SetVisible(bool visible) override;
  void UpdatePaneCaption();

  // --- appearance
  int DrawStyle() const { return drawStyle_; }
  void CycleDrawStyle();
  const PlotColours& Colours() const { return colours_; }
  void SetColours(const PlotColours& colours) { colours_ = colours; }
  void SetPlotColours(bool useDefaults);

  // --- peak information
  bool UnitsRefresh() const { return unitsRefresh_; }
  void SetUnitsRefresh(bool on = true) override { unitsRefresh_ = on; }
  PeakResult& CursorPeak() { return cursorPeak_; }
  const PeakResult& CursorPeak() const { return cursorPeak_; }
  bool Calibrated() const { return record_.working.enabled != 0; }
  double Energy(double channel) const { return record_.Energy(channel); }

  // --- what the widget must repaint; taking it clears it
  RedrawKind TakeRedraw();
  RedrawKind PendingRedraw() const { return redraw_; }
  bool TakeCursorMoved();
  void RequestRedraw(RedrawKind kind) override;

 private:
  void FitViewSteps(bool centre);
  void ChangeVerticalIndex(int delta);
  void StartMarking(bool mark);
  void ExtendFromCursor(int c);
  void ScrollBy(int step);

  SpectrumRecord record_;
  IPlotHost* host_;
  int cursor_ = 2048;
  int first_ = 0;
  int last_ = kMaxChannels - 1;
  int viewWidth_ = kMaxChannels;
  bool linear_ = true;
  int linearScale_ = 9;
  int logRange_ = 0;
  bool autoScale_ = false;
  int drawStyle_ = 1;
  int roiMode_ = 0;
  bool markFlag_ = false;
  bool unmarkFlag_ = false;
  int anchor_ = 0;
  int runLow_ = 0;
  int runHigh_ = 0;
  bool leftHeld_ = false;
  bool rightHeld_ = false;
  int lastLeftX_ = 0;
  int lastRightX_ = 0;
  int keyRepeat_ = 0;
  PlotColours colours_;
  bool unitsRefresh_ = false;
  int roiFirst_ = 0;
  int roiLast_ = 0;
  PeakResult cursorPeak_;
  RedrawKind redraw_ = RedrawKind::None;
  bool cursorMoved_ = false;
};

}  // namespace mirvo
