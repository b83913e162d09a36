#include "acquisition/gui/AcceleratingSpinBox.h"

#include "acquisition/AcquisitionPanel.h"

namespace mirvo {
namespace {
constexpr qint64 kHeldGapMs = 400;  // arrow steps closer than this belong to one press
}  // namespace

void AcceleratingSpinBox::stepBy(int steps) {
  const qint64 now = held_.isValid() ? held_.elapsed() : 0;
  if (!held_.isValid() || lastStepMs_ < 0 || now - lastStepMs_ > kHeldGapMs) {
    held_.start();  // a new press
    lastStepMs_ = 0;
  } else {
    lastStepMs_ = now;
  }
  QSpinBox::stepBy(steps * SpinAcceleratedStep(static_cast<int>(held_.elapsed())));
}

}  // namespace mirvo
