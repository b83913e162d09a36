// The texts of the "Spectrum Info" pane and the two status-bar panes (UpdatePeakInfo), kept with
// the values last shown so that unchanged values are not formatted again; the FOM and rates fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/PeakAnalysis.h"

namespace mirvo {

class SpectrumPlot;

// Asked to refresh the energy display of its range limits when the units change.
class IUnitsListener {
 public:
  virtual ~IUnitsListener() = default;
  virtual void UnitsRefreshed() = 0;
};

struct SpectrumInfoTexts {
  std::string position = "";
  std::string counts = "";
  std::array<std::string, 4> unitLabels = {"chn", "chn", "chn", "chn"};  // POSITION, CENTROID, FWHM, FWTM
  std::string centroid = kBlankValue;
  std::string fwhm = kBlankValue;
  std::string fwtm = kBlankValue;
  std::string resolution = kBlankValue;
  std::string integral = kBlankValue;
  std::string area = kBlankValue;
  std::string fom = kBlankValue;
  std::string cursorStatus = "";  // status bar: "CURSOR: %-6d  COUNTS: %-10lu"
  std::string roiStatus = " ";    // status bar: "ROI: %6d to %-6d  W: %-6d" or " "
  std::string real = "0.00";
  std::string live = "0.00";
  std::string dead = "0.00";
  std::int64_t throughput = 0;
  std::int64_t incoming = 0;
  int losses = 0;  // bar 0..100
  bool calChecked = false;  // the CAL box follows ENABLE CALIBRATION
};

class SpectrumInfoPanel {
 public:
  explicit SpectrumInfoPanel(IUnitsListener* unitsListener = nullptr) : unitsListener_(unitsListener) {}
  // The pulse-shape panel, once it exists; nullptr for none.
  void SetUnitsListener(IUnitsListener* unitsListener) { unitsListener_ = unitsListener; }

  // Brings the texts up to date with the plot's cursor, its ROI and its peak. Returns the result
  // of the ROI analysis (0 outside a ROI or for too narrow a ROI, 1 peak, 2 flat).
  int UpdatePeakInfo(SpectrumPlot& plot);
  // The FOM field from ComputeFom on S0's active plot.
  void UpdateFom(const SpectrumPlot& s0Plot);
  void SetRates(const CountingRates& rates);
  void SetTimes(const std::string& real, const std::string& live, const std::string& dead);
  void SetCalChecked(bool checked) { texts_.calChecked = checked; }

  const SpectrumInfoTexts& Texts() const { return texts_; }
  bool PeakShown() const { return peakShown_; }
  bool IntegralShown() const { return integralShown_; }
  // "Spectrum Info S%d".
  static std::string PaneTitle(int spectrumIndex);

 private:
  void BlankPeakFields();

  IUnitsListener* unitsListener_;
  SpectrumInfoTexts texts_;
  const char* positionFormat_ = "%8.0f";
  bool peakShown_ = false;
  bool integralShown_ = false;
  bool hasCursor_ = false;
  int lastCursor_ = 0;
  std::uint32_t lastCount_ = 0;
  double lastIntegral_ = 0.0;
  double lastArea_ = 0.0;
  double lastCentroid_ = 0.0;
  double lastFwhm_ = 0.0;
};

}  // namespace mirvo
