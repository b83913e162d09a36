// The check both interchange readers are fuzzed with: arbitrary bytes read as one format must
// never crash, hang or grow without bound; a refusal leaves the FILE set as it was, and a load leaves
// sizes, calibration points and zeroed channels past the hard size that the rest of the program can use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "display/RecordSets.h"
#include "files/SpectrumImport.h"
#include "protocol/RegisterImage.h"

namespace mirvo::fuzz {

inline int FuzzExchangeReader(SpectrumFormat format, const char* fileName, const std::uint8_t* data, std::size_t size) {
  static SpectrumMemory memory;
  static RecordSets sets(memory);
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const std::string tagBefore = sets.FilePlot(1).Record().tag;
  const std::uint32_t countBefore = sets.FilePlot(1).Record().hardCounts[3];
  std::vector<std::string> notes;
  const FileResult result = LoadExchangeText(sets, format, content, fileName, notes);
  if (!result.Ok()) {
    if (result.status != kFileCannotOpen) std::abort();
    if (sets.FilePlot(1).Record().tag != tagBefore || sets.FilePlot(1).Record().hardCounts[3] != countBefore) std::abort();
    return 0;
  }
  for (int k = 0; k < 4; ++k) {
    const SpectrumRecord& record = sets.FilePlot(k).Record();
    if (record.hardSize < kMinHardSize || record.hardSize > kMaxChannels) std::abort();
    if (record.softSize < kMinHardSize || record.softSize > record.hardSize) std::abort();
    if (record.factor != record.hardSize / record.softSize) std::abort();
    if (record.stored.pointCount < 0 || record.stored.pointCount > CalibrationRecord::kMaxPoints) std::abort();
    for (int j = record.hardSize; j < kMaxChannels; ++j)
      if (record.hardCounts[j] != 0 || record.hardRoi[static_cast<std::size_t>(j)] != 0) std::abort();
  }
  return 0;
}

}  // namespace mirvo::fuzz
