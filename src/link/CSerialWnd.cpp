#include "link/CSerialWnd.h"

namespace mirvo {

CSerialWnd::~CSerialWnd() { CSerialWnd::Close(); }

long CSerialWnd::Open(const std::string& device, IMessageTarget* window, unsigned message, std::intptr_t userValue,
                      std::size_t inQueue, std::size_t outQueue) {
  if (IsOpen()) return Fail(serial_error::kAlreadyOpen);
  if (const long error = CSerialEx::Open(device, inQueue, outQueue, false); error != serial_error::kSuccess)
    return error;
  window_ = window;
  message_ = message != 0 ? message : kDefaultComMessage;
  userValue_ = userValue;
  if (const long error = StartListener(); error != serial_error::kSuccess) {
    Close();
    return Fail(error);
  }
  return Succeed();
}

long CSerialWnd::Close() {
  // Stop the listener first so that it never posts to a window that has been forgotten.
  const long result = CSerialEx::Close();
  window_ = nullptr;
  message_ = 0;
  return result;
}

void CSerialWnd::OnEvent(std::uint32_t events, std::uint32_t lineErrors) {
  if (IMessageTarget* window = window_.load()) window->PostMessage(message_, PackEvent(events, lineErrors), userValue_);
}

}  // namespace mirvo
