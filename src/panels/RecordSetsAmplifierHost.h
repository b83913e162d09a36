// The amplifier panel's host in the window: the records of the record sets, what the form does
// when the panel changes, and opening the gain stabilizer dialog. Also reads the stabilization peak
// from the active plot for the dialog's proposal.
#pragma once

#include <functional>

#include "display/RecordSets.h"
#include "panels/AmplifierPanel.h"
#include "panels/StabilizerSettings.h"

namespace mirvo {

class RecordSetsAmplifierHost final : public IAmplifierHost {
 public:
  explicit RecordSetsAmplifierHost(RecordSets& sets) : sets_(sets) {}

  SpectrumRecord& LiveRecord() override { return sets_.LiveRecord(); }
  SpectrumRecord* SettingsRecord() override { return &sets_.SettingsRecord(); }
  bool ActiveRecordLive() const override;
  void PanelChanged() override {
    if (onPanelChanged) onPanelChanged();
  }
  void OpenStabilizer() override {
    if (onOpenStabilizer) onOpenStabilizer();
  }
  void ShaperRecompute() override {
    if (onShaperRecompute) onShaperRecompute();
  }
  void TraceViewerApply() override {
    if (onTraceViewerApply) onTraceViewerApply();
  }

  std::function<void()> onPanelChanged;
  std::function<void()> onOpenStabilizer;
  std::function<void()> onShaperRecompute;  // the shaper panel's gain normalisation of the live image
  std::function<void()> onTraceViewerApply;  // the trace viewer re-applies its fields

 private:
  RecordSets& sets_;
};

// The active plot's sizes, whether its cursor lies in a ROI, and the peak of that ROI (analysed
// afresh), with the hard size of the shown set.
StabilizerPeak ActivePlotPeak(RecordSets& sets);

}  // namespace mirvo
