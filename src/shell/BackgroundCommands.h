// The background commands' enabling and check marks, and the routing of the three that act on the
// loaded background. Close Background, Show Background and Net Spectrum are enabled only while a
// background is loaded; the two views carry a check mark while they are shown (one at a time).
#pragma once

#include "shell/CommandStates.h"

namespace mirvo {

class RecordSets;
class BackgroundSet;

CommandStates DecideBackgroundCommandStates(const BackgroundSet& background);

// Close Background, Show Background, Net Spectrum. Returns false for any other command.
bool RunBackgroundCommand(RecordSets& sets, int command);

}  // namespace mirvo
