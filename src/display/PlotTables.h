// The main window's view of its plots that the panels need: the active spectrum index and the
// active (shown) plot of each spectrum.
#pragma once

namespace mirvo {

class CSpectrumPlot;

class IPlotTables {
 public:
  virtual ~IPlotTables() = default;
  virtual int ActiveSpectrumIndex() const = 0;
  virtual CSpectrumPlot& ActivePlot(int spectrumIndex) = 0;
  CSpectrumPlot& ActivePlot() { return ActivePlot(ActiveSpectrumIndex()); }
};

}  // namespace mirvo
