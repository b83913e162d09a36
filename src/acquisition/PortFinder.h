// The port finder behind the "Mirvo Port Finder" dialog (CFindComPort): probes every port for the
// instrument's status block, lists the instruments with their serial numbers and picks the port.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/LinkLifecycle.h"
#include "link/PortEnumerator.h"

namespace mirvo {

inline constexpr const char* kFinderSearchingText = "SEARCHING...  PLEASE WAIT!";
inline constexpr const char* kFinderNoneText =
    "No Mirvo devices were found... Please, reconnect the device and press FIND.";
inline constexpr const char* kFinderMultipleText = "Found multiple Mirvo devices... Please, select port and press OK.";
constexpr int kFinderTickMs = 300;
constexpr int kFinderTicksPerProbe = 4;
constexpr int kFinderSettleMs = 2000;
constexpr std::size_t kFinderQueueBytes = 10;

// What the finder needs from its dialog and the program around it.
class IPortFinderHost {
 public:
  virtual ~IPortFinderHost() = default;
  virtual std::vector<PortListEntry> Ports() = 0;
  // Timer 2: calls PortFinder::OnTick every period until stopped; false when it cannot be made.
  virtual bool StartTickTimer(int periodMs) = 0;
  virtual void StopTickTimer() = 0;
  // Handles what waits now (port events, timers) and returns.
  virtual void ProcessPendingMessages() = 0;
  // Handles port events and timers as they come until `done` is true.
  virtual void PumpUntil(const std::function<bool()>& done) = 0;
  // The serial number of the last accepted status block.
  virtual std::uint16_t SerialNumber() = 0;
  // The dialog shows the finder's values again.
  virtual void FinderChanged() {}
};

struct FoundInstrument {
  std::string text;    // "<display text> -> SN: %05u"
  std::string device;  // what opens its port
};

class PortFinder {
 public:
  // `events` receives the probed port's events; the owner routes them back to OnSerialEvent.
  PortFinder(LinkLifecycle& lifecycle, IPortFinderHost& host, IMessageTarget& events,
              ISleeper& sleeper = DefaultSleeper());

  // FIND (also at the dialog's first paint): probes every port in list order.
  void Find();
  void OnTick() { ++ticks_; }
  // The finder's port-event handler: the main window's without the ignore check.
  void OnSerialEvent(std::uintptr_t wParam);
  // OK with the found entry selected; false when nothing is selected.
  bool Accept();
  void Select(int index);

  bool Searching() const { return searching_; }
  int FoundCounter() const { return foundCounter_; }  // -1 none, 0 one, 1 two ...
  const std::vector<FoundInstrument>& Found() const { return found_; }
  // The ports of the last search that did not open, each with the system's reason
  // ("/dev/ttyUSB0: the port is in use by another program").
  const std::vector<std::string>& Unopened() const { return unopened_; }
  int Selected() const { return selected_; }
  const std::string& StatusText() const { return status_; }
  int Progress() const { return progress_; }
  int ProgressRange() const { return progressRange_; }
  bool OkEnabled() const { return !searching_; }
  bool FindEnabled() const { return !searching_; }
  bool Accepted() const { return accepted_; }
  const std::string& ChosenDevice() const { return chosenDevice_; }

 private:
  void Probe(const PortListEntry& entry);
  void ClosePort();
  void Changed() { host_.FinderChanged(); }

  LinkLifecycle& lifecycle_;
  IReporter& reporter_;
  IPortFinderHost& host_;
  IMessageTarget& events_;
  ISleeper& sleeper_;
  bool searching_ = false;
  int foundCounter_ = -1;
  int ticks_ = 0;
  int progress_ = 0;
  int progressRange_ = 0;
  int selected_ = -1;
  bool accepted_ = false;
  std::string status_;
  std::string chosenDevice_;
  std::vector<FoundInstrument> found_;
  std::vector<std::string> unopened_;
};

// The AutoConnect command around the dialog: before it, the live record's refresh-enable flag and
// the ignore-port-events flag are cleared; after OK, the chosen port is connected at 921600 baud.
void PrepareAutoConnect(LinkLifecycle& lifecycle);
bool ConnectChosenPort(LinkLifecycle& lifecycle, const std::string& device);

// " -> SN: %05u"
std::string SerialNumberSuffix(std::uint16_t serial);

}  // namespace mirvo
