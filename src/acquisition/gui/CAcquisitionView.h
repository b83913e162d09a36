// The acquisition panel's form: run control, preset, times, start stamp, coincidence gate, status
// values and the SPECTRUM LOGGER group. It shows a AcquisitionPanel and forwards every control event.
#pragma once

#include <QWidget>

#include "acquisition/gui/AcceleratingSpinBox.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mirvo {

class AcquisitionPanel;

class CAcquisitionView : public QWidget {
  Q_OBJECT
 public:
  explicit CAcquisitionView(AcquisitionPanel& panel, QWidget* parent = nullptr);

  // The panel's values into the controls (the link host's PanelChanged lands here).
  void ShowValues();
  // START, STOP, TIME STAMP and the whole form by the enabling rules (the main window's idle update).
  void UpdateEnabling();
  // A value typed but not yet committed (the edit still has the focus) is taken now: the main
  // window's commands call this before they act, so Start runs with the preset as typed.
  void CommitTypedValues() { OnPresetEdited(); }

  QCheckBox* AutoUpdateBox() const { return autoUpdate_; }
  QComboBox* PresetKindList() const { return presetKind_; }
  QLineEdit* PresetEdit() const { return preset_; }
  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* ResetButton() const { return reset_; }
  QComboBox* CoincidenceList() const { return coincidence_; }
  QSpinBox* WinWidthSpin() const { return delays_[1]; }
  QCheckBox* EnableBox() const { return enable_; }
  QLineEdit* BaseEdit() const { return base_; }
  QLineEdit* RunsEdit() const { return runs_; }

 private:
  QWidget* BuildAcquisitionGroup();
  QWidget* BuildStartTimeGroup();
  QWidget* BuildCoincidenceGroup();
  QWidget* BuildStatusGroup();
  QWidget* BuildLoggerGroup();
  void OnPresetEdited();
  void OnDelayChanged(int which, int value);

  AcquisitionPanel& panel_;
  bool showing_ = false;  // controls set by ShowValues do not call the handlers
  QCheckBox* autoUpdate_ = nullptr;
  QComboBox* presetKind_ = nullptr;
  QLineEdit* preset_ = nullptr;
  QLineEdit* real_ = nullptr;
  QLineEdit* live_ = nullptr;
  QLineEdit* dead_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* reset_ = nullptr;
  QCheckBox* pulser_ = nullptr;
  QLabel* kind_ = nullptr;
  QLineEdit* stamp_ = nullptr;
  QPushButton* timeStamp_ = nullptr;
  QComboBox* coincidence_ = nullptr;
  AcceleratingSpinBox* delays_[3] = {};
  QLineEdit* delayUs_[3] = {};
  QLineEdit* temperature_ = nullptr;
  QLineEdit* voltage_ = nullptr;
  QLineEdit* runs_ = nullptr;
  QLineEdit* completed_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QPushButton* folderButton_ = nullptr;
  QLineEdit* base_ = nullptr;
  QCheckBox* enable_ = nullptr;
};

}  // namespace mirvo
