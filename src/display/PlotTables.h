// The main window's view of its plots that the panels need: the active spectrum index and the
// active (shown) plot of each spectrum.
#pragma once

namespace mirvo {

class SpectrumPlot;

class IPlotTables {
 public:
  virtual ~IPlotTables() = default;
  virtual int ActiveSpectrumIndex() const = 0;
  virtual SpectrumPlot& ActivePlot(int spectrumIndex) = 0;
  SpectrumPlot& ActivePlot() { return ActivePlot(ActiveSpectrumIndex()); }
};

}  // namespace mirvo
