#include "display/RecordSets.h"

#include "records/Captions.h"
#include "base/TextFormat.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

namespace {
IRecordSetsListener& NoListener() {
  static IRecordSetsListener listener;
  return listener;
}
}  // namespace

CRecordSets::CRecordSets(SpectrumMemory& memory, IRecordSetsListener* listener)
    : listener_(listener != nullptr ? listener : &NoListener()),
      fileCounts_(std::make_unique<std::array<CountArray, 4>>()),
      softCounts_(std::make_unique<std::array<CountArray, 8>>()) {
  for (int set = 0; set < 2; ++set) {
    for (int k = 0; k < 4; ++k) {
      const auto slot = static_cast<std::size_t>(set * 4 + k);
      plots_[slot] = std::make_unique<CSpectrumPlot>(k, set == kBufferSet, this);
      SpectrumRecord& record = plots_[slot]->Record();
      std::uint32_t* hard = set == kBufferSet ? memory.Spectrum(static_cast<std::size_t>(k))
                                              : (*fileCounts_)[static_cast<std::size_t>(k)].data();
      record.BindCounts(hard, (*softCounts_)[slot].data());
      record.caption = kDefaultCaptions[static_cast<std::size_t>(k)];
    }
  }
  for (int k = 0; k < 4; ++k) {
    paneTitles_[static_cast<std::size_t>(k)] = FormatText("S%d", k);
    saveSet_[static_cast<std::size_t>(k)] = &BufferPlot(k);
  }
}

void CRecordSets::SetListener(IRecordSetsListener* listener) {
  listener_ = listener != nullptr ? listener : &NoListener();
}

CSpectrumPlot& CRecordSets::Plot(int spectrum, int set) {
  return *plots_[static_cast<std::size_t>((set == kFileSet ? 4 : 0) + Wrap(spectrum))];
}

CSpectrumPlot& CRecordSets::ActivePlot(int spectrum) {
  return Plot(spectrum, activeSet_[static_cast<std::size_t>(Wrap(spectrum))]);
}

int CRecordSets::SelectedTab(int spectrum) const { return selectedTab_[static_cast<std::size_t>(Wrap(spectrum))]; }

void CRecordSets::SetSaveSet(bool bufferSet) {
  for (int k = 0; k < 4; ++k) saveSet_[static_cast<std::size_t>(k)] = bufferSet ? &BufferPlot(k) : &ActivePlot(k);
}

CSpectrumPlot& CRecordSets::SavePlot(int spectrum) { return *saveSet_[static_cast<std::size_t>(Wrap(spectrum))]; }

const std::string& CRecordSets::PaneTitle(int spectrum) const {
  return paneTitles_[static_cast<std::size_t>(Wrap(spectrum))];
}

// ---------------------------------------------------------------- panes

void CRecordSets::ShowTab(int spectrum, int set) {
  const auto k = static_cast<std::size_t>(Wrap(spectrum));
  set = set == kFileSet ? kFileSet : kBufferSet;
  if (selectedTab_[k] == set) return;
  selectedTab_[k] = set;
  listener_->TabSelected(static_cast<int>(k), set);
  Plot(spectrum, 1 - set).SetVisible(false);
  Plot(spectrum, set).SetVisible(true);
}

void CRecordSets::SelectTab(int spectrum, int set) { ShowTab(spectrum, set); }

void CRecordSets::PaneFocused(int spectrum) { Plot(spectrum, SelectedTab(spectrum)).GainFocus(); }

void CRecordSets::RetitlePane(int spectrum) {
  CSpectrumPlot& plot = Plot(spectrum, SelectedTab(spectrum));
  const SpectrumRecord& record = plot.Record();
  std::string& title = paneTitles_[static_cast<std::size_t>(Wrap(spectrum))];
  title = BuildPaneTitle(record.spectrumIndex, record.caption, plot.IsBuffer(), record.fileLabel, connected_, portName_);
  listener_->PaneTitleChanged(Wrap(spectrum), title);
}

void CRecordSets::RetitlePanes() {
  for (int k = 0; k < 4; ++k) RetitlePane(k);
}

void CRecordSets::SetConnection(bool connected, const std::string& portName) {
  connected_ = connected;
  portName_ = portName;
  for (int k = 0; k < 4; ++k)
    if (SelectedTab(k) == kBufferSet) RetitlePane(k);
}

// ---------------------------------------------------------------- main loop

