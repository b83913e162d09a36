// The "Gain Stabilizer Settings" dialog: the four window edges over a picture of a peak with its two
// hatched windows, a picture of the recommended placement, the proposal button, OK and Cancel. It
// shows a StabilizerSettings and forwards the buttons; it opens without blocking the panel.
#pragma once

#include <array>
#include <functional>

#include <QDialog>

#include "panels/StabilizerSettings.h"

class QLineEdit;
class QPushButton;

namespace mirvo {

class CDialogStabilizer : public QDialog {
  Q_OBJECT
 public:
  // `peak` reads the active plot's ROI and peak result when the proposal button is pressed.
  CDialogStabilizer(StabilizerSettings& settings, std::function<StabilizerPeak()> peak, QWidget* parent = nullptr);

  QLineEdit* Edit(int edge) const { return edits_.at(static_cast<std::size_t>(edge)); }
  QPushButton* RecommendButton() const { return recommend_; }

  void accept() override;

 private:
  void ShowTexts();
  void TakeTexts();

  StabilizerSettings& settings_;
  std::function<StabilizerPeak()> peak_;
  std::array<QLineEdit*, 4> edits_{};
  QPushButton* recommend_ = nullptr;
};

}  // namespace mirvo
