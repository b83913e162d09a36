#include "records/SpectrumRecord.h"

namespace mirvo {

SpectrumRecord::SpectrumRecord() {
  hardCounts = ownHard_.data();
  softCounts = ownSoft_.data();
  registers[0x0F] = 0x0E00;
}

}  // namespace mirvo
