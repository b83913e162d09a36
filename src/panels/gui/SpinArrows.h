// Spin arrows without a visible number: the hidden integer field beside an edit that shows the value
// in its own form (the fine code behind the FINE factor). The arrows accelerate while held.
#pragma once

#include "acquisition/gui/AcceleratingSpinBox.h"

namespace mirvo {

class SpinArrows : public AcceleratingSpinBox {
  Q_OBJECT
 public:
  explicit SpinArrows(QWidget* parent = nullptr);
};

}  // namespace mirvo
