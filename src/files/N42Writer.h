// The N42.42 export: one RadInstrumentData document with the instrument, one detector and one energy
// calibration per spectrum, and one RadMeasurement holding the start, the real time and, per
// spectrum, its live time and hard-channel counts (S3 also as neutron gross counts). Captions, tags,
// soft sizes and the start-time kind travel as remarks, so that this program reads its own files back
// completely. Numbers are written without the process locale.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"
#include "files/SpectrumExchange.h"

namespace mirvo {

inline constexpr const char* kN42Extension = "n42";
inline constexpr const char* kN42Namespace = "http://physics.nist.gov/N42/2011/N42";
inline constexpr int kAllSpectra = -1;

// The document text of the set's spectra: all of them (`only` = kAllSpectra) or only spectrum
// `only` (0..3), for readers that take the first spectrum of a file. `documentUtcMs` is the
// document's creation time; a start after it is written as that time.
std::string N42Document(const ExchangeSet& set, int only, std::int64_t documentUtcMs);

// Writes N42Document of four records ([0] is S0) through the safe writer. kFileCannotCreate
// "Unable to Save File"; kFileWriteFailed "Error Writing to File".
FileResult WriteN42File(const std::array<const SpectrumRecord*, 4>& records, int only, const std::string& path,
                        const AcquisitionTimes& times, std::int64_t documentUtcMs,
                        FileSystemOps& fs = RealFileSystem());

}  // namespace mirvo
