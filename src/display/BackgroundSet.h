// The background record set: four spectra read from a file that are never shown alone, with their
// live time, and the view the plots take with them (the background overlaid, scaled by the ratio of
// live times, or subtracted: the net spectrum). Each BUFFER and FILE plot binds the background
// spectrum of its own index (S0 with S0 ...) to its soft channels.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "display/PlotBackground.h"
#include "display/ScaledBackground.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

class RecordSets;
class SpectrumPlot;

enum class BackgroundView { Off = 0, Overlay = 1, Net = 2 };

class BackgroundSet {
 public:
  BackgroundSet();
  BackgroundSet(const BackgroundSet&) = delete;
  BackgroundSet& operator=(const BackgroundSet&) = delete;

  bool Loaded() const { return loaded_; }
  const SpectrumRecord& Record(int spectrum) const;
  double LiveSeconds() const { return liveSeconds_; }
  const std::string& FileName() const { return fileName_; }

  // Copies four records (counts, sizes, registers) as the background. Nothing is checked here:
  // AdoptBackground checks before it takes.
  void Take(const std::array<const SpectrumRecord*, 4>& records, double liveSeconds, const std::string& fileName);
  // Close Background: nothing loaded; the chosen view is kept for the next background.
  void Close();

  // The view chosen by the toggles, kept while no background is loaded.
  BackgroundView ChosenView() const { return view_; }
  void SetChosenView(BackgroundView view) { view_ = view; }
  // What the plots show: Off while nothing is loaded.
  BackgroundView ShownView() const { return loaded_ ? view_ : BackgroundView::Off; }
  // Show Background and Net Spectrum: each turns its view on, or off when it is the one chosen.
  void ToggleOverlay();
  void ToggleNet();

 private:
  std::array<std::unique_ptr<SpectrumRecord>, 4> records_;
  bool loaded_ = false;
  double liveSeconds_ = 0.0;
  std::string fileName_;
  BackgroundView view_ = BackgroundView::Overlay;
};

// The live time in seconds held by a set's S0 record registers, with the sample period of its own
// clock code.
double RecordLiveSeconds(const SpectrumRecord& s0);
// The live time of the set a plot belongs to: the live record for a BUFFER plot (it grows while
// acquiring), the FILE record of S0 for a FILE plot.
double MeasurementLiveSeconds(RecordSets& sets, const SpectrumPlot& plot);

// The plot's background bound to its soft channels with the live-time scale, or nothing (with the
// reason) when no background is loaded or it cannot be bound (another hard size). The Spectrum Info
// pane takes this for the net area of the active plot.
std::optional<ScaledBackground> BackgroundFor(RecordSets& sets, const SpectrumPlot& plot, std::string* why = nullptr);

// What the plot draws in the chosen view, with its caption: "+ BACKGROUND (x0.500)" over the
// measurement, "NET (background subtracted)" instead of it, "NO BACKGROUND: ..." when it cannot be
// bound; nothing at all while no background is loaded or the view is off.
PlotBackground PlotBackgroundFor(RecordSets& sets, const SpectrumPlot& plot);

// Open Background: takes the records as the background of `sets` unless one of the spectra that
// holds counts has another hard size than the record of the shown set it would be drawn with, or
// the live time is not positive; then nothing changes and `why` says so. An all-empty file is
// refused as well. Returns true when taken; every plot then redraws in full.
bool AdoptBackground(RecordSets& sets, const std::array<const SpectrumRecord*, 4>& records, double liveSeconds,
                     const std::string& fileName, std::string* why);

// Show Background / Net Spectrum / Close Background on the sets' background, and a full redraw of
// every plot so that the view change shows at the next tick.
void ToggleBackgroundOverlay(RecordSets& sets);
void ToggleNetSpectrum(RecordSets& sets);
void CloseBackground(RecordSets& sets);

}  // namespace mirvo
