// The times and start stamp the acquisition panel shows, as the file writers take them, and the
// same values worked out from a record's registers (how the panel shows a FILE set).
#pragma once

#include <string>

namespace mirvo {

class RegisterImage;

struct AcquisitionTimes {
  double realSeconds = 0.0;
  double liveSeconds = 0.0;
  double deadPercent = 0.0;
  std::string stampText;                       // "DD/MM/YYYY  HH:MM:SS", "WAITING FOR START", ...
  std::string kindText = "START TIME: SYSTEM";  // the start-time kind text
};

// The sample period in microseconds of the clock code in register 0x0F bits 3:2.
double SamplePeriodFromRegisters(const RegisterImage& registers);

// Real and live time from registers 0x38..0x3D, the dead time from both (0 when real is 0 or the
// difference is negative), the stamp from registers 0x16/0x17 and the kind from ControlWord bits
// 10 and 11.
AcquisitionTimes TimesFromRegisters(const RegisterImage& registers, double samplePeriodUs);

}  // namespace mirvo
