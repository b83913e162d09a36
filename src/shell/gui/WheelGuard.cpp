#include "shell/gui/WheelGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace mirvo {
namespace {

// The setting control a widget belongs to (a spin box's line edit belongs to the spin box).
QWidget* SettingControl(QObject* object) {
  for (QObject* o = object; o != nullptr && o->isWidgetType(); o = o->parent()) {
    auto* widget = static_cast<QWidget*>(o);
    if (qobject_cast<QScrollBar*>(widget) != nullptr) return nullptr;  // scroll bars scroll
    if (qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
        qobject_cast<QAbstractSlider*>(widget))
      return widget;
    if (widget->isWindow()) return nullptr;
  }
  return nullptr;
}

QAbstractScrollArea* EnclosingScrollArea(QWidget* widget) {
  for (QWidget* w = widget->parentWidget(); w != nullptr; w = w->parentWidget())
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area;
  return nullptr;
}

}  // namespace

WheelGuard::WheelGuard(QObject* parent) : QObject(parent) {}

void WheelGuard::Install() {
  if (qApp == nullptr || qApp->findChild<WheelGuard*>(QString(), Qt::FindDirectChildrenOnly) != nullptr) return;
  qApp->installEventFilter(new WheelGuard(qApp));
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Polish) {
    // A wheel must not give the focus either, or the second notch would change the value.
    if (QWidget* control = SettingControl(watched); control == watched && control->focusPolicy() == Qt::WheelFocus)
      control->setFocusPolicy(Qt::StrongFocus);
    return false;
  }
  if (event->type() != QEvent::Wheel) return false;
  QWidget* control = SettingControl(watched);
  if (control == nullptr || control->hasFocus()) return false;
  // The control never sees the event; the pane it sits in scrolls instead.
  if (QAbstractScrollArea* area = EnclosingScrollArea(control)) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    QWheelEvent forwarded(area->viewport()->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                          wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                          wheel->phase(), wheel->inverted());
    QCoreApplication::sendEvent(area->viewport(), &forwarded);
  }
  return true;
}

}  // namespace mirvo
