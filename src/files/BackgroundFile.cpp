#include "files/BackgroundFile.h"

#include <memory>

#include "display/BackgroundSet.h"
#include "display/RecordSets.h"
#include "files/SafeFileWriter.h"
#include "files/SpectrumImport.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

FileResult LoadBackgroundFile(RecordSets& sets, const std::string& path, std::vector<std::string>& notes) {
  // A scratch set of records reads the file exactly as Open Spectrum would.
  const auto memory = std::make_unique<SpectrumMemory>();
  const auto scratch = std::make_unique<RecordSets>(*memory);
  std::vector<std::string> readerNotes;
  FileResult result = LoadAnySpectrumFile(*scratch, path, readerNotes);
  if (!result.Ok()) return result;
  std::array<const SpectrumRecord*, 4> records{};
  for (int k = 0; k < 4; ++k) records[static_cast<std::size_t>(k)] = &scratch->FilePlot(k).Record();
  std::string why;
  if (!AdoptBackground(sets, records, RecordLiveSeconds(*records[0]), FileNameOf(path), &why)) {
    result.status = kFileCannotOpen;
    result.message = std::string(kBackgroundNotLoaded) + "\n" + why;
    result.reason = why;
    return result;
  }
  notes.insert(notes.end(), readerNotes.begin(), readerNotes.end());
  return result;
}

}  // namespace mirvo
