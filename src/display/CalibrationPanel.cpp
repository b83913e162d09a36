#include "display/CalibrationPanel.h"

#include <algorithm>

#include "base/TextFormat.h"
#include "display/PlotTables.h"
#include "display/SpectrumInfoPanel.h"
#include "display/SpectrumPlot.h"
#include "display/UserDialog.h"

namespace mirvo {

namespace {
constexpr const char* kCaptionPlain = "CALIBRATION";
constexpr const char* kCaptionSelected = "CALIBRATION w/ SELECTED";
constexpr const char* kCaptionAll = "CALIBRATION w/ ALL";
}  // namespace

CalibrationPanel::CalibrationPanel(IPlotTables& tables, IUserDialog& dialog, SpectrumInfoPanel* info)
    : tables_(tables), dialog_(dialog), info_(info) {}

std::string CalibrationPanel::PaneTitle(int spectrumIndex) { return FormatText("Calibration S%d", spectrumIndex); }

void CalibrationPanel::Initialise() {
  initialised_ = true;
  rows_.clear();
  unitIndex_ = 0;
  groupCaption_ = "Not Calibrated";
  coefficientTexts_ = {"a = ?", "b = ?", "c = ?"};
}

bool CalibrationPanel::ActiveVisible() { return initialised_ && tables_.ActivePlot().Visible(); }

void CalibrationPanel::SetCalChecked(bool checked) {
  enableChecked_ = checked;
  if (info_ != nullptr) info_->SetCalChecked(checked);
}

void CalibrationPanel::SetRowTicked(int row, bool ticked) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) rows_[static_cast<std::size_t>(row)].ticked = ticked;
}

void CalibrationPanel::Cursor() {
  if (!initialised_) return;
  channelText_ = FormatText("%d", tables_.ActivePlot().Cursor());
}

void CalibrationPanel::Peak() {
  if (!initialised_) return;
  channelText_ = FormatText("%8.2f", tables_.ActivePlot().CursorPeak().centroid);
}

void CalibrationPanel::SelectUnit(int index) {
  if (!ActiveVisible() || index < 0 || index >= kUnitCount) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  unitIndex_ = index;
  plot.Record().stored.unitIndex = index;
  plot.Record().working.unitIndex = index;
  plot.SetUnitsRefresh();
}

void CalibrationPanel::SetEnabled(bool enabled) {
  if (!ActiveVisible()) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  SetCalChecked(enabled);
  plot.Record().stored.enabled = enabled ? 1 : 0;
  plot.Record().working.enabled = enabled ? 1 : 0;
  plot.SetUnitsRefresh();
  plot.RequestRedraw(RedrawKind::Full);
}

void CalibrationPanel::RebuildRecord(CalibrationRecord& record, double multiplier) const {
  const std::size_t count = std::min<std::size_t>(rows_.size(), CalibrationRecord::kPointSlots);
  record.pointCount = static_cast<std::int32_t>(count);
  for (std::size_t i = 0; i < count; ++i) {
    record.channel[i] = ParseLeadingDouble(rows_[i].channelText) * multiplier;
    record.energy[i] = ParseLeadingDouble(rows_[i].energyText);
    record.ticked[i] = rows_[i].ticked ? 1 : 0;
  }
}

void CalibrationPanel::RebuildRecords(SpectrumRecord& record, int factor) {
  RebuildRecord(record.stored, std::max(factor, 1));
  RebuildRecord(record.working, 1.0);
}

void CalibrationPanel::AddPoint() {
  if (!ActiveVisible()) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  if (rows_.size() >= static_cast<std::size_t>(CalibrationRecord::kMaxPoints)) {
    dialog_.ShowMessage(FormatText(kMaxPointsMessage, CalibrationRecord::kMaxPoints));
  } else {
    CalibrationRow row;
    row.channelText = FormatText("%8.2f", ParseLeadingDouble(channelText_));
    row.energyText = FormatText("%8.4f", ParseLeadingDouble(energyText_));
    rows_.insert(rows_.begin(), row);
  }
  RebuildRecords(plot.Record(), plot.Factor());
  channelText_.clear();
  energyText_.clear();
}

void CalibrationPanel::RemoveSelectedPoints() {
  if (!ActiveVisible()) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  std::erase_if(rows_, [](const CalibrationRow& row) { return row.ticked; });
  RebuildRecords(plot.Record(), plot.Factor());
}

void CalibrationPanel::RemoveAllPoints() {
  if (!ActiveVisible()) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  rows_.clear();
  RebuildRecords(plot.Record(), plot.Factor());
}

void CalibrationPanel::EditSelectedPoints() {
  if (!ActiveVisible()) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  const auto row = std::find_if(rows_.begin(), rows_.end(), [](const CalibrationRow& r) { return r.ticked; });
  if (row == rows_.end()) {
    channelText_.clear();
    energyText_.clear();
  } else {
    channelText_ = row->channelText;
    energyText_ = row->energyText;
    rows_.erase(row);
  }
  RebuildRecords(plot.Record(), plot.Factor());
}

void CalibrationPanel::ListLostFocus() {
  if (!initialised_) return;
  SpectrumPlot& plot = tables_.ActivePlot();
  RebuildRecords(plot.Record(), plot.Factor());
}

void CalibrationPanel::ShowCoefficients(const CalibrationRecord& working, const char* caption) {
  coefficientTexts_ = {FormatText("a = %8.4f", working.a), FormatText("b = %8.4f", working.b),
                       FormatText("c = %8.4f", working.c)};
  groupCaption_ = caption;
}

int CalibrationPanel::FitCalibration(bool useAll, bool quiet) { return FitOn(tables_.ActivePlot(), useAll, quiet); }

