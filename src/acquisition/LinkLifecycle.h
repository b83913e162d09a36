// The main window's side of the instrument link: port choice, connect, disconnect, closing a dead
// link, port-event handling and the 200 ms supervision tick. Owns the transaction engine, the
// polling policy that follows its replies, and the register-refresh chain the panels join.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/AutoUpdate.h"
#include "acquisition/ConnectionObserver.h"
#include "acquisition/LoggedSeries.h"
#include "acquisition/TraceSink.h"
#include "acquisition/PollingPolicy.h"
#include "acquisition/RegisterRefreshChain.h"
#include "link/MessageTarget.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

class LinkLifecycle : public ILinkSupervisor {
 public:
  static constexpr unsigned kDefaultBaudRate = 921600;  // the rate after AutoConnect
  static constexpr std::size_t kDriverQueueBytes = 2000;

  // Port events are posted to `events`; the owner routes them back to OnSerialEvent. Chunks of the
  // spectrum memory land in `memory`.
  LinkLifecycle(IReporter& reporter, ILiveRecord& live, SpectrumMemory& memory, IMessageTarget& events,
                 ISleeper& sleeper = DefaultSleeper());
  LinkLifecycle(const LinkLifecycle&) = delete;
  LinkLifecycle& operator=(const LinkLifecycle&) = delete;

  CHardwareLink& Link() { return link_; }
  const CHardwareLink& Link() const { return link_; }
  PollingPolicy& Policy() { return policy_; }
  const PollingPolicy& Policy() const { return policy_; }
  RegisterRefreshChain& RefreshChain() { return refreshChain_; }
  IReporter& Reporter() { return reporter_; }
  ILiveRecord& LiveRecord() { return live_; }

  // The roles a host has (each may be left out).
  void SetAutoUpdate(IAutoUpdate* autoUpdate) { policy_.SetAutoUpdate(autoUpdate); }
  void SetLoggedSeries(ILoggedSeries* series) {
    series_ = series;
    policy_.SetLoggedSeries(series);
  }
  void SetTraceSink(ITraceSink* trace) { policy_.SetTraceSink(trace); }
  void AddObserver(IConnectionObserver& observer) { observers_.push_back(&observer); }
  void RemoveObserver(IConnectionObserver& observer) { std::erase(observers_, &observer); }

  void SetDeviceName(const std::string& device) { deviceName_ = device; }
  const std::string& DeviceName() const { return deviceName_; }
  void SetBaudRate(unsigned baud) { baudRate_ = baud; }
  unsigned BaudRate() const { return baudRate_; }
  bool PortInUse() const override { return portInUse_; }
  void SetPortInUse(bool inUse) { portInUse_ = inUse; }
  bool IgnorePortEvents() const { return ignorePortEvents_; }
  void SetIgnorePortEvents(bool ignore) { ignorePortEvents_ = ignore; }
  // A design tool that uses the open port directly: while ignore-port-events is set, the port's
  // events go to it instead of nowhere. An empty target hands them back.
  void SetPortEventTarget(std::function<void(std::uintptr_t)> target) { portEventTarget_ = std::move(target); }

  // Returns false when the port could not be opened (the error was shown and the link is closed).
  bool ConnectHardware();
  void DisconnectHardware();
  void CloseHardwareLink() override;
  // wParam of the port-event message: line errors x 65536 + events.
  void OnSerialEvent(std::uintptr_t wParam);
  void OnCommTimer() { link_.OnTimerTick(); }
  // No spectrum polling and no trace reading (AUTO UPDATE cleared, trace viewer stopped).
  void StopPolling();
  // A port was opened for a probe or a connection: the panels are no longer synchronised.
  void NotifyPortOpened();

  // The state of the table: closed, awaiting first reply, running, failing.
  enum class State { kClosed, kAwaitingFirstReply, kRunning, kFailing };
  State CurrentState() const;

  // Enabling rules of the link commands (the shown set must be the live BUFFER set).
  bool CanConnect(bool liveSetShown) const { return !link_.Connected() && liveSetShown; }
  bool CanDisconnect(bool liveSetShown) const { return link_.Connected() && liveSetShown; }

 private:
  template <typename Hook>
  void Notify(Hook hook) {
    const std::vector<IConnectionObserver*> observers = observers_;  // one may leave while told
    for (IConnectionObserver* observer : observers) hook(*observer);
  }
  bool SeriesRunning() const { return series_ != nullptr && series_->SeriesRunning(); }
  void StopLogging() {
    if (series_ != nullptr) series_->StopLogging();
  }

  IReporter& reporter_;
  ILiveRecord& live_;
  IMessageTarget& events_;
  ISleeper& sleeper_;
  CHardwareLink link_;
  RegisterRefreshChain refreshChain_;
  PollingPolicy policy_;
  ILoggedSeries* series_ = nullptr;
  std::vector<IConnectionObserver*> observers_;
  std::string deviceName_;
  unsigned baudRate_ = kDefaultBaudRate;
  bool portInUse_ = false;
  bool ignorePortEvents_ = false;
  std::function<void(std::uintptr_t)> portEventTarget_;
};

// The text logged for each port-event bit, in the order they are reported.
void LogSerialEvent(IReporter& reporter, std::uintptr_t wParam, CHardwareLink* link);

}  // namespace mirvo
