// The dialog's two pictures, drawn by the program: a peak with its two hatched stabilizer windows
// (kWindows), and the recommended placement of the edges against the FWHM (kRecommended).
#pragma once

#include <QWidget>

namespace mirvo {

class StabilizerPicture : public QWidget {
  Q_OBJECT
 public:
  enum class Kind { kWindows, kRecommended };
  explicit StabilizerPicture(Kind kind, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {300, 190}; }
  QSize minimumSizeHint() const override { return {240, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
};

}  // namespace mirvo
