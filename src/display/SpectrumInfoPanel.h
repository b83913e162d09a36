// The texts of the "Spectrum Info" pane and the two status-bar panes (UpdatePeakInfo), kept with
// the values last shown so that unchanged values are not formatted again; the FOM and rates fields.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "display/CountingStatistics.h"
#include "display/PeakAnalysis.h"
#include "display/PeakFit.h"
#include "display/ScaledBackground.h"

namespace mirvo {

class SpectrumPlot;

// Asked to refresh the energy display of its range limits when the units change.
class IUnitsListener {
 public:
  virtual ~IUnitsListener() = default;
  virtual void UnitsRefreshed() = 0;
};

// The counting uncertainties, detection limits and the fitted peak of the ROI at the cursor. Counts
// are formatted "%.0f", positions and widths like the peak fields (in the calibration's unit when it
// is on). A field without a value holds "" (net fields without a background, fit fields without a
// fit).
struct PeakStatisticsTexts {
  std::string integralSigma = "";  // one sigma of INTEGRAL
  std::string areaSigma = "";      // one sigma of AREA
  std::string centroidSigma = "";  // FWHM / (2.355 sqrt(area)), in the CENTROID's unit
  std::string criticalLevel = "";  // Currie LC of the (net) area
  std::string detectionLimit = ""; // Currie LD of the (net) area
  std::string aboveCritical = "";  // "YES" or "NO": the (net) area exceeds LC
  std::string netArea = "";        // area minus the scaled background's area, with a background
  std::string netAreaSigma = "";
  std::string fitCentroid = "";
  std::string fitCentroidSigma = "";
  std::string fitFwhm = "";
  std::string fitFwhmSigma = "";
  std::string fitArea = "";
  std::string fitAreaSigma = "";
  std::string fitChiSquare = "";   // reduced chi-square "%.2f"
  std::string fitStatus = "";      // "OK" or "POOR"
  std::string fitDetail = "";      // the continuum model and, when poor, why
  bool fitPoor = false;
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
  PeakStatisticsTexts statistics{};
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
  // A background for the net area and the limits: used for a plot whose soft size it matches.
  // std::nullopt removes it. Without one, the provider (when set) is asked for the plot being
  // analysed (nullptr for none); what it gives is used under the same condition.
  void SetBackground(std::optional<ScaledBackground> background) { background_ = std::move(background); }
  using BackgroundProvider = std::function<const ScaledBackground*(const SpectrumPlot&)>;
  void SetBackgroundProvider(BackgroundProvider provider) { backgroundProvider_ = std::move(provider); }
  // The figures behind the statistics texts, from the last UpdatePeakInfo.
  const CountingStatistics& Statistics() const { return statistics_; }
  const PeakFitResult& Fit() const { return fit_; }

  const SpectrumInfoTexts& Texts() const { return texts_; }
  bool PeakShown() const { return peakShown_; }
  bool IntegralShown() const { return integralShown_; }
  // "Spectrum Info S%d".
  static std::string PaneTitle(int spectrumIndex);

 private:
  void BlankPeakFields();
  void UpdateStatistics(const SpectrumPlot& plot, int result, int first, int last);
  const ScaledBackground* BackgroundFor(const SpectrumPlot& plot) const;

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
  std::optional<ScaledBackground> background_;
  BackgroundProvider backgroundProvider_;
  CountingStatistics statistics_;
  PeakFitResult fit_;
  // The fit is redone only when the ROI or its counts change.
  int fitFirst_ = -1;
  int fitLast_ = -1;
  std::uint64_t fitChecksum_ = 0;
};

}  // namespace mirvo
