// One NTP exchange with a time server over UDP/IPv4: send the client request, wait for the reply,
// check it and compute delay and offset. The dialog owns one; tests point it at a local port.
#pragma once

#include <cstdint>
#include <string>

#include "base/Clock.h"
#include "timesvc/NtpPacket.h"

namespace mirvo {

// What the time-stamp dialog needs of an NTP client.
class INtpClient {
 public:
  virtual ~INtpClient() = default;
  // True with `result` filled; false leaves `result` unchanged.
  virtual bool QueryTime(const std::string& serverName, NtpResult& result) = 0;
  // After a failed query: the line naming the check a received reply failed; empty when the failure
  // was a socket, lookup or time-out failure.
  virtual std::string LastRejection() const = 0;
};

class CSNTPClient final : public INtpClient {
 public:
  static constexpr std::uint16_t kDefaultPort = 123;
  static constexpr int kDefaultTimeoutMs = 5000;

  explicit CSNTPClient(const IClock& clock = DefaultClock(), std::uint16_t port = kDefaultPort,
                       int timeoutMs = kDefaultTimeoutMs)
      : clock_(clock), port_(port), timeoutMs_(timeoutMs) {}

  bool QueryTime(const std::string& serverName, NtpResult& result) override;
  std::string LastRejection() const override { return rejection_; }

  // errno of the failed step (ETIMEDOUT for no reply in time, EPROTO for a rejected reply), 0 after success.
  int LastError() const { return lastError_; }
  // A short description of the last failure for diagnostics ("no reply within 5000 ms", ...).
  const std::string& LastErrorText() const { return lastErrorText_; }
  NtpReplyCheck LastReplyCheck() const { return replyCheck_; }

  std::uint16_t Port() const { return port_; }
  int TimeoutMs() const { return timeoutMs_; }

 private:
  bool Fail(int error, std::string text);

  const IClock& clock_;
  std::uint16_t port_;
  int timeoutMs_;
  int lastError_ = 0;
  std::string lastErrorText_;
  NtpReplyCheck replyCheck_ = NtpReplyCheck::Accepted;
  std::string rejection_;
};

}  // namespace mirvo
