// What the ADJUST COLORS dialog changes: the plot colours of one spectrum (S0..S3) or of all four,
// in the record set that the panes show, one colour at a time or back to the defaults.
#pragma once

#include <cstdint>
#include <vector>

#include "display/SpectrumPlot.h"

namespace mirvo {

class RecordSets;

enum class ColourRole { Background, Spectrum, Roi, Cursor, Overlay };  // Overlay: the background spectrum
constexpr int kColourTargetAll = 4;  // targets 0..3 are S0..S3

std::uint32_t& ColourSlot(PlotColours& colours, ColourRole role);
std::uint32_t ColourOf(const PlotColours& colours, ColourRole role);

// The plots a target names: the BUFFER plots while the BUFFER set is shown, else the FILE plots.
// An unknown target names none.
std::vector<SpectrumPlot*> ColourTargetPlots(RecordSets& sets, int target);
// Sets one colour of the target plots and asks each for a full redraw with the rebuilt pens.
void SetTargetColour(RecordSets& sets, int target, ColourRole role, std::uint32_t rgb);
// The Default button: the four default colours on the target plots.
void RestoreTargetColours(RecordSets& sets, int target);

}  // namespace mirvo
