#include "display/BackgroundSet.h"

#include <algorithm>
#include <cmath>

#include "base/TextFormat.h"
#include "display/RecordSets.h"
#include "display/SpectrumPlot.h"
#include "protocol/RegisterImage.h"
#include "protocol/SamplePeriod.h"

namespace mirvo {

BackgroundSet::BackgroundSet() {
  for (int k = 0; k < 4; ++k) {
    records_[static_cast<std::size_t>(k)] = std::make_unique<SpectrumRecord>();
    records_[static_cast<std::size_t>(k)]->spectrumIndex = k;
  }
}

const SpectrumRecord& BackgroundSet::Record(int spectrum) const {
  return *records_[static_cast<std::size_t>(((spectrum % 4) + 4) % 4)];
}

void BackgroundSet::Take(const std::array<const SpectrumRecord*, 4>& records, double liveSeconds,
                         const std::string& fileName) {
  for (std::size_t k = 0; k < 4; ++k) {
    const SpectrumRecord& from = *records[k];
    SpectrumRecord& to = *records_[k];
    to.hardSize = std::clamp(from.hardSize, kMinHardSize, kMaxChannels);
    to.softSize = std::clamp(from.softSize, kMinHardSize, to.hardSize);
    to.factor = std::max(to.hardSize / to.softSize, 1);
    std::fill(to.hardCounts, to.hardCounts + kMaxChannels, 0u);
    std::copy(from.hardCounts, from.hardCounts + to.hardSize, to.hardCounts);
    to.registers = from.registers;
    to.caption = from.caption;
    to.fileLabel = fileName;
  }
  liveSeconds_ = liveSeconds;
  fileName_ = fileName;
  loaded_ = true;
}

void BackgroundSet::Close() {
  for (auto& record : records_) {
    std::fill(record->hardCounts, record->hardCounts + kMaxChannels, 0u);
    record->hardSize = record->softSize = kMaxChannels;
    record->factor = 1;
  }
  liveSeconds_ = 0.0;
  fileName_.clear();
  loaded_ = false;
}

void BackgroundSet::ToggleOverlay() {
  view_ = view_ == BackgroundView::Overlay ? BackgroundView::Off : BackgroundView::Overlay;
}

void BackgroundSet::ToggleNet() { view_ = view_ == BackgroundView::Net ? BackgroundView::Off : BackgroundView::Net; }

double RecordLiveSeconds(const SpectrumRecord& s0) {
  const double periodUs = SamplePeriod::NanosecondsOfCode(SamplePeriod::CodeOf(s0.registers)) / 1000.0;
  return LiveTimeSeconds(s0.registers, periodUs);
}

double MeasurementLiveSeconds(RecordSets& sets, const SpectrumPlot& plot) {
  return RecordLiveSeconds(plot.IsBuffer() ? sets.LiveRecord() : sets.FilePlot(0).Record());
}

std::optional<ScaledBackground> BackgroundFor(RecordSets& sets, const SpectrumPlot& plot, std::string* why) {
  const BackgroundSet& background = sets.Background();
  if (!background.Loaded()) {
    if (why != nullptr) *why = "No background is loaded.";
    return std::nullopt;
  }
  return MakeScaledBackground(plot.Record(), MeasurementLiveSeconds(sets, plot),
                              background.Record(plot.SpectrumIndex()), background.LiveSeconds(), why);
}

PlotBackground PlotBackgroundFor(RecordSets& sets, const SpectrumPlot& plot) {
  PlotBackground result;
  const BackgroundView view = sets.Background().ShownView();
  if (view == BackgroundView::Off) return result;
  const SpectrumRecord& background = sets.Background().Record(plot.SpectrumIndex());
  result.scaled = BackgroundFor(sets, plot);
  if (!result.scaled) {
    result.caption = background.hardSize != plot.HardSize()
                         ? FormatText("NO BACKGROUND: %d channels, spectrum %d", background.hardSize, plot.HardSize())
                         : std::string("NO BACKGROUND");
    return result;
  }
  result.net = view == BackgroundView::Net;
  result.caption = result.net ? std::string("NET (background subtracted)")
                              : FormatText("+ BACKGROUND (x%.3f)", result.scaled->scale);
  return result;
}

namespace {

bool HoldsCounts(const SpectrumRecord& record) {
  const int size = std::clamp(record.hardSize, 0, kMaxChannels);
  return std::any_of(record.hardCounts, record.hardCounts + size, [](std::uint32_t c) { return c != 0; });
}

void RedrawAll(RecordSets& sets) {
  for (int set : {kBufferSet, kFileSet})
    for (int k = 0; k < 4; ++k) sets.Plot(k, set).RequestRedraw(RedrawKind::Full);
}

}  // namespace

bool AdoptBackground(RecordSets& sets, const std::array<const SpectrumRecord*, 4>& records, double liveSeconds,
                     const std::string& fileName, std::string* why) {
  auto refuse = [why](std::string text) {
    if (why != nullptr) *why = std::move(text);
    return false;
  };
  if (!(liveSeconds > 0.0) || !std::isfinite(liveSeconds))
    return refuse("The background has no live time: it cannot be scaled to the spectrum.");
  const int shownSet = sets.ShownSetMode() == kFileSet ? kFileSet : kBufferSet;
  bool anyCounts = false;
  for (int k = 0; k < 4; ++k) {
    const SpectrumRecord& candidate = *records[static_cast<std::size_t>(k)];
    if (!HoldsCounts(candidate)) continue;
    anyCounts = true;
    const SpectrumPlot& plot = sets.Plot(k, shownSet);
    if (candidate.hardSize != plot.HardSize())
      return refuse(FormatText("S%d: the background has %d channels and the spectrum %d: a background must have the "
                               "same number of channels as the spectrum.",
                               k, candidate.hardSize, plot.HardSize()));
  }
  if (!anyCounts) return refuse("The background file holds no counts.");
  sets.Background().Take(records, liveSeconds, fileName);
  RedrawAll(sets);
  return true;
}

void ToggleBackgroundOverlay(RecordSets& sets) {
  sets.Background().ToggleOverlay();
  RedrawAll(sets);
}

void ToggleNetSpectrum(RecordSets& sets) {
  sets.Background().ToggleNet();
  RedrawAll(sets);
}

void CloseBackground(RecordSets& sets) {
  sets.Background().Close();
  RedrawAll(sets);
}

}  // namespace mirvo
