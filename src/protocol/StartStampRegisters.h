// Where a measurement start stamp lives in the register image: the kind bits 10 (UTC) and 11
// (SYSTEM) of the control word and the packed date and time words in registers 0x16 and 0x17.
#pragma once

#include <cstdint>

namespace mirvo {

class RegisterImage;

struct StartStampWords {
  bool utc = false;     // ControlWord bit 10
  bool system = false;  // ControlWord bit 11
  std::uint16_t dateWord = 0;
  std::uint16_t timeWord = 0;
};

// The stamp of the read-back half.
StartStampWords ReadStartStamp(const RegisterImage& image);

// Sets the two kind bits (the other control bits stay) and the two words. With `commandHalf` (a run
// of a logged series) they go to indexes 0x110, 0x116 and 0x117 and the two words are copied to
// 0x16 and 0x17.
void WriteStartStamp(RegisterImage& image, const StartStampWords& stamp, bool commandHalf = false);

}  // namespace mirvo
