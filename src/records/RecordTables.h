// The record sets as the main window keeps them: the eight spectrum records, each held by the view
// that shows it, bound to their count storage; the active, settings, live and save records, the
// shown set, the pane titles, SyncShownSet and the commands that act on the sets as a whole.
// The views are supplied by the layer that owns them (BindViews); what the window does when the
// tables change comes back through the protected hooks.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "records/RecordView.h"
#include "records/SpectrumRecord.h"

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

class RecordTables {
 public:
  RecordTables(const RecordTables&) = delete;
  RecordTables& operator=(const RecordTables&) = delete;

  // --- tables
  IRecordView& View(int spectrum, int set);
  int ActiveSpectrumIndex() const { return activeSpectrum_; }
  // The set (kBufferSet or kFileSet) of the active record of a spectrum.
  int ActiveSet(int spectrum) const;
  IRecordView& ActiveView(int spectrum) { return View(spectrum, ActiveSet(spectrum)); }
  SpectrumRecord& LiveRecord() { return View(0, kBufferSet).Record(); }
  SpectrumRecord& SettingsRecord() { return View(0, settingsSet_).Record(); }
  bool SettingsRecordLive() const { return settingsSet_ == kBufferSet; }
  int ShownSetMode() const { return shownSetMode_; }
  bool RefreshRequested() const { return refreshRequested_; }
  void RequestRefresh() { refreshRequested_ = true; }
  int SelectedTab(int spectrum) const;
  // The save set: the BUFFER records, or the four active records (Save Spectrum As).
  void SetSaveSet(bool bufferSet);
  // The set of the save-set record of a spectrum.
  int SaveSet(int spectrum) const;

  // --- panes
  // The user selected a tab of pane k: the views' visible flags follow and the shown view takes
  // over the pane title (becoming the active record of k and asking for a refresh).
  void SelectTab(int spectrum, int set);
  // Pane k gained the focus: the view of its visible tab gains it.
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
  // Soft size N (4096, 2048, 1365, 1024, 682 or 512) on the active record of the active spectrum.
  int SetSoftSize(int softSize);
  // The soft-size command of a menu command number; -1 for an unknown number.
  int SoftSizeCommand(int command);
  bool SoftSizeChecked(int softSize) { return ActiveView(activeSpectrum_).Record().softSize == softSize; }
  std::array<std::string, 4> BufferCaptions() const;
  // OK of the captions dialog: each caption cut to 36 characters becomes a BUFFER caption.
  void ApplyCaptions(const std::array<std::string, 4>& captions);
  // The captions read at start-up, taken as they are (they passed the settings' own length rule).
  void RestoreCaptions(const std::array<std::string, 4>& captions);
  void CopyRoi(bool fileToBuffer);
  void CopyCalibration(bool fileToBuffer);
  void SetRoiMode(int mode);
  int RoiMode() const { return roiMode_; }

 protected:
  RecordTables();
  virtual ~RecordTables() = default;

  // Takes the eight views ([set * 4 + spectrum], each outliving this object), binds the BUFFER
  // records to the spectra of `memory` (which must outlive this object) and the FILE records to
  // arrays of their own, and gives every record its default caption.
  void BindViews(SpectrumMemory& memory, const std::array<IRecordView*, 8>& views);

  // What the views report: one took the focus (ActivatePlot), or a shown one rebuilt its pane title.
  void RecordFocused(int spectrum, int set);
  void RecordRetitled(int spectrum, int set);

  // What the window holding the panes does when the tables change; every hook is a no-op here.
  virtual void TabSelected(int /*spectrum*/, int /*set*/) {}
  virtual void PaneTitleChanged(int /*spectrum*/, const std::string& /*title*/) {}
  // SyncShownSet step 4: every settings panel refreshes from the settings record, enabled only
  // while it is live; then the trace viewer refreshes.
  virtual void RefreshSettingsPanels(SpectrumRecord& /*settingsRecord*/, bool /*enabled*/) {}
  // SyncShownSet step 5: the active record of the active spectrum is shown (calibration panel,
  // pane titles with the spectrum index).
  virtual void ActiveRecordShown(int /*spectrum*/, int /*set*/) {}
  // A calibration was copied onto the active record of the active spectrum.
  virtual void CalibrationCopiedOntoActive(int /*spectrum*/, int /*set*/) {}

 private:
  static int SetOf(const SpectrumRecord& record) { return record.live != 0 ? kBufferSet : kFileSet; }
  static int Wrap(int spectrum) { return ((spectrum % 4) + 4) % 4; }
  void ShowTab(int spectrum, int set);
  void RetitlePane(int spectrum);

  std::array<IRecordView*, 8> views_{};  // [set * 4 + spectrum]
  std::unique_ptr<std::array<CountArray, 4>> fileCounts_;
  std::unique_ptr<std::array<CountArray, 8>> softCounts_;
  std::array<int, 4> activeSet_{};
  std::array<int, 4> selectedTab_{};
  std::array<int, 4> saveSet_{};
  std::array<std::string, 4> paneTitles_;
  int settingsSet_ = kBufferSet;
  int activeSpectrum_ = 0;
  int shownSetMode_ = kBufferSet;
  bool refreshRequested_ = false;
  bool connected_ = false;
  std::string portName_;
  int roiMode_ = 0;
};

}  // namespace mirvo
