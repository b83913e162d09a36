// The status block of a read reply as the live record keeps it.
#pragma once

#include <cstdint>

#include "records/SpectrumRecord.h"
#include "protocol/Packets.h"

namespace mirvo {

inline void StoreStatusInRecord(SpectrumRecord& record, const packet::StatusBlock& block) {
  record.firmwareVersion = block.firmware;
  record.serialNumber = block.serialnumber;
  record.bias = static_cast<std::int32_t>(block.bias);
  record.slowAdcVolts = block.slowadc;
  record.internalTemperature = block.intemp;
}

}  // namespace mirvo
