#include "protocol/StartStampRegisters.h"

#include "protocol/RegisterImage.h"

namespace mirvo {

StartStampWords ReadStartStamp(const RegisterImage& image) {
  const std::uint16_t control = image.Get(reg::kControlWord);
  return StartStampWords{(control & cw::kStartUtc) != 0, (control & cw::kStartSystem) != 0,
                         image.Get(reg::kStartDate), image.Get(reg::kStartTime)};
}

void WriteStartStamp(RegisterImage& image, const StartStampWords& stamp, bool commandHalf) {
  const std::size_t half = commandHalf ? RegisterImage::kCommandHalf : 0;
  std::uint16_t control = image[reg::kControlWord + half];
  control = static_cast<std::uint16_t>(control & ~(cw::kStartUtc | cw::kStartSystem));
  if (stamp.system) control |= cw::kStartSystem;
  if (stamp.utc) control |= cw::kStartUtc;
  image[reg::kControlWord + half] = control;
  image[reg::kStartDate + half] = stamp.dateWord;
  image[reg::kStartTime + half] = stamp.timeWord;
  if (commandHalf) {
    image[reg::kStartDate] = stamp.dateWord;
    image[reg::kStartTime] = stamp.timeWord;
  }
}

}  // namespace mirvo
