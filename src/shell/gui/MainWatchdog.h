// What the main window keeps for the watchdog and the autosave: the session on the link, the
// warning in the status bar, the lines in the Events pane and the non-blocking notices.
#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QPointer>

#include "monitor/WatchdogSession.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"

namespace mirvo {

struct MainWatchdog final : IWatchdogListener {
  MainWatchdog(const IClock& clock, AcquisitionPanel& panel, const SpectrumMemory& memory,
               std::function<double()> samplePeriodUs, Autosave::BufferWriter writer, OutputLog& log,
               ISettingsBackend& settings, QWidget* window);
  MainWatchdog(const MainWatchdog&) = delete;
  MainWatchdog& operator=(const MainWatchdog&) = delete;

  void WatchdogLine(const std::string& text, bool warning) override;
  void WatchdogStatus(const std::string& text) override;
  void WatchdogNotice(const std::string& text) override;
  // The notice of a recovery file left by a run that did not end cleanly (kept aside first, so
  // the next autosave does not replace it); `open` loads it into the FILE set.
  void OfferLeftOverFile(const std::function<void(const QString&)>& open);

  OutputLog& log;
  ISettingsBackend& settings;
  QWidget* window;
  QLabel* status = nullptr;  // in the status bar; shown while a warning is in force
  QPointer<QMessageBox> notice;  // the open notice; later incidents are added to it
  WatchdogSession session;
};

}  // namespace mirvo
