#include "records/RecordTables.h"

#include "base/TextFormat.h"
#include "protocol/RegisterImage.h"
#include "records/Captions.h"

namespace mirvo {

RecordTables::RecordTables()
    : fileCounts_(std::make_unique<std::array<CountArray, 4>>()),
      softCounts_(std::make_unique<std::array<CountArray, 8>>()) {
  for (int k = 0; k < 4; ++k) {
    paneTitles_[static_cast<std::size_t>(k)] = FormatText("S%d", k);
    saveSet_[static_cast<std::size_t>(k)] = kBufferSet;
  }
}

void RecordTables::BindViews(SpectrumMemory& memory, const std::array<IRecordView*, 8>& views) {
  views_ = views;
  for (int set = 0; set < 2; ++set) {
    for (int k = 0; k < 4; ++k) {
      const auto slot = static_cast<std::size_t>(set * 4 + k);
      SpectrumRecord& record = views_[slot]->Record();
      std::uint32_t* hard = set == kBufferSet ? memory.Spectrum(static_cast<std::size_t>(k))
                                              : (*fileCounts_)[static_cast<std::size_t>(k)].data();
      record.BindCounts(hard, (*softCounts_)[slot].data());
      record.caption = kDefaultCaptions[static_cast<std::size_t>(k)];
    }
  }
}

IRecordView& RecordTables::View(int spectrum, int set) {
  return *views_[static_cast<std::size_t>((set == kFileSet ? 4 : 0) + Wrap(spectrum))];
}

int RecordTables::ActiveSet(int spectrum) const { return activeSet_[static_cast<std::size_t>(Wrap(spectrum))]; }

int RecordTables::SelectedTab(int spectrum) const { return selectedTab_[static_cast<std::size_t>(Wrap(spectrum))]; }

void RecordTables::SetSaveSet(bool bufferSet) {
  for (int k = 0; k < 4; ++k) saveSet_[static_cast<std::size_t>(k)] = bufferSet ? kBufferSet : ActiveSet(k);
}

int RecordTables::SaveSet(int spectrum) const { return saveSet_[static_cast<std::size_t>(Wrap(spectrum))]; }

const std::string& RecordTables::PaneTitle(int spectrum) const {
  return paneTitles_[static_cast<std::size_t>(Wrap(spectrum))];
}

// ---------------------------------------------------------------- panes

void RecordTables::ShowTab(int spectrum, int set) {
  const auto k = static_cast<std::size_t>(Wrap(spectrum));
  set = set == kFileSet ? kFileSet : kBufferSet;
  if (selectedTab_[k] == set) return;
  selectedTab_[k] = set;
  TabSelected(static_cast<int>(k), set);
  View(spectrum, 1 - set).SetVisible(false);
  View(spectrum, set).SetVisible(true);
}

void RecordTables::SelectTab(int spectrum, int set) { ShowTab(spectrum, set); }

void RecordTables::PaneFocused(int spectrum) { View(spectrum, SelectedTab(spectrum)).GainFocus(); }

void RecordTables::RetitlePane(int spectrum) {
  const SpectrumRecord& record = View(spectrum, SelectedTab(spectrum)).Record();
  std::string& title = paneTitles_[static_cast<std::size_t>(Wrap(spectrum))];
  title = BuildPaneTitle(record.spectrumIndex, record.caption, record.live != 0, record.fileLabel, connected_, portName_);
  PaneTitleChanged(Wrap(spectrum), title);
}

void RecordTables::RetitlePanes() {
  for (int k = 0; k < 4; ++k) RetitlePane(k);
}

void RecordTables::SetConnection(bool connected, const std::string& portName) {
  connected_ = connected;
  portName_ = portName;
  for (int k = 0; k < 4; ++k)
    if (SelectedTab(k) == kBufferSet) RetitlePane(k);
}

// ---------------------------------------------------------------- main loop

void RecordTables::SyncShownSet() {
  const int k = activeSpectrum_;
  const int mode = SetOf(ActiveView(k).Record());
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
  RefreshSettingsPanels(settings, SettingsRecordLive());
  ActiveView(k).SetUnitsRefresh(true);
  ActiveRecordShown(k, ActiveSet(k));
  // The tabs selected above asked for a refresh that this run has just done.
  refreshRequested_ = false;
}

bool RecordTables::SyncIfRequested() {
  if (!refreshRequested_) return false;
  refreshRequested_ = false;
  SyncShownSet();
  return true;
}

// ---------------------------------------------------------------- Spectrum menu

int RecordTables::SetSoftSize(int softSize) {
  for (int size : kSoftSizes)
    if (size == softSize) return ActiveView(activeSpectrum_).SetSizes(kMaxChannels, softSize);
  return -1;
}

int RecordTables::SoftSizeCommand(int command) {
  for (std::size_t i = 0; i < kSoftSizeCommands.size(); ++i)
    if (kSoftSizeCommands[i] == command) return SetSoftSize(kSoftSizes[i]);
  return -1;
}

std::array<std::string, 4> RecordTables::BufferCaptions() const {
  std::array<std::string, 4> captions;
  for (std::size_t k = 0; k < 4; ++k) captions[k] = views_[k]->Record().caption;
  return captions;
}

void RecordTables::ApplyCaptions(const std::array<std::string, 4>& captions) {
  for (int k = 0; k < 4; ++k)
    View(k, kBufferSet).Record().caption = CutCaption(captions[static_cast<std::size_t>(k)]);
  if (shownSetMode_ == kBufferSet) RetitlePanes();
}

void RecordTables::RestoreCaptions(const std::array<std::string, 4>& captions) {
  for (int k = 0; k < 4; ++k) View(k, kBufferSet).Record().caption = captions[static_cast<std::size_t>(k)];
  if (shownSetMode_ == kBufferSet) RetitlePanes();
}

void RecordTables::CopyRoi(bool fileToBuffer) {
  const int fromSet = fileToBuffer ? kFileSet : kBufferSet;
  const int toSet = fileToBuffer ? kBufferSet : kFileSet;
  for (int k = 0; k < 4; ++k) {
    IRecordView& to = View(k, toSet);
    to.Record().hardRoi = View(k, fromSet).Record().hardRoi;
    to.RebuildSoftRoi();
    to.RequestRedraw(RedrawKind::Partial);
  }
}

void RecordTables::CopyCalibration(bool fileToBuffer) {
  const int fromSet = fileToBuffer ? kFileSet : kBufferSet;
  const int toSet = fileToBuffer ? kBufferSet : kFileSet;
  for (int k = 0; k < 4; ++k) {
    IRecordView& to = View(k, toSet);
    const SpectrumRecord& from = View(k, fromSet).Record();
    to.Record().stored = from.stored;
    to.Record().working = from.working;
    to.SetUnitsRefresh(true);
    to.RequestRedraw(RedrawKind::Full);
    if (k == activeSpectrum_ && toSet == ActiveSet(k)) CalibrationCopiedOntoActive(k, toSet);
  }
}

void RecordTables::SetRoiMode(int mode) {
  roiMode_ = mode == 1 ? 1 : 0;
  for (IRecordView* view : views_) view->SetRoiMode(roiMode_);
}

// ---------------------------------------------------------------- what the views report

void RecordTables::RecordFocused(int spectrum, int set) {
  activeSpectrum_ = spectrum;
  activeSet_[static_cast<std::size_t>(Wrap(spectrum))] = set;
  refreshRequested_ = true;
}

void RecordTables::RecordRetitled(int spectrum, int set) {
  activeSet_[static_cast<std::size_t>(Wrap(spectrum))] = set;
  RetitlePane(spectrum);
  refreshRequested_ = true;
}

}  // namespace mirvo
