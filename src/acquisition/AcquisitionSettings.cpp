#include "acquisition/AcquisitionSettings.h"

#include <string>

namespace mirvo {
namespace {

const std::vector<std::string> kPresetKinds{"real", "live"};
const std::vector<std::string> kCoincidenceWords{"disabled", "direct", "window-coinc", "window-anticoinc"};

std::string Join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : "|") + word;
  return text;
}

// A delay in samples, with its microseconds as the panel shows them.
NamedSetting Delay(AcquisitionPanel& panel, const char* name, int maximum, int (AcquisitionPanel::*get)() const,
                   int (AcquisitionPanel::*set)(std::int64_t), const std::string& (AcquisitionPanel::*us)() const) {
  return {name, "samples", "1 .. " + std::to_string(maximum),
          [&panel, get, us] {
            std::string micro = (panel.*us)();
            micro.erase(0, micro.find_first_not_of(' '));
            return std::to_string((panel.*get)()) + " = " + micro + " us";
          },
          [&panel, set, maximum](const std::string& text, std::string& error) {
            long long value = 0;
            if (!ParseWholeNumber(text, 1, maximum, value)) {
              error = "a whole number of samples from 1 to " + std::to_string(maximum);
              return false;
            }
            (panel.*set)(value);
            return true;
          }};
}

}  // namespace

std::vector<NamedSetting> AcquisitionSettings(AcquisitionPanel& panel) {
  std::vector<NamedSetting> settings;
  settings.push_back({"preset.kind", "", Join(kPresetKinds),
                      [&panel] { return kPresetKinds[static_cast<std::size_t>(panel.PresetKindIndex())]; },
                      [&panel](const std::string& text, std::string& error) {
                        const int index = WordIndex(text, kPresetKinds);
                        if (index < 0) {
                          error = "real or live";
                          return false;
                        }
                        panel.OnPresetKindSelected(index);
                        return true;
                      }});
  settings.push_back({"preset", "s", "0 .. " + std::to_string(kMaxPresetSeconds),
                      [&panel] { return std::to_string(panel.PresetSeconds()); },
                      [&panel](const std::string& text, std::string& error) {
                        long long seconds = 0;
                        if (!ParseWholeNumber(text, 0, kMaxPresetSeconds, seconds)) {
                          error = kPresetTooLongText;
                          return false;
                        }
                        return panel.OnPresetTyped(seconds);
                      }});
  settings.push_back({"pulser", "", "on|off", [&panel] { return std::string(panel.Pulser() ? "on" : "off"); },
                      [&panel](const std::string& text, std::string& error) {
                        bool on = false;
                        if (!ParseOnOff(text, on)) {
                          error = "on or off";
                          return false;
                        }
                        panel.OnPulserClicked(on);
                        return true;
                      }});
  settings.push_back({"coincidence", "", Join(kCoincidenceWords),
                      [&panel] { return kCoincidenceWords[static_cast<std::size_t>(panel.CoincidenceListIndex())]; },
                      [&panel](const std::string& text, std::string& error) {
                        const int index = WordIndex(text, kCoincidenceWords);
                        if (index < 0) {
                          error = Join(kCoincidenceWords);
                          return false;
                        }
                        panel.OnCoincidenceSelected(index);
                        return true;
                      }});
  settings.push_back(Delay(panel, "coincidence.src-delay", kSrcDelayMax, &AcquisitionPanel::SrcDelay,
                           &AcquisitionPanel::OnSrcDelayChanged, &AcquisitionPanel::SrcDelayUsText));
  settings.push_back(Delay(panel, "coincidence.win-width", kWinWidthMax, &AcquisitionPanel::WinWidth,
                           &AcquisitionPanel::OnWinWidthChanged, &AcquisitionPanel::WinWidthUsText));
  settings.push_back(Delay(panel, "coincidence.store-delay", kStoreDelayMax, &AcquisitionPanel::StoreDelay,
                           &AcquisitionPanel::OnStoreDelayChanged, &AcquisitionPanel::StoreDelayUsText));
  return settings;
}

}  // namespace mirvo
