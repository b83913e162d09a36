#include "shell/BackgroundCommands.h"

#include "display/BackgroundSet.h"
#include "display/RecordSets.h"
#include "shell/Commands.h"

namespace mirvo {

CommandStates DecideBackgroundCommandStates(const BackgroundSet& background) {
  CommandStates states;
  const bool loaded = background.Loaded();
  states.enabled = {
      {cmd::kCloseBackground, loaded},
      {cmd::kShowBackground, loaded},
      {cmd::kNetSpectrum, loaded},
  };
  states.checked = {
      {cmd::kShowBackground, background.ShownView() == BackgroundView::Overlay},
      {cmd::kNetSpectrum, background.ShownView() == BackgroundView::Net},
  };
  return states;
}

bool RunBackgroundCommand(RecordSets& sets, int command) {
  switch (command) {
    case cmd::kCloseBackground: CloseBackground(sets); return true;
    case cmd::kShowBackground: ToggleBackgroundOverlay(sets); return true;
    case cmd::kNetSpectrum: ToggleNetSpectrum(sets); return true;
    default: return false;
  }
}

}  // namespace mirvo
