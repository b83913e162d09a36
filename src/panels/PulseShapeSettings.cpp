#include "panels/PulseShapeSettings.h"

#include <string>

namespace mirvo {
namespace {

using End = PulseShapePanel::End;

NamedSetting Window(const char* name, PulseShapePanel& panel, int window, const char* unit) {
  return {name, unit, "FROM:TO|all",
          [&panel, window] { return std::to_string(panel.From(window)) + ":" + std::to_string(panel.To(window)); },
          [&panel, window](const std::string& text, std::string& error) {
            if (WordIndex(text, {"all"}) == 0) {
              panel.OnAll(window);
              return true;
            }
            const auto colon = text.find(':');
            const long long maximum = panel.MaximumChannel(window);
            long long from = 0, to = 0;
            if (colon == std::string::npos || !ParseWholeNumber(text.substr(0, colon), 0, maximum, from) ||
                !ParseWholeNumber(text.substr(colon + 1), 0, maximum, to)) {
              error = "FROM:TO with channels 0 .. " + std::to_string(maximum) + ", or all";
              return false;
            }
            panel.OnTyped(window, End::kFrom, from);
            panel.OnTyped(window, End::kTo, to);
            return true;
          }};
}

}  // namespace

std::vector<NamedSetting> PulseShapeSettings(PulseShapePanel& panel) {
  return {Window("psd.height", panel, 0, "chn of S1"), Window("psd.s1", panel, 1, "TIPS chn"),
          Window("psd.s2", panel, 2, "TIPS chn"), Window("psd.s3", panel, 3, "TIPS chn")};
}

}  // namespace mirvo
