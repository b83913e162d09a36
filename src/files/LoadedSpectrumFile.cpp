#include "files/LoadedSpectrumFile.h"

#include <charconv>

#include "display/PeakAnalysis.h"
#include "display/RecordSets.h"
#include "files/SpectrumFile.h"
#include "files/SpectrumImport.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

LoadedSpectrumFile::LoadedSpectrumFile()
    : memory_(std::make_unique<SpectrumMemory>()), sets_(std::make_unique<RecordSets>(*memory_)) {}

LoadedSpectrumFile::~LoadedSpectrumFile() = default;

FileResult LoadedSpectrumFile::Load(const std::string& path) {
  notes_.clear();
  damage_.clear();
  return LoadAnySpectrumFile(*sets_, path, notes_, &damage_);
}

SpectrumPlot& LoadedSpectrumFile::Plot(int spectrum) { return sets_->FilePlot(spectrum); }

AcquisitionTimes LoadedSpectrumFile::Times() {
  const RegisterImage& registers = Plot(0).Record().registers;
  return TimesFromRegisters(registers, SamplePeriodFromRegisters(registers));
}

RoiAnalysis AnalyseRoi(const SpectrumPlot& plot, int first, int last) {
  RoiAnalysis roi;
  roi.result = AnalysePeak(plot, first, last, roi.peak);
  if (roi.result == kPeakFound) {
    if (roi.peak.area < 0.0) roi.peak.area = 0.0;
    roi.resolution = roi.peak.centroid > 0.0 ? roi.peak.fwhm * 100.0 / roi.peak.centroid : 0.0;
  }
  return roi;
}

namespace {
bool WholeInteger(std::string_view text, int& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && !text.empty();
}
}  // namespace

bool ParseSpectrumIndex(const std::string& text, int& spectrum) {
  int value = 0;
  if (!WholeInteger(text, value) || value < 0 || value > 3) return false;
  spectrum = value;
  return true;
}

bool ParseChannelRange(const std::string& text, int& first, int& last) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string_view all(text);
  return WholeInteger(all.substr(0, colon), first) && WholeInteger(all.substr(colon + 1), last);
}

}  // namespace mirvo
