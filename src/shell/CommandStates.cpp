#include "shell/CommandStates.h"

#include <algorithm>

#include "acquisition/AcquisitionPanel.h"
#include "display/RecordSets.h"
#include "shell/Commands.h"

namespace mirvo {

namespace {

std::optional<bool> FlagOf(const std::vector<CommandFlag>& flags, int command) {
  const auto it =
      std::find_if(flags.begin(), flags.end(), [command](const CommandFlag& flag) { return flag.command == command; });
  if (it == flags.end()) return std::nullopt;
  return it->on;
}

}  // namespace

std::optional<bool> CommandStates::Enabled(int command) const { return FlagOf(enabled, command); }
std::optional<bool> CommandStates::Checked(int command) const { return FlagOf(checked, command); }

CommandFacts ReadCommandFacts(const LinkLifecycle& lifecycle, const AcquisitionPanel& panel, RecordSets& sets) {
  CommandFacts facts;
  facts.link = lifecycle.CurrentState();
  facts.bufferSetShown = sets.ShownSetMode() == kBufferSet;
  facts.loggedSeriesRunning = panel.Logger().Running();
  facts.connectAllowed = lifecycle.CanConnect(facts.bufferSetShown);
  facts.disconnectAllowed = lifecycle.CanDisconnect(facts.bufferSetShown);
  facts.startAllowed = panel.StartCommandEnabled();
  facts.stopAllowed = panel.StopCommandEnabled();
  facts.activeSoftSize = sets.ActivePlot().SoftSize();
  facts.roiMode = sets.RoiMode();
  facts.s0FileRecordActive = sets.ActiveSet(0) == kFileSet;
  facts.linearScale = sets.ActivePlot().Linear();
  facts.automaticScale = sets.ActivePlot().AutoScale();
  return facts;
}

CommandStates DecideCommandStates(const CommandFacts& facts) {
  CommandStates states;
  // Erase runs the acquisition panel's RESET and is enabled with it: while the instrument's set is
  // shown (without a responding instrument it clears the image only).
  const bool erase = facts.bufferSetShown;
  const bool linkOpen = facts.link != LinkLifecycle::State::kClosed;
  states.enabled = {
      {cmd::kConnect, facts.connectAllowed},
      {cmd::kAutoConnect, facts.connectAllowed},
      {cmd::kDisconnect, facts.disconnectAllowed},
      {cmd::kPort, facts.bufferSetShown},
      {cmd::kStart, facts.startAllowed},
      {cmd::kStop, facts.stopAllowed},
      {cmd::kErase, erase},
      // Copy Registers needs the port open; About Hardware also shows a FILE record of S0.
      {cmd::kCopyRegistersBufferToFile, linkOpen},
      {cmd::kCopyRegistersFileToBuffer, linkOpen},
      {cmd::kAboutHardware, linkOpen || facts.s0FileRecordActive},
  };
  for (std::size_t i = 0; i < kSoftSizes.size(); ++i)
    states.checked.push_back({kSoftSizeCommands[i], kSoftSizes[i] == facts.activeSoftSize});
  states.checked.push_back({cmd::kRoiMarkOver, facts.roiMode == 0});
  states.checked.push_back({cmd::kRoiFromCursor, facts.roiMode == 1});
  states.checked.push_back({cmd::kLinear, facts.linearScale});
  states.checked.push_back({cmd::kLogarithmic, !facts.linearScale});
  states.checked.push_back({cmd::kAutoVertical, facts.automaticScale});
  states.linkStateText = LinkStateText(facts.link);
  return states;
}

const char* LinkStateText(LinkLifecycle::State state) {
  switch (state) {
    case LinkLifecycle::State::kClosed: return "OFFLINE";
    case LinkLifecycle::State::kRunning: return "ONLINE";
    case LinkLifecycle::State::kAwaitingFirstReply:
    case LinkLifecycle::State::kFailing: break;
  }
  return "WAITING";
}

}  // namespace mirvo
