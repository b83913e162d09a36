// The "Calibration" pane's form: the point list with tick boxes, the edits, the unit list, every
// button of the panel and the FOM settings, forwarding to CalibrationPanel and showing its state.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <vector>

#include "display/CalibrationPanel.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace mirvo {

class RecordSets;
class CSpectrumInfoView;
class SpectrumPlot;
class IUserDialog;

class CCalibrationView final : public QWidget {
  Q_OBJECT
 public:
  // `info` (may be null) is the "Spectrum Info" form: its CAL box and PK1/PK2 buttons act here,
  // and this panel keeps its CAL box in step with ENABLE CALIBRATION. Make `info` first: the
  // panel keeps a pointer to its texts.
  CCalibrationView(RecordSets& sets, IUserDialog& dialog, CSpectrumInfoView* info = nullptr,
                   QWidget* parent = nullptr);
  ~CCalibrationView() override;

  CalibrationPanel& Panel() { return panel_; }
  const CalibrationPanel& Panel() const { return panel_; }

  // ReloadCalibrationPanel: the active plot changed, or a calibration was copied onto it.
  void Reload(SpectrumPlot& plot);
  // Shows the panel's state; controls that already show it are left alone.
  void Refresh();

  QTreeWidget* PointList() const { return points_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildForm();
  // Runs an action of the panel, then shows its state on both forms.
  template <typename Action>
  void Run(Action action);
  void OnEnableClicked(bool checked);
  void OnPointTicked();
  void ShowRows();

  QPointer<CSpectrumInfoView> info_;
  CalibrationPanel panel_;
  std::vector<CalibrationRow> shownRows_;

  QCheckBox* enable_ = nullptr;
  QLineEdit* channel_ = nullptr;
  QLineEdit* energy_ = nullptr;
  QComboBox* unit_ = nullptr;
  QTreeWidget* points_ = nullptr;
  QGroupBox* coefficients_ = nullptr;
  std::array<QLabel*, 3> coefficientTexts_{};
  std::array<QLineEdit*, 4> fomEdits_{};  // peak 1 first, peak 1 last, peak 2 first, peak 2 last
};

}  // namespace mirvo
