// The serial port whose listener posts each port event to a window of the user-interface thread:
// message number, word parameter (line errors x 65536 + events), and a user value.
#pragma once

#include <atomic>

#include "link/CSerialEx.h"
#include "link/MessageTarget.h"

namespace mirvo {

class CSerialWnd : public CSerialEx {
 public:
  // The message number used when Open is given 0 (the registered "CSerialWnd_DefaultComMsg").
  static constexpr unsigned kDefaultComMessage = 0xC0DE;

  CSerialWnd() = default;
  ~CSerialWnd() override;

  using CSerialEx::Open;
  // Opens without a listener, records the destination, message (0: the default) and user value,
  // then starts the listener; if it cannot start the port is closed and the error returned.
  virtual long Open(const std::string& device, IMessageTarget* window, unsigned message = 0, std::intptr_t userValue = 0,
                    std::size_t inQueue = 0, std::size_t outQueue = 0);
  long Close() override;

  unsigned Message() const { return message_; }
  std::intptr_t UserValue() const { return userValue_; }

  // The posted word parameter for a set of events and line errors.
  static std::uintptr_t PackEvent(std::uint32_t events, std::uint32_t lineErrors) {
    return (static_cast<std::uintptr_t>(lineErrors & 0xFFFF) << 16) + (events & 0xFFFF);
  }

 protected:
  void OnEvent(std::uint32_t events, std::uint32_t lineErrors) override;

 private:
  std::atomic<IMessageTarget*> window_{nullptr};
  unsigned message_ = 0;
  std::intptr_t userValue_ = 0;
};

// The variant whose open call takes the application's window object.
class CSerialMFC : public CSerialWnd {
 public:
  CSerialMFC() = default;
  // Ends the listener while this is still the object's type: a base destructor would first change
  // the type the listener's event call goes through.
  ~CSerialMFC() override { Close(); }

  using CSerialWnd::Open;
  virtual long Open(const std::string& device, IMessageTarget& window, unsigned message = 0,
                    std::intptr_t userValue = 0, std::size_t inQueue = 0, std::size_t outQueue = 0) {
    return CSerialWnd::Open(device, &window, message, userValue, inQueue, outQueue);
  }
};

}  // namespace mirvo
