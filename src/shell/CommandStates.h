// Which of the main window's commands are enabled and which carry a check mark, and the link state
// the status bar shows, decided from the link, the acquisition panel and the record tables. The
// window only applies the result to its actions and its status pane.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "acquisition/LinkLifecycle.h"

namespace mirvo {

class AcquisitionPanel;
class RecordSets;

// What the decision rests on. The allowed flags are the verdicts of the objects that own those
// rules (the connection lifecycle for Connect and Disconnect, the acquisition panel for START and
// STOP); the rest are plain state.
struct CommandFacts {
  LinkLifecycle::State link = LinkLifecycle::State::kClosed;
  bool bufferSetShown = true;       // the shown set is the BUFFER set (the settings record is live)
  bool loggedSeriesRunning = false;
  bool connectAllowed = false;      // Connect and AutoConnect
  bool disconnectAllowed = false;
  bool startAllowed = false;
  bool stopAllowed = false;
  int activeSoftSize = 4096;        // of the active plot of the active spectrum
  int roiMode = 0;                  // 0 mark over, 1 from cursor
  bool s0FileRecordActive = false;  // the active record of S0 is its FILE record (About Hardware)
  bool linearScale = true;          // the active plot's vertical scale
  bool automaticScale = false;      // the active plot's automatic vertical scale
};

struct CommandFlag {
  int command = 0;
  bool on = false;
  bool operator==(const CommandFlag&) const = default;
};

struct CommandStates {
  std::vector<CommandFlag> enabled;  // the commands whose enabling follows the state; others stay enabled
  std::vector<CommandFlag> checked;  // the commands whose check mark follows the state
  std::string linkStateText;         // the first pane of the status bar

  // The flag of `command`, or nothing when the command's flag does not follow the state.
  std::optional<bool> Enabled(int command) const;
  std::optional<bool> Checked(int command) const;
};

// Reads the facts off the main window's long-lived objects, asking each for its own rule.
CommandFacts ReadCommandFacts(const LinkLifecycle& lifecycle, const AcquisitionPanel& panel, RecordSets& sets);

CommandStates DecideCommandStates(const CommandFacts& facts);

// The link state as the status bar shows it: "OFFLINE" while the port is closed, "ONLINE" while
// the instrument answers, "WAITING" while the port is open but no reply has been accepted.
const char* LinkStateText(LinkLifecycle::State state);

}  // namespace mirvo
