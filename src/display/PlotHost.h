// What a spectrum plot asks of the window that holds it: becoming the active plot, its pane title,
// the peak information after cursor moves, and the shaper thresholds after a size change.
#pragma once

namespace mirvo {

class SpectrumPlot;

class IPlotHost {
 public:
  virtual ~IPlotHost() = default;
  // The plot gained the input focus: its spectrum index becomes the active spectrum index, it
  // becomes the active plot of that index and the refresh-requested flag is set.
  virtual void PlotFocused(SpectrumPlot& plot) = 0;
  // The toolkit should give the plot the input focus (ActivatePlot); the core has already run the
  // focus rules, so a focus event that follows may run them again harmlessly.
  virtual void FocusRequested(SpectrumPlot& /*plot*/) {}
  // A visible plot rebuilt its pane title: it becomes the active plot of its spectrum index and the
  // refresh-requested flag is set.
  virtual void PaneCaptionUpdated(SpectrumPlot& plot) = 0;
  // The cursor moved (MoveCursor), or the pointer moved with a button held: the peak information
  // of the plot is due when the information pane exists.
  virtual void PeakInfoDue(SpectrumPlot& /*plot*/) {}
  // SetSizes ran: the shaper panel re-expresses its thresholds in channels of S1's factor.
  virtual void SizesApplied(SpectrumPlot& /*plot*/) {}
};

}  // namespace mirvo
