// Delivers the serial listener's port events onto Qt's main thread as queued calls; calls that
// arrive after the receiver is gone are dropped by Qt.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "link/MessageTarget.h"

namespace mirvo {

class QtMessageTarget final : public IMessageTarget {
 public:
  using Handler = std::function<void(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;
  QtMessageTarget(QObject* receiver, Handler handler) : receiver_(receiver), handler_(std::move(handler)) {}

  void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

 private:
  QPointer<QObject> receiver_;
  Handler handler_;
};

}  // namespace mirvo
