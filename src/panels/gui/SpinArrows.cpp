#include "panels/gui/SpinArrows.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace mirvo {

SpinArrows::SpinArrows(QWidget* parent) : AcceleratingSpinBox(parent) {
  lineEdit()->hide();
  setFocusPolicy(Qt::NoFocus);
  setKeyboardTracking(false);
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QRect up = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
  setFixedWidth(std::max(up.width(), 14) + 4);
}

}  // namespace mirvo
