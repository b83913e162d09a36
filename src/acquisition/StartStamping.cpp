#include "acquisition/StartStamping.h"

#include "protocol/StartStampRegisters.h"

namespace mirvo {

StampedStart StampStartTime(const StartTimeSettings& settings, const IClock& clock, ISleeper& sleeper,
                            RegisterImage& image, bool commandHalf) {
  const StampedStart stamp = WaitForStartStamp(settings, clock, sleeper);
  WriteStartStamp(image, StartStampWords{settings.utcFlag, settings.systemFlag, stamp.dateWord, stamp.timeWord},
                  commandHalf);
  return stamp;
}

}  // namespace mirvo
