// The shaper panel's form (pane "PSA"): every control of ShaperPanel, the threshold controls shown
// or hidden by AUTO, and spin arrows that speed up while held.
#pragma once

#include <QComboBox>
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace mirvo {

class ShaperPanel;
class AcceleratingSpinBox;

// A drop-down list that tells when its list opens and closes.
class PanelComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;
  void hidePopup() override;
 signals:
  void Dropped();
  void Closed();

 private:
  bool open_ = false;
};

class CShaperView : public QWidget {
  Q_OBJECT
 public:
  explicit CShaperView(ShaperPanel& panel, QWidget* parent = nullptr);
  // The panel's values into the controls.
  void ShowValues();

  QSpinBox* TimeSpin(int field) const;
  QSpinBox* ThresholdSpin(bool slow) const;
  QComboBox* MarginList(bool slow) const { return margins_[slow ? 0 : 1]; }
  QLabel* AutoMarginCaption() const { return marginCaption_; }
  QLabel* MarginX(bool slow) const { return marginX_[slow ? 0 : 1]; }
  QCheckBox* AutoBox() const { return auto_; }
  QSpinBox* FactorSpin() const;
  QLineEdit* TipsGainEdit() const { return tipsGain_; }
  QLineEdit* SymmetryEdit() const { return symmetry_; }

 private:
  ShaperPanel& panel_;
  std::array<AcceleratingSpinBox*, 4> times_{};
  std::array<QLineEdit*, 4> timesUs_{};
  AcceleratingSpinBox* longTc_ = nullptr;
  AcceleratingSpinBox* shortTc_ = nullptr;
  QLineEdit* longTcUs_ = nullptr;
  QLineEdit* shortTcUs_ = nullptr;
  std::array<AcceleratingSpinBox*, 2> thresholds_{};
  std::array<PanelComboBox*, 2> margins_{};
  std::array<QLabel*, 2> marginX_{};
  QLabel* marginCaption_ = nullptr;
  std::array<QLineEdit*, 2> estimates_{};
  AcceleratingSpinBox* blrSlow_ = nullptr;
  AcceleratingSpinBox* blrFast_ = nullptr;
  QCheckBox* slowSym_ = nullptr;
  QCheckBox* acc_ = nullptr;
  QCheckBox* fastSym_ = nullptr;
  QCheckBox* pileUpOn_ = nullptr;
  QCheckBox* enhanced_ = nullptr;
  QCheckBox* auto_ = nullptr;
  QCheckBox* fine_ = nullptr;
  AcceleratingSpinBox* factor_ = nullptr;
  PanelComboBox* bdc_ = nullptr;
  QLineEdit* tipsGain_ = nullptr;
  QLineEdit* symmetry_ = nullptr;
};

}  // namespace mirvo
