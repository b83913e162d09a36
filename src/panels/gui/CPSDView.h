// The pulse-shape panel's form (pane "PSD"): the pulse-height window with its calibrated values and
// the three TIPS ranges, each with its ROI, ALL, MARK BACK and ERASE buttons.
#pragma once

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace mirvo {

class PulseShapePanel;

class CPSDView : public QWidget {
  Q_OBJECT
 public:
  explicit CPSDView(PulseShapePanel& panel, QWidget* parent = nullptr);
  void ShowValues();
  // The ROI and ALL buttons only while the BUFFER set is shown.
  void UpdateEnabling();

  QGroupBox* Group(int window) const { return groups_[static_cast<std::size_t>(window & 3)]; }
  QSpinBox* FromSpin(int window) const { return from_[static_cast<std::size_t>(window & 3)]; }
  QSpinBox* ToSpin(int window) const { return to_[static_cast<std::size_t>(window & 3)]; }
  QPushButton* RoiButton(int window) const { return roi_[static_cast<std::size_t>(window & 3)]; }
  QPushButton* AllButton(int window) const { return all_[static_cast<std::size_t>(window & 3)]; }
  QLabel* UnitsCaption() const { return units_; }

 private:
  PulseShapePanel& panel_;
  std::array<QGroupBox*, 4> groups_{};
  std::array<QSpinBox*, 4> from_{};
  std::array<QSpinBox*, 4> to_{};
  std::array<QPushButton*, 4> roi_{};
  std::array<QPushButton*, 4> all_{};
  QLineEdit* calibratedFrom_ = nullptr;
  QLineEdit* calibratedTo_ = nullptr;
  QLabel* units_ = nullptr;
};

}  // namespace mirvo
