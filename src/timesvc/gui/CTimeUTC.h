// The "Measurement Time Stamp" dialog: shows the NTP log of TimeUtcModel, forwards Get UTC and the
// synchronisation to it, and closes with the chosen start-time kind (Use UTC, SYSTEM or LOCAL).
#pragma once

#include <QDialog>

#include "timesvc/StartTimeStamp.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace mirvo {

class TimeUtcModel;

class CTimeUTC final : public QDialog, public IStartTimeKindDialog {
  Q_OBJECT
 public:
  static constexpr const char* kObjectName = "MeasurementTimeStampDialog";

  explicit CTimeUTC(TimeUtcModel& model, QWidget* parent = nullptr);

  // Opens the dialog afresh (empty log, first server, result buttons disabled), runs it modally and
  // returns the choice; any way of closing other than the three Use buttons answers SYSTEM.
  StartTimeKindChoice RunModal() override;

  // The start of RunModal without the modal loop: the state every opening begins with.
  void Prepare();
  // The kind chosen by the last Use button, SYSTEM when none was pressed since Prepare().
  StartTimeKind Choice() const { return choice_; }

  QComboBox* ServerList() const { return servers_; }
  QListWidget* LogList() const { return log_; }
  QPushButton* GetUtcButton() const { return getUtc_; }
  QPushButton* SynchronizeButton() const { return synchronize_; }
  QPushButton* UseUtcButton() const { return useUtc_; }
  QPushButton* UseSystemButton() const { return useSystem_; }
  QPushButton* UseLocalButton() const { return useLocal_; }

 private:
  void OnGetUtc();
  void OnSynchronize();
  void Choose(StartTimeKind kind);
  void ShowModel();

  TimeUtcModel& model_;
  StartTimeKind choice_ = StartTimeKind::System;
  QComboBox* servers_;
  QListWidget* log_;
  QPushButton* getUtc_;
  QPushButton* synchronize_;
  QPushButton* useUtc_;
  QPushButton* useSystem_;
  QPushButton* useLocal_;
};

}  // namespace mirvo
