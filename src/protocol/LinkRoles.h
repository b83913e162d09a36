// The two roles the transaction engine needs from the program around it: somewhere to report,
// and the live record whose register image it writes from and folds status reads into.
#pragma once

#include <string>

#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

// Lines of the "Events" pane and error message boxes.
class IReporter {
 public:
  virtual ~IReporter() = default;
  virtual void AddLine(const std::string& line) = 0;
  virtual void ShowError(const std::string& message) = 0;
};

// The BUFFER record of S0: the register image the instrument link reads and writes, the flag that
// decides whether status reads may overwrite it, and the status values of every read reply.
class ILiveRecord {
 public:
  virtual ~ILiveRecord() = default;
  virtual RegisterImage& Image() = 0;
  virtual int RefreshEnable() const = 0;
  virtual void SetRefreshEnable(int value) = 0;
  virtual void StoreStatus(const packet::StatusBlock& status) = 0;
};

}  // namespace mirvo
