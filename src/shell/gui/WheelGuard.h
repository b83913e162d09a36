// Keeps the mouse wheel from changing instrument settings: a list, spin box or slider takes a wheel
// event only while it has the keyboard focus; otherwise the wheel scrolls the pane it sits in. The
// guard watches the whole application, so panels added later are covered as well.
#pragma once

#include <QObject>

namespace mirvo {

class WheelGuard : public QObject {
  Q_OBJECT
 public:
  explicit WheelGuard(QObject* parent = nullptr);
  // Installs one guard on the application, living as long as it (later calls do nothing).
  static void Install();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace mirvo
