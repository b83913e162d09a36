#include "monitor/gui/WatchdogSettingsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace mirvo {
namespace {

struct FieldText {
  const char* label;
  const char* suffix;
  const char* tip;
};

// In the order of kWatchdogSettingFields.
constexpr std::array<FieldText, kWatchdogSettingFields.size()> kTexts = {{
    {"Real time not advancing for", " s", "Warn when the run bit is set but the real time stands still this long."},
    {"No new counts for", " s", "Warn when a run that has counted stops counting for this long."},
    {"Instrument silent for", " s", "Warn when no status reply has come for this long while polling."},
    {"Logged run overrun, share of preset", " %", "Warn when a logged run goes past its preset by this share..."},
    {"Logged run overrun, at least", " s", "...and by at least this many seconds."},
    {"Autosave the BUFFER set every", " min", "0 switches autosave off."},
}};

}  // namespace

WatchdogSettingsDialog::WatchdogSettingsDialog(const WatchdogSettings& settings, QWidget* parent) : QDialog(parent) {
  setObjectName("WatchdogSettingsDialog");
  setWindowTitle("Watchdog and Autosave");
  auto* watchdog = new QGroupBox("WATCHDOG (while an acquisition runs)");
  auto* watchdogForm = new QFormLayout(watchdog);
  auto* autosave = new QGroupBox("AUTOSAVE (BUFFER acquisitions)");
  auto* autosaveForm = new QFormLayout(autosave);
  for (std::size_t i = 0; i < kWatchdogSettingFields.size(); ++i) {
    const WatchdogSettingField& field = kWatchdogSettingFields[i];
    auto* box = new QSpinBox;
    box->setObjectName(QString("WatchdogField%1").arg(field.name));
    box->setRange(field.minimum, field.maximum);
    box->setSuffix(kTexts[i].suffix);
    box->setValue(settings.*field.field);
    box->setToolTip(kTexts[i].tip);
    if (field.field == &WatchdogSettings::autosaveMinutes) box->setSpecialValueText("off");
    (field.field == &WatchdogSettings::autosaveMinutes ? autosaveForm : watchdogForm)->addRow(kTexts[i].label, box);
    fields_[i] = box;
  }
  auto* where = new QLabel("Recovery files go to $XDG_STATE_HOME/mirvo-psd\n(or ~/.local/state/mirvo-psd).");
  where->setEnabled(false);
  autosaveForm->addRow(where);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(watchdog);
  layout->addWidget(autosave);
  layout->addWidget(buttons);
}

WatchdogSettings WatchdogSettingsDialog::Settings() const {
  WatchdogSettings settings;
  for (std::size_t i = 0; i < kWatchdogSettingFields.size(); ++i)
    settings.*kWatchdogSettingFields[i].field = fields_[i]->value();
  return settings;
}

}  // namespace mirvo
