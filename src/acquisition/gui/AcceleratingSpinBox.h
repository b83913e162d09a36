// A spin box whose held arrows accelerate: step 1, then 10 after 4 s, 100 after 6 s and 1000 after
// 8 s. The acquisition and amplifier panels use it for their spin arrows.
#pragma once

#include <QElapsedTimer>
#include <QSpinBox>

namespace mirvo {

class AcceleratingSpinBox : public QSpinBox {
  Q_OBJECT
 public:
  using QSpinBox::QSpinBox;
  void stepBy(int steps) override;

 private:
  QElapsedTimer held_;
  qint64 lastStepMs_ = -1;
};

}  // namespace mirvo
