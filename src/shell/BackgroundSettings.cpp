#include "shell/BackgroundSettings.h"

#include "display/BackgroundSet.h"
#include "display/RecordSets.h"

namespace mirvo {

namespace {

std::string OverlayName(const char* prefix, int spectrum) {
  std::string name = prefix;
  name.append(settings_key::kOverlayColour).append("S").append(std::to_string(spectrum));
  return name;
}

}  // namespace

void LoadBackgroundSettings(const ISettingsBackend& backend, RecordSets& sets) {
  for (int k = 0; k < 4; ++k) {
    for (int set : {kBufferSet, kFileSet}) {
      const auto value = backend.ReadInt(settings_key::kSpectrum, OverlayName(set == kBufferSet ? "Buffer" : "File", k));
      if (!value) continue;
      SpectrumPlot& plot = sets.Plot(k, set);
      PlotColours colours = plot.Colours();
      colours.overlay = *value & 0xFFFFFFu;
      plot.SetColours(colours);
      plot.SetPlotColours(false);
    }
  }
  if (const auto view = backend.ReadInt(settings_key::kSpectrum, settings_key::kBackgroundView); view && *view <= 2)
    sets.Background().SetChosenView(static_cast<BackgroundView>(*view));
}

void SaveBackgroundSettings(ISettingsBackend& backend, RecordSets& sets) {
  for (int k = 0; k < 4; ++k) {
    backend.WriteInt(settings_key::kSpectrum, OverlayName("Buffer", k), sets.BufferPlot(k).Colours().overlay);
    backend.WriteInt(settings_key::kSpectrum, OverlayName("File", k), sets.FilePlot(k).Colours().overlay);
  }
  backend.WriteInt(settings_key::kSpectrum, settings_key::kBackgroundView,
                   static_cast<std::uint32_t>(sets.Background().ChosenView()));
}

std::string LoadBackgroundPath(const ISettingsBackend& backend) {
  return backend.ReadText(settings_key::kLastPath, settings_key::kBackgroundFile).value_or("");
}

void SaveBackgroundPath(ISettingsBackend& backend, const std::string& path) {
  backend.WriteText(settings_key::kLastPath, settings_key::kBackgroundFile, path);
}

}  // namespace mirvo
