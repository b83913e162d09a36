// The settings panels' host over the main window's record sets: the live and settings records, the
// BUFFER and active plot of each spectrum, the ROI around a BUFFER cursor, and the logger state
// through the acquisition panel.
#pragma once

#include <functional>

#include "acquisition/LoggedSeries.h"
#include "display/RecordSets.h"
#include "panels/PanelHost.h"

namespace mirvo {

class RecordSetsPanelHost : public IPanelHost {
 public:
  RecordSetsPanelHost(RecordSets& sets, const ILoggedSeries* series) : sets_(sets), series_(series) {}

  SpectrumRecord& LiveRecord() override { return sets_.LiveRecord(); }
  SpectrumRecord* SettingsRecord() override { return &sets_.SettingsRecord(); }
  bool SettingsRecordLive() const override { return sets_.SettingsRecordLive(); }
  int ActiveSpectrumIndex() const override { return sets_.ActiveSpectrumIndex(); }
  SpectrumRecord& BufferRecord(int spectrum) override { return sets_.BufferPlot(spectrum & 3).Record(); }
  SpectrumRecord& ActiveRecord(int spectrum) override { return sets_.ActivePlot(spectrum & 3).Record(); }
  bool RoiAtCursor(int spectrum, int& first, int& last) override;
  void RoiFlagsChanged(int spectrum) override;
  bool SeriesRunning() const override { return series_ != nullptr && series_->SeriesRunning(); }
  void ClockChanged() override {
    if (onClockChanged) onClockChanged();
  }
  void ReapplyTraceFields() override {
    if (onReapplyTraceFields) onReapplyTraceFields();
  }

  // The trace viewer's, once it exists.
  std::function<void()> onClockChanged;
  std::function<void()> onReapplyTraceFields;

 private:
  RecordSets& sets_;
  const ILoggedSeries* series_;
};

}  // namespace mirvo
