#include "display/RecordSets.h"

namespace mirvo {

namespace {
IRecordSetsListener& NoListener() {
  static IRecordSetsListener listener;
  return listener;
}
}  // namespace

RecordSets::RecordSets(SpectrumMemory& memory, IRecordSetsListener* listener)
    : listener_(listener != nullptr ? listener : &NoListener()) {
  std::array<IRecordView*, 8> views{};
  for (int set = 0; set < 2; ++set) {
    for (int k = 0; k < 4; ++k) {
      const auto slot = static_cast<std::size_t>(set * 4 + k);
      plots_[slot] = std::make_unique<SpectrumPlot>(k, set == kBufferSet, this);
      views[slot] = plots_[slot].get();
    }
  }
  BindViews(memory, views);
}

void RecordSets::SetListener(IRecordSetsListener* listener) {
  listener_ = listener != nullptr ? listener : &NoListener();
}

SpectrumPlot& RecordSets::Plot(int spectrum, int set) {
  return *plots_[static_cast<std::size_t>((set == kFileSet ? 4 : 0) + ((spectrum % 4) + 4) % 4)];
}

// ---------------------------------------------------------------- IPlotHost

void RecordSets::PlotFocused(SpectrumPlot& plot) { RecordFocused(plot.SpectrumIndex(), SetOf(plot)); }

void RecordSets::FocusRequested(SpectrumPlot& plot) { listener_->FocusRequested(plot); }

void RecordSets::PaneCaptionUpdated(SpectrumPlot& plot) { RecordRetitled(plot.SpectrumIndex(), SetOf(plot)); }

void RecordSets::PeakInfoDue(SpectrumPlot& plot) { listener_->PeakInfoDue(plot); }

void RecordSets::SizesApplied(SpectrumPlot& plot) { listener_->SizesApplied(plot); }

// ---------------------------------------------------------------- RecordTables

void RecordSets::TabSelected(int spectrum, int set) { listener_->TabSelected(spectrum, set); }

void RecordSets::PaneTitleChanged(int spectrum, const std::string& title) {
  listener_->PaneTitleChanged(spectrum, title);
}

void RecordSets::RefreshSettingsPanels(SpectrumRecord& settingsRecord, bool enabled) {
  listener_->RefreshSettingsPanels(settingsRecord, enabled);
}

void RecordSets::ActiveRecordShown(int spectrum, int set) {
  listener_->ActiveSpectrumShown(Plot(spectrum, set), spectrum);
}

void RecordSets::CalibrationCopiedOntoActive(int spectrum, int set) {
  listener_->CalibrationCopiedOntoActive(Plot(spectrum, set));
}

}  // namespace mirvo
