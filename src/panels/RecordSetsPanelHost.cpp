#include "panels/RecordSetsPanelHost.h"

namespace mirvo {

bool RecordSetsPanelHost::RoiAtCursor(int spectrum, int& first, int& last) {
  spectrum &= 3;
  if (sets_.ActiveSet(spectrum) != kBufferSet) return false;
  SpectrumPlot& plot = sets_.BufferPlot(spectrum);
  if (!plot.FindRoiAtCursor()) return false;
  first = plot.RoiFirst();
  last = plot.RoiLast();
  return true;
}

void RecordSetsPanelHost::RoiFlagsChanged(int spectrum) {
  SpectrumPlot& plot = sets_.ActivePlot(spectrum & 3);
  plot.RebuildSoftRoi();
  plot.RequestRedraw(RedrawKind::Full);
  sets_.FocusRequested(plot);
}

}  // namespace mirvo
