#include "display/RecordSets.h"

namespace mirvo {

namespace {
IRecordSetsListener& NoListener() {
  static IRecordSetsListener listener;
  return listener;
}
}  // namespace

CRecordSets::CRecordSets(SpectrumMemory& memory, IRecordSetsListener* listener)
    : listener_(listener != nullptr ? listener : &NoListener()) {
  std::array<IRecordView*, 8> views{};
  for (int set = 0; set < 2; ++set) {
    for (int k = 0; k < 4; ++k) {
      const auto slot = static_cast<std::size_t>(set * 4 + k);
      plots_[slot] = std::make_unique<CSpectrumPlot>(k, set == kBufferSet, this);
      views[slot] = plots_[slot].get();
    }
  }
  BindViews(memory, views);
}

void CRecordSets::SetListener(IRecordSetsListener* listener) {
  listener_ = listener != nullptr ? listener : &NoListener();
}

CSpectrumPlot& CRecordSets::Plot(int spectrum, int set) {
  return *plots_[static_cast<std::size_t>((set == kFileSet ? 4 : 0) + ((spectrum % 4) + 4) % 4)];
}

// ---------------------------------------------------------------- IPlotHost

void CRecordSets::PlotFocused(CSpectrumPlot& plot) { RecordFocused(plot.SpectrumIndex(), SetOf(plot)); }

void CRecordSets::FocusRequested(CSpectrumPlot& plot) { listener_->FocusRequested(plot); }

void CRecordSets::PaneCaptionUpdated(CSpectrumPlot& plot) { RecordRetitled(plot.SpectrumIndex(), SetOf(plot)); }

void CRecordSets::PeakInfoDue(CSpectrumPlot& plot) { listener_->PeakInfoDue(plot); }

void CRecordSets::SizesApplied(CSpectrumPlot& plot) { listener_->SizesApplied(plot); }

// ---------------------------------------------------------------- RecordTables

void CRecordSets::TabSelected(int spectrum, int set) { listener_->TabSelected(spectrum, set); }

void CRecordSets::PaneTitleChanged(int spectrum, const std::string& title) {
  listener_->PaneTitleChanged(spectrum, title);
}

void CRecordSets::RefreshSettingsPanels(SpectrumRecord& settingsRecord, bool enabled) {
  listener_->RefreshSettingsPanels(settingsRecord, enabled);
}

void CRecordSets::ActiveRecordShown(int spectrum, int set) {
  listener_->ActiveSpectrumShown(Plot(spectrum, set), spectrum);
}

void CRecordSets::CalibrationCopiedOntoActive(int spectrum, int set) {
  listener_->CalibrationCopiedOntoActive(Plot(spectrum, set));
}

}  // namespace mirvo
