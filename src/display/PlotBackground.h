// What a plot draws besides its own counts when a background is loaded: the background bound to
// its soft channels (drawn as an overlay line, or subtracted for the net view) and the caption that
// says which view the plot shows. An empty caption and no background: the plot as it always was.
#pragma once

#include <optional>
#include <string>

#include "display/ScaledBackground.h"

namespace mirvo {

struct PlotBackground {
  std::optional<ScaledBackground> scaled;  // nothing: no overlay and no subtraction
  bool net = false;                        // draw measurement - scaled background instead
  std::string caption;                     // shown at the top right of the plot
};

}  // namespace mirvo
