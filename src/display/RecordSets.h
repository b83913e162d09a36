// The main window's record tables as one core object: the eight plots with their records bound to
// their count storage, the active/settings/live/save records, SyncShownSet and the set commands.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "records/SpectrumRecord.h"
#include "display/PlotHost.h"
#include "display/PlotTables.h"
#include "display/SpectrumPlot.h"

namespace mirvo {

class SpectrumMemory;

constexpr int kBufferSet = 0;
constexpr int kFileSet = 1;

// Copy ROI and Copy Calibration command numbers.
constexpr int kCopyRoiFileToBuffer = 32835;
constexpr int kCopyRoiBufferToFile = 32836;
constexpr int kCopyCalibrationFileToBuffer = 32838;
constexpr int kCopyCalibrationBufferToFile = 32839;
constexpr int kCaptionsCommand = 32876;
constexpr int kRoiModeMarkOverCommand = 32887;
constexpr int kRoiModeFromCursorCommand = 32888;

// What the window holding the panes does when the tables change; every call has a no-op default.
class IRecordSetsListener {
 public:
  virtual ~IRecordSetsListener() = default;
  virtual void TabSelected(int /*spectrum*/, int /*set*/) {}
  virtual void PaneTitleChanged(int /*spectrum*/, const std::string& /*title*/) {}
  // SyncShownSet step 4: every settings panel refreshes from the settings record, enabled only
  // while it is live; then the trace viewer refreshes.
  virtual void RefreshSettingsPanels(SpectrumRecord& /*settingsRecord*/, bool /*enabled*/) {}
  // SyncShownSet step 5: reload the calibration panel from the plot and retitle the calibration
  // and information panes with the spectrum index.
  virtual void ActiveSpectrumShown(CSpectrumPlot& /*plot*/, int /*spectrum*/) {}
  // A calibration was copied onto the active plot of the active spectrum: reload the panel.
  virtual void CalibrationCopiedOntoActive(CSpectrumPlot& /*plot*/) {}
  // Forwarded from the plots (IPlotHost).
  virtual void PeakInfoDue(CSpectrumPlot& /*plot*/) {}
  virtual void SizesApplied(CSpectrumPlot& /*plot*/) {}
  virtual void FocusRequested(CSpectrumPlot& /*plot*/) {}
};

class CRecordSets final : public IPlotHost, public IPlotTables {
 public:
  // Binds the BUFFER records to the spectra of `memory` (which must outlive this object) and the
  // FILE records to arrays of their own.
  explicit CRecordSets(SpectrumMemory& memory, IRecordSetsListener* listener = nullptr);
  CRecordSets(const CRecordSets&) = delete;
  CRecordSets& operator=(const CRecordSets&) = delete;
  void SetListener(IRecordSetsListener* listener);

  // --- tables
  CSpectrumPlot& Plot(int spectrum, int set);
  CSpectrumPlot& BufferPlot(int spectrum) { return Plot(spectrum, kBufferSet); }
  CSpectrumPlot& FilePlot(int spectrum) { return Plot(spectrum, kFileSet); }
  int ActiveSpectrumIndex() const override { return activeSpectrum_; }
  CSpectrumPlot& ActivePlot(int spectrum) override;
  using IPlotTables::ActivePlot;
  SpectrumRecord& LiveRecord() { return BufferPlot(0).Record(); }
  SpectrumRecord& SettingsRecord() { return Plot(0, settingsSet_).Record(); }
  bool SettingsRecordLive() const { return settingsSet_ == kBufferSet; }
  int ShownSetMode() const { return shownSetMode_; }
  bool RefreshRequested() const { return refreshRequested_; }
  void RequestRefresh() { refreshRequested_ = true; }
  int SelectedTab(int spectrum) const;
  // The save set: the BUFFER records, or the four active records (Save Spectrum As).
  void SetSaveSet(bool bufferSet);
  CSpectrumPlot& SavePlot(int spectrum);

  // --- panes
  // The user selected a tab of pane k: the plots' visible flags follow and the shown plot takes
  // over the pane title (becoming the active plot of k and asking for a refresh).
  void SelectTab(int spectrum, int set);
  // Pane k gained the focus: the plot of its visible tab gains it.
  void PaneFocused(int spectrum);
  const std::string& PaneTitle(int spectrum) const;
  void SetConnection(bool connected, const std::string& portName);
  // Rebuilds the four pane titles from the shown records (after captions were loaded).
  void RetitlePanes();

  // --- main loop
  void SyncShownSet();
  // The timer tick's share: SyncShownSet when a refresh was requested (the flag is cleared first).
  // Returns true when it ran.
  bool SyncIfRequested();

  // --- Spectrum menu
  // Soft size N (4096, 2048, 1365, 1024, 682 or 512) on the active plot of the active spectrum.
  int SetSoftSize(int softSize);
  // The soft-size command of a menu command number; -1 for an unknown number.
  int SoftSizeCommand(int command);
  bool SoftSizeChecked(int softSize) { return ActivePlot().SoftSize() == softSize; }
  std::array<std::string, 4> BufferCaptions() const;
  // OK of the captions dialog: each caption cut to 36 characters becomes a BUFFER caption.
  void ApplyCaptions(const std::array<std::string, 4>& captions);
  void CopyRoi(bool fileToBuffer);
  void CopyCalibration(bool fileToBuffer);
  void SetRoiMode(int mode);
  int RoiMode() const { return roiMode_; }

  // --- IPlotHost
  void PlotFocused(CSpectrumPlot& plot) override;
  void FocusRequested(CSpectrumPlot& plot) override;
  void PaneCaptionUpdated(CSpectrumPlot& plot) override;
  void PeakInfoDue(CSpectrumPlot& plot) override;
  void SizesApplied(CSpectrumPlot& plot) override;

 private:
  static int SetOf(const CSpectrumPlot& plot) { return plot.IsBuffer() ? kBufferSet : kFileSet; }
  static int Wrap(int spectrum) { return ((spectrum % 4) + 4) % 4; }
  void ShowTab(int spectrum, int set);
  void RetitlePane(int spectrum);

  IRecordSetsListener* listener_;
  std::array<std::unique_ptr<CSpectrumPlot>, 8> plots_;  // [set * 4 + spectrum]
  std::unique_ptr<std::array<CountArray, 4>> fileCounts_;
  std::unique_ptr<std::array<CountArray, 8>> softCounts_;
  std::array<int, 4> activeSet_{};
  std::array<int, 4> selectedTab_{};
  std::array<std::string, 4> paneTitles_;
  std::array<CSpectrumPlot*, 4> saveSet_{};
  int settingsSet_ = kBufferSet;
  int activeSpectrum_ = 0;
  int shownSetMode_ = kBufferSet;
  bool refreshRequested_ = false;
  bool connected_ = false;
  std::string portName_;
  int roiMode_ = 0;
};

}  // namespace mirvo
