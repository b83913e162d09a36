#include "display/SpectrumInfoPanel.h"

#include <cmath>

#include "base/TextFormat.h"
#include "display/SpectrumPlot.h"

namespace mirvo {

namespace {

std::uint64_t Checksum(const std::uint32_t* counts, int first, int last) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (int i = first; i <= last; ++i) {
    hash ^= counts[i];
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

const ScaledBackground* SpectrumInfoPanel::BackgroundFor(const SpectrumPlot& plot) const {
  const ScaledBackground* background = background_           ? &*background_
                                       : backgroundProvider_ ? backgroundProvider_(plot)
                                                             : nullptr;
  // One made for other soft channels does not apply to this plot.
  if (background != nullptr && static_cast<int>(background->counts.size()) != plot.SoftSize()) return nullptr;
  return background;
}

void SpectrumInfoPanel::UpdateStatistics(const SpectrumPlot& plot, int result, int first, int last) {
  PeakStatisticsTexts& t = texts_.statistics;
  if (result == kPeakNone) {
    statistics_ = CountingStatistics{};
    fit_ = PeakFitResult{};
    fitFirst_ = fitLast_ = -1;
    t = PeakStatisticsTexts{};
    return;
  }
  const SpectrumRecord& record = plot.Record();
  const bool calibrated = plot.Calibrated();
  const double a = calibrated ? record.working.a : 0.0;
  const double b = calibrated ? record.working.b : 1.0;
  const double c = calibrated ? record.working.c : 0.0;
  const auto energy = [a, b, c](double x) { return a * x * x + b * x + c; };
  const auto slope = [a, b](double x) { return std::fabs(2.0 * a * x + b); };

  statistics_ = ComputeCountingStatistics(record.softCounts, plot.SoftSize(), first, last, BackgroundFor(plot),
                                          &plot.CursorPeak(), result == kPeakFound);
  const CountingStatistics& s = statistics_;
  t.integralSigma = FormatText("%.0f", s.integralSigma);
  t.areaSigma = FormatText("%.0f", s.areaSigma);
  t.centroidSigma = result == kPeakFound && s.centroidSigma > 0.0
                        ? FormatText("%.2f", s.centroidSigma * slope(plot.CursorPeak().centroid))
                        : std::string();
  t.criticalLevel = FormatText("%.0f", s.criticalLevel);
  t.detectionLimit = FormatText("%.0f", s.detectionLimit);
  t.aboveCritical = s.aboveCritical ? "YES" : "NO";
  t.netArea = s.hasBackground ? FormatText("%.0f", s.netArea) : std::string();
  t.netAreaSigma = s.hasBackground ? FormatText("%.0f", s.netAreaSigma) : std::string();

  const std::uint64_t checksum = Checksum(record.softCounts, first, last);
  if (first != fitFirst_ || last != fitLast_ || checksum != fitChecksum_) {
    fit_ = FitPeak(record.softCounts, plot.SoftSize(), first, last);
    fitFirst_ = first;
    fitLast_ = last;
    fitChecksum_ = checksum;
  }
  if (!fit_.fitted) {
    t.fitCentroid = t.fitCentroidSigma = t.fitFwhm = t.fitFwhmSigma = t.fitArea = t.fitAreaSigma = t.fitChiSquare = "";
  } else {
    const double dx = slope(fit_.centroid);
    t.fitCentroid = FormatText("%8.2f", energy(fit_.centroid));
    t.fitCentroidSigma = FormatText("%.2f", fit_.centroidSigma * dx);
    t.fitFwhm = FormatText("%8.2f", fit_.fwhm * dx);
    t.fitFwhmSigma = FormatText("%.2f", fit_.fwhmSigma * dx);
    t.fitArea = FormatText("%.0f", fit_.area);
    t.fitAreaSigma = FormatText("%.0f", fit_.areaSigma);
    t.fitChiSquare = FormatText("%.2f", fit_.reducedChiSquare);
  }
  t.fitPoor = fit_.Poor();
  t.fitStatus = fit_.Poor() ? "POOR" : "OK";
  std::string detail = fit_.fitted ? FormatText("Gaussian on a %s continuum", FitContinuumName(fit_.continuum))
                                   : std::string("No fit");
  if (fit_.Poor()) detail.append(": ").append(FitFlagsText(fit_.flags));
  t.fitDetail = detail;
}

std::string SpectrumInfoPanel::PaneTitle(int spectrumIndex) { return FormatText("Spectrum Info S%d", spectrumIndex); }

void SpectrumInfoPanel::BlankPeakFields() {
  for (std::string* field : {&texts_.centroid, &texts_.fwhm, &texts_.fwtm, &texts_.area, &texts_.resolution})
    field->assign(kBlankValue);
}

int SpectrumInfoPanel::UpdatePeakInfo(SpectrumPlot& plot) {
  const SpectrumRecord& record = plot.Record();
  const bool calibrated = plot.Calibrated();
  const double a = calibrated ? record.working.a : 0.0;
  const double b = calibrated ? record.working.b : 1.0;
  const double c = calibrated ? record.working.c : 0.0;
  const auto energy = [a, b, c](double x) { return a * x * x + b * x + c; };

  // The units refresh is taken once here, so that every field below is rewritten in the new units.
  const bool unitsRefresh = plot.UnitsRefresh();
  if (unitsRefresh) {
    const char* unit = calibrated ? record.working.UnitName() : kUnitNames[0];
    for (std::string& label : texts_.unitLabels) label.assign(unit);
    positionFormat_ = calibrated ? "%8.2f" : "%8.0f";
    if (unitsListener_ != nullptr) unitsListener_->UnitsRefreshed();
  }

  const int cursor = plot.Cursor();
  const std::uint32_t count = plot.SoftCount(cursor);
  if (!hasCursor_ || cursor != lastCursor_ || count != lastCount_ || unitsRefresh) {
    plot.SetUnitsRefresh(false);
    hasCursor_ = true;
    lastCursor_ = cursor;
    lastCount_ = count;
    texts_.position = FormatText(positionFormat_, energy(cursor));
    texts_.counts = FormatText("%10lu", static_cast<unsigned long>(count));
    texts_.cursorStatus = FormatText("CURSOR: %-6d  COUNTS: %-10lu", cursor, static_cast<unsigned long>(count));
  }

  int result = kPeakNone;
  if (!plot.FindRoiAtCursor()) {
    texts_.roiStatus.assign(1, ' ');
  } else {
    const int first = plot.RoiFirst();
    const int last = plot.RoiLast();
    texts_.roiStatus = FormatText("ROI: %6d to %-6d  W: %-6d", first, last, last - first + 1);
    result = AnalysePeak(plot, first, last, plot.CursorPeak());
  }

  UpdateStatistics(plot, result, plot.RoiFirst(), plot.RoiLast());

  const PeakResult& peak = plot.CursorPeak();
  if (result == kPeakFound) {
    const double area = peak.area < 0.0 ? 0.0 : peak.area;
    // Fields blanked since the last peak are rewritten even when the values match it.
    if (!peakShown_ || unitsRefresh || peak.integral != lastIntegral_ || area != lastArea_ ||
        peak.centroid != lastCentroid_ || peak.fwhm != lastFwhm_) {
      lastIntegral_ = peak.integral;
      lastArea_ = area;
      lastCentroid_ = peak.centroid;
      lastFwhm_ = peak.fwhm;
      const double centroidEnergy = energy(peak.centroid);
      const double fwhm = a * (peak.halfRight * peak.halfRight - peak.halfLeft * peak.halfLeft) +
                          b * (peak.halfRight - peak.halfLeft);
      const double fwtm = a * (peak.tenthRight * peak.tenthRight - peak.tenthLeft * peak.tenthLeft) +
                          b * (peak.tenthRight - peak.tenthLeft);
      const double resolution = centroidEnergy > 0.0 ? fwhm * 100.0 / centroidEnergy : 0.0;
      texts_.integral = FormatText("%5.0f", peak.integral);
      texts_.area = FormatText("%5.0f", area);
      texts_.centroid = FormatText("%8.2f", centroidEnergy);
      texts_.fwhm = FormatText("%8.2f", fwhm);
      texts_.fwtm = FormatText("%8.2f", fwtm);
      texts_.resolution = FormatText("%8.2f", resolution);
      peakShown_ = true;
    }
  } else if (result == kPeakFlat) {
    texts_.integral = FormatText("%5.0f", peak.integral);
    integralShown_ = true;
    if (peakShown_) {
      BlankPeakFields();
      peakShown_ = false;
    }
  } else {
    if (peakShown_ || integralShown_) {
      texts_.integral = kBlankValue;
      integralShown_ = false;
    }
    if (peakShown_) {
      BlankPeakFields();
      peakShown_ = false;
    }
  }
  return result;
}

void SpectrumInfoPanel::UpdateFom(const SpectrumPlot& s0Plot) { texts_.fom = ComputeFom(s0Plot).text; }

void SpectrumInfoPanel::SetRates(const CountingRates& rates) {
  texts_.throughput = rates.throughput;
  texts_.incoming = rates.incoming;
  texts_.losses = rates.lossesPercent;
}

void SpectrumInfoPanel::SetTimes(const std::string& real, const std::string& live, const std::string& dead) {
  texts_.real = real;
  texts_.live = live;
  texts_.dead = dead;
}

}  // namespace mirvo
