#include "files/AcquisitionTimes.h"

#include <array>

#include "protocol/RegisterImage.h"
#include "protocol/StartStampRegisters.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {

double SamplePeriodFromRegisters(const RegisterImage& registers) {
  static constexpr std::array<double, 4> kPeriods = {0.0125, 0.01, 0.008, 0.00625};
  return kPeriods[(registers.Get(0x0F) >> 2) & 3u];
}

AcquisitionTimes TimesFromRegisters(const RegisterImage& registers, double samplePeriodUs) {
  AcquisitionTimes times;
  times.realSeconds = RealTimeSeconds(registers, samplePeriodUs);
  times.liveSeconds = LiveTimeSeconds(registers, samplePeriodUs);
  if (times.realSeconds > 0.0) {
    const double dead = (times.realSeconds - times.liveSeconds) * 100.0 / times.realSeconds;
    times.deadPercent = dead > 0.0 ? dead : 0.0;
  }
  const StartStampWords stamp = ReadStartStamp(registers);
  times.stampText = StartStampText(stamp.dateWord, stamp.timeWord);
  times.kindText = StartKindText(stamp.utc, stamp.system);
  return times;
}

}  // namespace mirvo
