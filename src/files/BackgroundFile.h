// File > Open Background...: reads any spectrum file the program reads (the program's own, N42.42,
// IAEA SPE) into the background set of the record sets, leaving the BUFFER and FILE sets as they
// are. The file is read into a set of its own first, so a file that cannot be read or that does not
// fit the shown spectra changes nothing.
#pragma once

#include <string>
#include <vector>

#include "files/FileResult.h"

namespace mirvo {

class RecordSets;

inline constexpr const char* kBackgroundNotLoaded = "Background not loaded";

// kFileOk: the background is loaded (every plot redraws; `notes` may hold what the reader told).
// kFileCannotOpen: "Unable to Open File" for a file that cannot be read, or kBackgroundNotLoaded and
// the reason on the next line when its channels do not match the shown spectra or it has no live
// time or no counts; the background loaded before stays.
FileResult LoadBackgroundFile(RecordSets& sets, const std::string& path, std::vector<std::string>& notes);

}  // namespace mirvo
