// The calibration pane's behaviour over its point list: adding, editing and removing points, the
// fit, the unit and enable controls, the FOM ranges of S0 and reloading from a plot's records.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "display/CalibrationFit.h"

namespace mirvo {

class SpectrumInfoPanel;
class SpectrumPlot;
class IPlotTables;
class IUserDialog;
struct SpectrumRecord;

inline constexpr const char* kMaxPointsMessage = "Maximum number of %d points has been reached";
inline constexpr const char* kFomOutsideRoiMessage = "Please, place the cursor within a ROI marked peak in S0!";
inline constexpr const char* kFomOverlapMessage = "ROI will overlap with an existing ROI. ROI Marking aborted!";

struct CalibrationRow {
  std::string channelText;  // "%8.2f"
  std::string energyText;   // "%8.4f"
  bool ticked = false;
};

class CalibrationPanel {
 public:
  CalibrationPanel(IPlotTables& tables, IUserDialog& dialog, SpectrumInfoPanel* info = nullptr);

  // The panel's first update: empty list, unit "chn", "Not Calibrated", "a = ?" ... Until then
  // every action does nothing.
  void Initialise();
  bool Initialised() const { return initialised_; }

  // --- edits and buttons
  void SetChannelText(const std::string& text) { channelText_ = text; }
  void SetEnergyText(const std::string& text) { energyText_ = text; }
  void SetRowTicked(int row, bool ticked);
  void Cursor();
  void Peak();
  void SelectUnit(int index);
  void SetEnabled(bool enabled);
  void AddPoint();
  void RemoveSelectedPoints();
  void RemoveAllPoints();
  void EditSelectedPoints();
  void ListLostFocus();
  void Calibrate(bool useAll);
  // PEAK 1 / PEAK 2 (n = 1 or 2) and MARK 1 / MARK 2.
  void FomPeak(int n);
  void FomMark(int n);
  // The four FOM edits: peak 1 first, peak 1 last, peak 2 first, peak 2 last (soft channels).
  void SetFomText(int index, const std::string& text);

  // ReloadCalibrationPanel: shows the records of a plot (the main window calls it when the active
  // plot changes and after a calibration was copied onto it).
  void Reload(SpectrumPlot& plot);
  // FitCalibration on the active plot; returns kFitDone or the refusal. quiet: no message box.
  int FitCalibration(bool useAll, bool quiet = false);

  // --- what the pane shows
  const std::vector<CalibrationRow>& Rows() const { return rows_; }
  const std::string& ChannelText() const { return channelText_; }
  const std::string& EnergyText() const { return energyText_; }
  int UnitIndex() const { return unitIndex_; }
  bool EnableChecked() const { return enableChecked_; }
  const std::string& GroupCaption() const { return groupCaption_; }
  const std::array<std::string, 3>& CoefficientTexts() const { return coefficientTexts_; }
  const std::array<std::string, 4>& FomTexts() const { return fomTexts_; }
  // "Calibration S%d".
  static std::string PaneTitle(int spectrumIndex);

 private:
  bool ActiveVisible();
  int FitOn(SpectrumPlot& plot, bool useAll, bool quiet);
  void RebuildRecord(CalibrationRecord& record, double multiplier) const;
  void RebuildRecords(SpectrumRecord& record, int factor);
  void ShowCoefficients(const CalibrationRecord& working, const char* caption);
  void SetCalChecked(bool checked);

  IPlotTables& tables_;
  IUserDialog& dialog_;
  SpectrumInfoPanel* info_;
  bool initialised_ = false;
  std::vector<CalibrationRow> rows_;
  std::string channelText_;
  std::string energyText_;
  int unitIndex_ = 0;
  bool enableChecked_ = false;
  std::string groupCaption_ = "Not Calibrated";
  std::array<std::string, 3> coefficientTexts_ = {"a = ?", "b = ?", "c = ?"};
  std::array<std::string, 4> fomTexts_;
};

}  // namespace mirvo