void CRecordSets::SyncShownSet() {
  const int k = activeSpectrum_;
  const int mode = SetOf(ActivePlot(k));
  settingsSet_ = mode;
  if (mode != shownSetMode_) {
    ShowTab(k, mode);
    shownSetMode_ = mode;
  }
  for (int step = 1; step <= 4; ++step) {
    const int pane = Wrap(k + step);
    if (SelectedTab(pane) != mode) ShowTab(pane, mode);
    activeSet_[static_cast<std::size_t>(pane)] = mode;
  }
  SpectrumRecord& settings = SettingsRecord();
  // The amplifier panel rereads register 0x12 when its change copy differs from the register.
  LiveRecord().register12Copy = static_cast<std::uint16_t>(~settings.registers[0x12]);
  listener_->RefreshSettingsPanels(settings, SettingsRecordLive());
  CSpectrumPlot& active = ActivePlot(k);
  active.SetUnitsRefresh();
  listener_->ActiveSpectrumShown(active, k);
  // The tabs selected above asked for a refresh that this run has just done.
  refreshRequested_ = false;
}

bool CRecordSets::SyncIfRequested() {
  if (!refreshRequested_) return false;
  refreshRequested_ = false;
  SyncShownSet();
  return true;
}

// ---------------------------------------------------------------- Spectrum menu

int CRecordSets::SetSoftSize(int softSize) {
  for (int size : kSoftSizes)
    if (size == softSize) return ActivePlot().SetSizes(kMaxChannels, softSize);
  return -1;
}

int CRecordSets::SoftSizeCommand(int command) {
  for (std::size_t i = 0; i < kSoftSizeCommands.size(); ++i)
    if (kSoftSizeCommands[i] == command) return SetSoftSize(kSoftSizes[i]);
  return -1;
}

std::array<std::string, 4> CRecordSets::BufferCaptions() const {
  std::array<std::string, 4> captions;
  for (std::size_t k = 0; k < 4; ++k) captions[k] = plots_[k]->Record().caption;
  return captions;
}

void CRecordSets::ApplyCaptions(const std::array<std::string, 4>& captions) {
  for (int k = 0; k < 4; ++k) BufferPlot(k).Record().caption = CutCaption(captions[static_cast<std::size_t>(k)]);
  if (shownSetMode_ == kBufferSet) RetitlePanes();
}

void CRecordSets::CopyRoi(bool fileToBuffer) {
  for (int k = 0; k < 4; ++k) {
    CSpectrumPlot& to = Plot(k, fileToBuffer ? kBufferSet : kFileSet);
    to.Record().hardRoi = Plot(k, fileToBuffer ? kFileSet : kBufferSet).Record().hardRoi;
    to.RebuildSoftRoi();
    to.RequestRedraw(RedrawKind::Partial);
  }
}

void CRecordSets::CopyCalibration(bool fileToBuffer) {
  for (int k = 0; k < 4; ++k) {
    CSpectrumPlot& to = Plot(k, fileToBuffer ? kBufferSet : kFileSet);
    const SpectrumRecord& from = Plot(k, fileToBuffer ? kFileSet : kBufferSet).Record();
    to.Record().stored = from.stored;
    to.Record().working = from.working;
    to.SetUnitsRefresh();
    to.RequestRedraw(RedrawKind::Full);
    if (k == activeSpectrum_ && &to == &ActivePlot(k)) listener_->CalibrationCopiedOntoActive(to);
  }
}

void CRecordSets::SetRoiMode(int mode) {
  roiMode_ = mode == 1 ? 1 : 0;
  for (auto& plot : plots_) plot->SetRoiMode(roiMode_);
}

// ---------------------------------------------------------------- IPlotHost

void CRecordSets::PlotFocused(CSpectrumPlot& plot) {
  activeSpectrum_ = plot.SpectrumIndex();
  activeSet_[static_cast<std::size_t>(Wrap(activeSpectrum_))] = SetOf(plot);
  refreshRequested_ = true;
}

void CRecordSets::FocusRequested(CSpectrumPlot& plot) { listener_->FocusRequested(plot); }

void CRecordSets::PaneCaptionUpdated(CSpectrumPlot& plot) {
  const int k = plot.SpectrumIndex();
  activeSet_[static_cast<std::size_t>(Wrap(k))] = SetOf(plot);
  RetitlePane(k);
  refreshRequested_ = true;
}

void CRecordSets::PeakInfoDue(CSpectrumPlot& plot) { listener_->PeakInfoDue(plot); }

void CRecordSets::SizesApplied(CSpectrumPlot& plot) { listener_->SizesApplied(plot); }

}  // namespace mirvo
