// The IAEA SPE export of one spectrum: $SPEC_ID (the tag), a short $SPEC_REM, $DATE_MEA, $MEAS_TIM
// (live, then real seconds), $DATA (first and last channel, one count per line), $ROI, $PRESETS and,
// only for a calibrated spectrum, $ENER_FIT and $MCA_CAL. Lines end in CR LF.
#pragma once

#include <array>
#include <string>

#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"
#include "files/SpectrumExchange.h"

namespace mirvo {

inline constexpr const char* kSpeExtension = "spe";

// The file text of one spectrum of the set, with the set's times, start and instrument.
std::string SpeDocument(const ExchangeSet& set, const ExchangeSpectrum& spectrum);

// Writes spectrum `spectrum` (0..3) of four records ([0] is S0) through the safe writer.
FileResult WriteSpeFile(const std::array<const SpectrumRecord*, 4>& records, int spectrum, const std::string& path,
                        const AcquisitionTimes& times, FileSystemOps& fs = RealFileSystem());

}  // namespace mirvo
