// Arbitrary bytes as a spectrum file: the reader must never crash or read past its limits, and the
// FILE set must always come out with sizes and point counts the rest of the program can use.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "display/RecordSets.h"
#include "files/SpectrumFile.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SpectrumMemory memory;
  static RecordSets sets(memory);
  if (size == 0) return 0;
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return 0;
  const FileResult result = LoadSpectrumStream(sets, stream, "fuzz.mps");
  std::fclose(stream);
  if (!result.Ok()) std::abort();
  for (int k = 0; k < 4; ++k) {
    const SpectrumPlot& plot = sets.FilePlot(k);
    const SpectrumRecord& record = plot.Record();
    if (record.hardSize < kMinHardSize || record.hardSize > kMaxChannels) std::abort();
    if (record.softSize < kMinHardSize || record.softSize > record.hardSize) std::abort();
    if (record.factor != record.hardSize / record.softSize) std::abort();
    if (record.stored.pointCount < 0 || record.stored.pointCount > CalibrationRecord::kMaxPoints) std::abort();
    if (record.tag.size() > 255 || record.caption.size() > 255) std::abort();
    for (int j = record.hardSize; j < kMaxChannels; ++j)
      if (record.hardCounts[j] != 0 || record.hardRoi[static_cast<std::size_t>(j)] != 0) std::abort();
  }
  return 0;
}
