// The watchdog and the autosave joined to a connection: after every status read (last in the
// refresh chain) and on every timer tick they look at the live image, the BUFFER counts and the
// logger, and what they find goes to the host as log lines, a status text and notices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkLifecycle.h"
#include "acquisition/LinkMembership.h"
#include "monitor/Autosave.h"
#include "monitor/Watchdog.h"

namespace mirvo {

// Where the findings go: the Events pane (or stderr), the status bar, a non-blocking notice.
class IWatchdogListener {
 public:
  virtual ~IWatchdogListener() = default;
  virtual void WatchdogLine(const std::string& text, bool warning) = 0;
  // The warnings in force; empty when all is well again.
  virtual void WatchdogStatus(const std::string& text) { (void)text; }
  // Once per incident; must not block.
  virtual void WatchdogNotice(const std::string& text) { (void)text; }
};

class WatchdogSession final : public IRegisterRefresh, public IConnectionObserver {
 public:
  WatchdogSession(const IClock& clock, AcquisitionPanel& panel, const SpectrumMemory& memory,
                  std::function<double()> samplePeriodUs, Autosave::BufferWriter writer, IWatchdogListener& listener,
                  FileSystemOps& fs = RealFileSystem());
  WatchdogSession(const WatchdogSession&) = delete;
  WatchdogSession& operator=(const WatchdogSession&) = delete;

  // Joins the end of the refresh chain and the connection observers.
  void Attach(LinkLifecycle& lifecycle);
  void SetSettings(const WatchdogSettings& settings);
  const WatchdogSettings& Settings() const { return watchdog_.Settings(); }

  // The 200 ms tick (after the link's supervision).
  void OnTick();
  // The user disconnects: the silence that follows is no incident.
  void NoteUserDisconnect();
  // The BUFFER set was saved to a file of the user's.
  void NoteBufferSaved();

  // --- IRegisterRefresh
  void RefreshFromImage() override;
  // --- IConnectionObserver
  void OnConnecting() override;
  void OnLinkClosed() override;

  const Watchdog& Dog() const { return watchdog_; }
  Autosave& Saver() { return autosave_; }
  const Autosave& Saver() const { return autosave_; }
  // A warning was given since the last ClearAffected (a run that needs a look).
  bool Affected() const { return affected_; }
  void ClearAffected();
  std::uint64_t BufferCounts() const;

 private:
  void Emit(const std::vector<WatchdogNotice>& notices);
  void Emit(const std::vector<AutosaveNotice>& notices);
  void ShowStatus();
  AcquisitionTimes LiveTimes() const;

  AcquisitionPanel& panel_;
  const SpectrumMemory& memory_;
  std::function<double()> samplePeriodUs_;
  IWatchdogListener& listener_;
  Watchdog watchdog_;
  Autosave autosave_;
  LinkMembership membership_;
  LinkLifecycle* lifecycle_ = nullptr;
  bool firstStatusPending_ = false;
  bool linkLost_ = false;
  bool userDisconnect_ = false;
  bool affected_ = false;
  int runsCompleted_ = 0;
  std::string shownStatus_;
};

}  // namespace mirvo
