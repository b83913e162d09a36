// Open Spectrum for every format the program reads: the file's content decides (an N42.42 document,
// an IAEA SPE file, else the program's own spectrum file); the extensions .n42 and .spe only decide
// for content that is neither, which then is refused as not a file of that format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/FileResult.h"

namespace mirvo {

class RecordSets;

enum class SpectrumFormat { Mps, N42, Spe };

// The format of a file from its first bytes and its name.
SpectrumFormat DetectSpectrumFormat(std::string_view head, const std::string& path);

// Loads any spectrum file into the FILE set. N42 and SPE files: "Unable to Open File" and nothing
// changed for what cannot be read; `notes` receives what the user must be told (padding, spectra
// that went to S1). Spectrum files (.mps) load as LoadSpectrumFile does.
// `damage`, when given, receives what a spectrum file that loaded was missing (see LoadSpectrumStream).
FileResult LoadAnySpectrumFile(RecordSets& sets, const std::string& path, std::vector<std::string>& notes,
                               std::vector<std::string>* damage = nullptr);

// The same from the file's content (the fuzz targets and benchmarks read no file).
FileResult LoadExchangeText(RecordSets& sets, SpectrumFormat format, std::string_view content,
                            const std::string& fileName, std::vector<std::string>& notes);

}  // namespace mirvo
