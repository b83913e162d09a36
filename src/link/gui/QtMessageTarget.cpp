#include "link/gui/QtMessageTarget.h"

#include <QMetaObject>

namespace mirvo {

void QtMessageTarget::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  QObject* receiver = receiver_.data();
  if (receiver == nullptr) return;
  Handler handler = handler_;
  QMetaObject::invokeMethod(
      receiver, [handler, message, wParam, lParam] { handler(message, wParam, lParam); }, Qt::QueuedConnection);
}

}  // namespace mirvo
