// The "Spectrum Info" pane's form: cursor, peak information, FOM, times, counting rates and the
// losses bar as SpectrumInfoPanel formats them, and the two status-bar texts for the main window.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "display/SpectrumInfoPanel.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace mirvo {

class RecordSets;
class SpectrumPlot;
class RegisterImage;

// Form helpers both panes use: a field shows a core text (set only when it differs, so a field the
// user is reading is not disturbed), a read-only value field as wide as a typical value, and a
// push button as narrow as its caption.
void ShowText(QLineEdit* field, const std::string& text);
QLineEdit* MakeValueField(const QString& objectName, QWidget* parent, const char* widestText);
QPushButton* MakeButton(const QString& text, const QString& objectName, QWidget* parent);

class CSpectrumInfoView final : public QWidget {
  Q_OBJECT
 public:
  // The sample-clock period in microseconds as the main window keeps it (the rates use it).
  using SamplePeriodSource = std::function<double()>;
  // The status-bar panes are made as wide as these texts.
  static constexpr const char* kCursorPaneWidthText = "CURSOR: 1234567  COUNTS: 1234567";
  static constexpr const char* kRoiPaneWidthText = "ROI 1234567:1234567 WIDTH: 1234567";

  CSpectrumInfoView(RecordSets& sets, SamplePeriodSource samplePeriodUs, QWidget* parent = nullptr);
  ~CSpectrumInfoView() override;

  // What the acquisition panel writes the times and rates into, and the calibration panel the CAL box.
  SpectrumInfoPanel& Info() { return info_; }
  const SpectrumInfoPanel& Info() const { return info_; }

  // The 200 ms tick: while the pane is visible, the peak information of the active plot of the
  // active spectrum and the FOM of S0, then the fields.
  void Tick();
  // A plot's cursor moved (or the pointer moved with a button held): its peak information now.
  void PeakInfoDue(SpectrumPlot& plot);
  // The rates from a register image (registers 0x2C to 0x2F) with the current sample period.
  void RefreshRates(const RegisterImage& registers);
  // Shows the texts of Info() in the fields; unchanged fields are left alone.
  void Refresh();

  QString CursorStatusText() const;
  QString RoiStatusText() const;

  QCheckBox* CalBox() const { return cal_; }
  QPushButton* FomButton(int n) const { return n == 2 ? pk2_ : pk1_; }
  QProgressBar* LossesBar() const { return losses_; }

 signals:
  // The status-bar texts changed (cursor pane, ROI pane).
  void StatusTextsChanged(const QString& cursorText, const QString& roiText);
  // The user clicked CAL: ENABLE CALIBRATION takes the same state and runs.
  void CalClicked(bool checked);
  // The user clicked PK1 (n = 1) or PK2 (n = 2).
  void FomPeakClicked(int n);

 private:
  void BuildForm();
  void BuildStatistics(QWidget* form, QVBoxLayout* column);
  void RefreshStatistics();

  RecordSets& sets_;
  SamplePeriodSource samplePeriodUs_;
  SpectrumInfoPanel info_;
  std::optional<ScaledBackground> shownBackground_;  // what the provider gave last
  QString shownCursorStatus_;
  QString shownRoiStatus_;

  QLineEdit* position_ = nullptr;
  QLineEdit* counts_ = nullptr;
  std::array<QLabel*, 4> units_{};  // POSITION, CENTROID, FWHM, FWTM
  QLineEdit* centroid_ = nullptr;
  QLineEdit* fwhm_ = nullptr;
  QLineEdit* fwtm_ = nullptr;
  QLineEdit* resolution_ = nullptr;
  QLineEdit* integral_ = nullptr;
  QLineEdit* area_ = nullptr;
  QCheckBox* cal_ = nullptr;
  QPushButton* pk1_ = nullptr;
  QPushButton* pk2_ = nullptr;
  QLineEdit* fom_ = nullptr;
  QLineEdit* real_ = nullptr;
  QLineEdit* live_ = nullptr;
  QLineEdit* dead_ = nullptr;
  QLineEdit* throughput_ = nullptr;
  QLineEdit* incoming_ = nullptr;
  QProgressBar* losses_ = nullptr;

  // Uncertainties, limits and the fitted peak of the ROI at the cursor.
  QLineEdit* integralSigma_ = nullptr;
  QLineEdit* areaSigma_ = nullptr;
  QLineEdit* centroidSigma_ = nullptr;
  QLineEdit* aboveCritical_ = nullptr;
  QLineEdit* criticalLevel_ = nullptr;
  QLineEdit* detectionLimit_ = nullptr;
  QLabel* netAreaCaption_ = nullptr;
  QLineEdit* netArea_ = nullptr;
  QLabel* netAreaSigmaCaption_ = nullptr;
  QLineEdit* netAreaSigma_ = nullptr;
  QLineEdit* fitCentroid_ = nullptr;
  QLineEdit* fitCentroidSigma_ = nullptr;
  QLineEdit* fitFwhm_ = nullptr;
  QLineEdit* fitFwhmSigma_ = nullptr;
  QLineEdit* fitArea_ = nullptr;
  QLineEdit* fitAreaSigma_ = nullptr;
  QLineEdit* fitChiSquare_ = nullptr;
  QLineEdit* fitStatus_ = nullptr;
  std::array<QLabel*, 2> fitUnits_{};  // fitted CENTROID, FWHM
};

}  // namespace mirvo
