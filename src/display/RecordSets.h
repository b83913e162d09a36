// The main window's record tables with the eight plots that hold the records: the plots are
// created here and bound into the tables (RecordTables, which SyncShownSet and the set commands
// belong to), and this object is the plots' host, forwarding what the window must hear.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "display/BackgroundSet.h"
#include "display/PlotHost.h"
#include "display/PlotTables.h"
#include "display/SpectrumPlot.h"
#include "records/RecordTables.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

class SpectrumMemory;

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
  virtual void ActiveSpectrumShown(SpectrumPlot& /*plot*/, int /*spectrum*/) {}
  // A calibration was copied onto the active plot of the active spectrum: reload the panel.
  virtual void CalibrationCopiedOntoActive(SpectrumPlot& /*plot*/) {}
  // Forwarded from the plots (IPlotHost).
  virtual void PeakInfoDue(SpectrumPlot& /*plot*/) {}
  virtual void SizesApplied(SpectrumPlot& /*plot*/) {}
  virtual void FocusRequested(SpectrumPlot& /*plot*/) {}
};

class RecordSets final : public RecordTables, public IPlotHost, public IPlotTables {
 public:
  // Binds the BUFFER records to the spectra of `memory` (which must outlive this object) and the
  // FILE records to arrays of their own.
  explicit RecordSets(SpectrumMemory& memory, IRecordSetsListener* listener = nullptr);
  void SetListener(IRecordSetsListener* listener);

  // --- the plots of the tables
  SpectrumPlot& Plot(int spectrum, int set);
  SpectrumPlot& BufferPlot(int spectrum) { return Plot(spectrum, kBufferSet); }
  SpectrumPlot& FilePlot(int spectrum) { return Plot(spectrum, kFileSet); }
  int ActiveSpectrumIndex() const override { return RecordTables::ActiveSpectrumIndex(); }
  SpectrumPlot& ActivePlot(int spectrum) override { return Plot(spectrum, ActiveSet(spectrum)); }
  using IPlotTables::ActivePlot;
  SpectrumPlot& SavePlot(int spectrum) { return Plot(spectrum, SaveSet(spectrum)); }
  // The third set: the background the plots overlay or subtract, never shown alone.
  BackgroundSet& Background() { return *background_; }

  // --- IPlotHost
  void PlotFocused(SpectrumPlot& plot) override;
  void FocusRequested(SpectrumPlot& plot) override;
  void PaneCaptionUpdated(SpectrumPlot& plot) override;
  void PeakInfoDue(SpectrumPlot& plot) override;
  void SizesApplied(SpectrumPlot& plot) override;

 private:
  static int SetOf(const SpectrumPlot& plot) { return plot.IsBuffer() ? kBufferSet : kFileSet; }

  // --- RecordTables
  void TabSelected(int spectrum, int set) override;
  void PaneTitleChanged(int spectrum, const std::string& title) override;
  void RefreshSettingsPanels(SpectrumRecord& settingsRecord, bool enabled) override;
  void ActiveRecordShown(int spectrum, int set) override;
  void CalibrationCopiedOntoActive(int spectrum, int set) override;

  IRecordSetsListener* listener_;
  std::array<std::unique_ptr<SpectrumPlot>, 8> plots_;  // [set * 4 + spectrum]
  std::unique_ptr<BackgroundSet> background_ = std::make_unique<BackgroundSet>();
};

}  // namespace mirvo
