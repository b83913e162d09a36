// The trace viewer as the replies and the connection lifecycle drive it.
#pragma once

#include <cstdint>
#include <span>

namespace mirvo {

class ITraceSink {
 public:
  virtual ~ITraceSink() = default;
  virtual bool TraceRunning() const = 0;
  virtual void SetTraceRunning(bool running) = 0;
  // 2 after a single-trace request (the first block is dropped), 1 when the next block is shown.
  virtual int SingleTracePending() const = 0;
  virtual void SetSingleTracePending(int count) = 0;
  virtual void ReleaseRunButton() = 0;                               // button up, caption "RUN"
  virtual void ShowTrace(std::span<const std::uint16_t> words) = 0;  // 512 words: 256 (analog, digital) pairs
  virtual void RefreshTraceControls() = 0;
  virtual void ResetTraceViewer() = 0;                               // stopped state
};

}  // namespace mirvo
