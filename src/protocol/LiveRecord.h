// The BUFFER record of S0 as the engine sees it: the register image the instrument link reads and
// writes, the flag that decides whether status reads may overwrite it, and the status values of
// every read reply.
#pragma once

#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

class ILiveRecord {
 public:
  virtual ~ILiveRecord() = default;
  virtual RegisterImage& Image() = 0;
  virtual int RefreshEnable() const = 0;
  virtual void SetRefreshEnable(int value) = 0;
  virtual void StoreStatus(const packet::StatusBlock& status) = 0;
};

}  // namespace mirvo
