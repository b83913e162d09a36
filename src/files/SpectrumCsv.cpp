#include "files/SpectrumCsv.h"

#include <algorithm>

#include "display/SpectrumPlot.h"

namespace mirvo {

StampParts SplitStamp(const std::string& stampText) {
  const auto space = stampText.find(' ');
  if (space == std::string::npos) return {"", stampText};
  return {stampText.substr(0, space), stampText.substr(space + 1)};
}

std::string ExportKind(const std::string& kindText) {
  const auto colon = kindText.find(':');
  return colon == std::string::npos ? kindText : kindText.substr(colon + 1);
}

FileResult ExportSpectrumCsv(SpectrumPlot& plot, const std::string& path, bool hardSize, const AcquisitionTimes& times,
                             FileSystemOps& fs) {
  SpectrumRecord& record = plot.Record();
  record.hardSize = std::clamp(record.hardSize, kMinHardSize, kMaxChannels);
  record.softSize = std::clamp(record.softSize, kMinHardSize, kMaxChannels);
  plot.RebuildSoftSpectrum();
  const int n = hardSize ? record.hardSize : record.softSize;
  const std::uint32_t* counts = hardSize ? record.hardCounts : record.softCounts;

  SafeFileWriter out(fs);
  if (out.Open(path) != kFileOk) return {kFileCannotCreate, kUnableToSaveFile, path, out.FailureReason()};
  const StampParts stamp = SplitStamp(times.stampText);
  const std::string kind = ExportKind(times.kindText);
  out.Printf("Spectrum S%d:%s\n", record.spectrumIndex, record.caption.c_str());
  out.Write("Date [dd/mm/yyyy]," + kind + "," + stamp.date + "\n");
  out.Write("Time [hh:mm:ss]," + kind + "," + stamp.time + "\n");
  out.Write("TAG," + record.tag + "\n");
  out.Printf("Real Time[s], %10.4f\n", times.realSeconds);
  out.Printf("Live Time[s], %10.4f\n\n", times.liveSeconds);
  out.Write("Channel, Counts\n");
  for (int c = 0; c < n; ++c) out.Printf("%d, %u\n", c, counts[c]);
  if (out.Commit() != kFileOk) return {kFileWriteFailed, kErrorWritingToFile, path, out.FailureReason()};
  return {kFileOk, "", path};
}

}  // namespace mirvo
