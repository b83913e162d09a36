#include "display/ColourTargets.h"

#include "display/RecordSets.h"

namespace mirvo {

std::uint32_t& ColourSlot(PlotColours& colours, ColourRole role) {
  switch (role) {
    case ColourRole::Background: return colours.background;
    case ColourRole::Spectrum: return colours.spectrum;
    case ColourRole::Roi: return colours.roi;
    case ColourRole::Overlay: return colours.overlay;
    case ColourRole::Cursor: break;
  }
  return colours.cursor;
}

std::uint32_t ColourOf(const PlotColours& colours, ColourRole role) {
  PlotColours copy = colours;
  return ColourSlot(copy, role);
}

std::vector<SpectrumPlot*> ColourTargetPlots(RecordSets& sets, int target) {
  std::vector<SpectrumPlot*> plots;
  const int set = sets.ShownSetMode() == kBufferSet ? kBufferSet : kFileSet;
  if (target == kColourTargetAll) {
    for (int k = 0; k < 4; ++k) plots.push_back(&sets.Plot(k, set));
  } else if (target >= 0 && target < 4) {
    plots.push_back(&sets.Plot(target, set));
  }
  return plots;
}

void SetTargetColour(RecordSets& sets, int target, ColourRole role, std::uint32_t rgb) {
  for (SpectrumPlot* plot : ColourTargetPlots(sets, target)) {
    PlotColours colours = plot->Colours();
    ColourSlot(colours, role) = rgb & 0xFFFFFFu;
    plot->SetColours(colours);
    plot->SetPlotColours(false);
  }
}

void RestoreTargetColours(RecordSets& sets, int target) {
  for (SpectrumPlot* plot : ColourTargetPlots(sets, target)) plot->SetPlotColours(true);
}

}  // namespace mirvo