int CalibrationPanel::FitOn(SpectrumPlot& plot, bool useAll, bool quiet) {
  SpectrumRecord& record = plot.Record();
  record.stored.useAll = record.working.useAll = useAll ? 1 : 0;
  RebuildRecords(record, plot.Factor());
  FitCoefficients fit;
  const int status = FitPoints(record.working, fit);
  if (status != kFitDone) {
    if (!quiet) dialog_.ShowMessage(status == kFitTooFewPoints ? kTooFewPointsMessage : kTooFewChannelsMessage);
    ShowCoefficients(record.working, kCaptionPlain);
    return status;
  }
  record.working.a = fit.a;
  record.working.b = fit.b;
  record.working.c = fit.c;
  ShowCoefficients(record.working, useAll ? kCaptionAll : kCaptionSelected);
  return kFitDone;
}

void CalibrationPanel::Calibrate(bool useAll) {
  if (!ActiveVisible()) return;
  FitCalibration(useAll);
  SpectrumPlot& plot = tables_.ActivePlot();
  plot.SetUnitsRefresh();
  plot.RequestRedraw(RedrawKind::Full);
}

void CalibrationPanel::Reload(SpectrumPlot& plot) {
  SpectrumRecord& record = plot.Record();
  CalibrationRecord& stored = record.stored;
  CalibrationRecord& working = record.working;
  const int factor = std::max(plot.Factor(), 1);
  rows_.clear();
  const int count = std::clamp(stored.pointCount, 0, CalibrationRecord::kMaxPoints);
  // The rows keep the stored order, so that reloading and refitting never reorders the points.
  for (int i = 0; i < count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    working.channel[slot] = stored.channel[slot] / factor;
    working.energy[slot] = stored.energy[slot];
    working.ticked[slot] = stored.ticked[slot];
    rows_.push_back(CalibrationRow{FormatText("%8.2f", working.channel[slot]), FormatText("%8.4f", working.energy[slot]),
                                   stored.ticked[slot] != 0});
  }
  working.pointCount = count;
  working.useAll = stored.useAll;
  if (stored.unitIndex < 0 || stored.unitIndex >= kUnitCount) stored.unitIndex = 0;
  working.unitIndex = stored.unitIndex;
  unitIndex_ = working.unitIndex;
  working.enabled = stored.enabled;
  SetCalChecked(working.enabled != 0);

  bool fitted = false;
  CalibrationRecord listed = working;
  RebuildRecord(listed, 1.0);
  if (listed.UsedPointCount() > 1) {
    fitted = FitOn(plot, stored.useAll != 0, true) == kFitDone;
  }
  plot.SetUnitsRefresh();
  fomTexts_ = {FormatText("%d", stored.fomPeak1First / factor), FormatText("%d", stored.fomPeak1Last / factor),
               FormatText("%d", stored.fomPeak2First / factor), FormatText("%d", stored.fomPeak2Last / factor)};
  const bool calibratedCaption = working.pointCount > 1 && (fitted || listed.UsedPointCount() <= 1);
  ShowCoefficients(working, calibratedCaption ? (working.useAll != 0 ? kCaptionAll : kCaptionSelected) : kCaptionPlain);
}

void CalibrationPanel::SetFomText(int index, const std::string& text) {
  if (index >= 0 && index < 4) fomTexts_[static_cast<std::size_t>(index)] = text;
}

void CalibrationPanel::FomPeak(int n) {
  if (!initialised_ || (n != 1 && n != 2)) return;
  SpectrumPlot& s0 = tables_.ActivePlot(0);
  if (tables_.ActiveSpectrumIndex() != 0 || !s0.FindRoiAtCursor()) {
    dialog_.ShowMessage(kFomOutsideRoiMessage);
    return;
  }
  const int first = s0.RoiFirst();
  const int last = s0.RoiLast();
  const int factor = std::max(s0.Factor(), 1);
  CalibrationRecord& stored = s0.Record().stored;
  CalibrationRecord& working = s0.Record().working;
  if (n == 1) {
    stored.fomPeak1First = first * factor;
    stored.fomPeak1Last = last * factor;
    working.fomPeak1First = first;
    working.fomPeak1Last = last;
  } else {
    stored.fomPeak2First = first * factor;
    stored.fomPeak2Last = last * factor;
    working.fomPeak2First = first;
    working.fomPeak2Last = last;
  }
  const std::size_t base = n == 1 ? 0 : 2;
  fomTexts_[base] = FormatText("%d", first);
  fomTexts_[base + 1] = FormatText("%d", last);
}

void CalibrationPanel::FomMark(int n) {
  if (!initialised_ || (n != 1 && n != 2)) return;
  SpectrumPlot& s0 = tables_.ActivePlot(0);
  const std::size_t base = n == 1 ? 0 : 2;
  const long long first = ParseLeadingInteger(fomTexts_[base]);
  const long long last = ParseLeadingInteger(fomTexts_[base + 1]);
  // A range off the spectrum or turned around has nothing to mark.
  if (first < 0 || last < first || last >= s0.SoftSize()) return;
  const int factor = std::max(s0.Factor(), 1);
  const auto hardFirst = static_cast<std::size_t>(first * factor);
  const auto hardLast = static_cast<std::size_t>(last * factor + factor - 1);
  auto& hardRoi = s0.Record().hardRoi;
  for (std::size_t h = hardFirst; h <= hardLast && h < hardRoi.size(); ++h) {
    if (hardRoi[h] != 0) {
      dialog_.ShowMessage(kFomOverlapMessage);
      return;
    }
  }
  for (std::size_t h = hardFirst; h <= hardLast && h < hardRoi.size(); ++h) hardRoi[h] = 1;
  s0.RebuildSoftRoi();
  s0.RequestRedraw(RedrawKind::Partial);
  s0.ActivatePlot();
}

}  // namespace mirvo
