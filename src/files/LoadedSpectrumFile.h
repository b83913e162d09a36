// A spectrum file loaded into a FILE set of its own, outside the main window, and the peak
// analysis of a ROI of it with the program's own code: what the command-line tool works on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/PeakResult.h"
#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"

namespace mirvo {

class RecordSets;
class SpectrumPlot;
class SpectrumMemory;

class LoadedSpectrumFile {
 public:
  LoadedSpectrumFile();
  ~LoadedSpectrumFile();
  LoadedSpectrumFile(const LoadedSpectrumFile&) = delete;
  LoadedSpectrumFile& operator=(const LoadedSpectrumFile&) = delete;

  // LoadAnySpectrumFile into the FILE set: a spectrum file, an N42.42 or an IAEA SPE file.
  FileResult Load(const std::string& path);
  // What the last load of an N42 or SPE file had to tell (padding, spectra that went to S1).
  const std::vector<std::string>& Notes() const { return notes_; }
  // What the file was missing or had damaged (empty for a whole file): the tool warns and exits 3.
  const std::vector<std::string>& Damage() const { return damage_; }
  SpectrumPlot& Plot(int spectrum);
  RecordSets& Sets() { return *sets_; }
  // The times and stamp as the acquisition panel shows them with this FILE set shown.
  AcquisitionTimes Times();

 private:
  std::unique_ptr<SpectrumMemory> memory_;
  std::unique_ptr<RecordSets> sets_;
  std::vector<std::string> notes_;
  std::vector<std::string> damage_;
};

// A ROI as the information pane analyses it: AnalysePeak over soft channels first..last, the area
// shown as 0 when negative, the resolution FWHM x 100 / centroid (0 for a centroid of 0).
struct RoiAnalysis {
  int result = 0;  // kPeakNone, kPeakFound or kPeakFlat
  PeakResult peak;
  double resolution = 0.0;
};
RoiAnalysis AnalyseRoi(const SpectrumPlot& plot, int first, int last);

// Command-line arguments: a spectrum index "0".."3"; a range "FIRST:LAST" of two integers.
bool ParseSpectrumIndex(const std::string& text, int& spectrum);
bool ParseChannelRange(const std::string& text, int& first, int& last);

}  // namespace mirvo
