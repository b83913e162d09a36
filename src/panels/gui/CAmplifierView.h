// The amplifier and digital I/O panel's form (the "SIGNALS" pane): gain, offsets with the search,
// the stabilizer and the digital I/O lists. It shows an AmplifierPanel and forwards every control event.
#pragma once

#include <array>

#include <QWidget>

#include "acquisition/gui/AcceleratingSpinBox.h"
#include "panels/gui/SpinArrows.h"

class QCheckBox;
class QGridLayout;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace mirvo {

class AmplifierPanel;

class CAmplifierView : public QWidget {
  Q_OBJECT
 public:
  explicit CAmplifierView(AmplifierPanel& panel, QWidget* parent = nullptr);

  // The panel's values and enabling into the controls (the host's PanelChanged lands here).
  void ShowValues();

  QComboBox* CoarseList() const { return coarse_; }
  QSpinBox* FineSpin() const { return fineSpin_; }
  QLineEdit* FineEdit() const { return fine_; }
  QLineEdit* TotalEdit() const { return total_; }
  QSpinBox* AdcSpin() const { return adc_; }
  QSpinBox* AmpSpin() const { return amp_; }
  QCheckBox* AutoBox() const { return auto_; }
  QCheckBox* AdcDefaultBox() const { return adcDefault_; }
  QPushButton* SarButton() const { return sar_; }
  QPushButton* PlusButton() const { return plus_; }
  QPushButton* MinusButton() const { return minus_; }
  QCheckBox* EnableBox() const { return enable_; }
  QPushButton* SetButton() const { return set_; }
  QComboBox* DinList() const { return din_; }
  QComboBox* RinList() const { return rin_; }
  QComboBox* DriveList(int output) const { return drive_.at(static_cast<std::size_t>(output)); }
  QComboBox* FunctionList(int output) const { return function_.at(static_cast<std::size_t>(output)); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* BuildGainGroup();
  QWidget* BuildOffsetGroup();
  QWidget* BuildStabilizerGroup();
  QWidget* BuildDigitalIoGroup();
  void TakeFocusRequest();
  // Two columns (gain and stabilizer beside the offsets, digital I/O below) when the pane is wide
  // enough, one column otherwise.
  void Arrange(bool wide);

  AmplifierPanel& panel_;
  QGridLayout* groups_ = nullptr;
  std::array<QWidget*, 4> groupBoxes_{};  // gain, offset, stabilizer, digital I/O
  int columns_ = 0;
  bool showing_ = false;  // controls set by ShowValues do not call the handlers
  QComboBox* coarse_ = nullptr;
  SpinArrows* fineSpin_ = nullptr;
  QLineEdit* fine_ = nullptr;
  QLineEdit* total_ = nullptr;
  AcceleratingSpinBox* adc_ = nullptr;
  AcceleratingSpinBox* amp_ = nullptr;
  QCheckBox* auto_ = nullptr;
  QCheckBox* adcDefault_ = nullptr;
  QPushButton* sar_ = nullptr;
  QPushButton* plus_ = nullptr;
  QPushButton* minus_ = nullptr;
  QCheckBox* enable_ = nullptr;
  QPushButton* set_ = nullptr;
  QComboBox* din_ = nullptr;
  QComboBox* rin_ = nullptr;
  std::array<QComboBox*, 3> drive_{};
  std::array<QComboBox*, 3> function_{};
};

}  // namespace mirvo
