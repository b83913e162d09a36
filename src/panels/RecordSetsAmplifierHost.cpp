#include "panels/RecordSetsAmplifierHost.h"

#include "display/PeakAnalysis.h"

namespace mirvo {

bool RecordSetsAmplifierHost::ActiveRecordLive() const {
  const int spectrum = sets_.ActiveSpectrumIndex();
  return sets_.ActiveSet(spectrum) == kBufferSet;
}

StabilizerPeak ActivePlotPeak(RecordSets& sets) {
  SpectrumPlot& plot = sets.ActivePlot(sets.ActiveSpectrumIndex());
  StabilizerPeak peak;
  peak.softSize = plot.SoftSize();
  peak.hardSize = plot.HardSize();
  peak.setHardSize = sets.SettingsRecord().hardSize;
  peak.cursorInRoi = plot.FindRoiAtCursor();
  if (peak.cursorInRoi) {
    AnalysePeak(plot, plot.RoiFirst(), plot.RoiLast(), plot.CursorPeak());
    peak.centroid = plot.CursorPeak().centroid;
    peak.fwhm = plot.CursorPeak().fwhm;
  }
  return peak;
}

}  // namespace mirvo
