// Utility > Watchdog and Autosave...: the watchdog's thresholds and the autosave interval.
#pragma once

#include <QDialog>
#include <array>

#include "monitor/WatchdogSettings.h"

class QSpinBox;

namespace mirvo {

class WatchdogSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit WatchdogSettingsDialog(const WatchdogSettings& settings, QWidget* parent = nullptr);
  // The values as the fields hold them.
  WatchdogSettings Settings() const;
  QSpinBox* Field(std::size_t index) const { return fields_[index]; }

 private:
  std::array<QSpinBox*, kWatchdogSettingFields.size()> fields_{};
};

}  // namespace mirvo
