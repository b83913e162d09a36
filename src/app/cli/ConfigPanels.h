// The settings panels that mirvo-cli config reaches besides the acquisition panel. Each panel's
// file registers a maker: given the session, it builds the panel, attaches it to the connection
// (before the connection is made, so the first status read refreshes it) and returns its settings.
#pragma once

#include <memory>
#include <vector>

#include "acquisition/NamedSetting.h"
#include "app/cli/CliAcquisition.h"

namespace mirvo::cli {

struct ConfigPanelContext {
  CliAcquisition& session;
  std::vector<std::shared_ptr<void>>& keep;  // the panels made for the session live here
};

struct ConfigPanelMaker {
  int order;  // the panels' order in the window: amplifier 1, pulse-shape 2, shaper 3, debugger 4
  std::vector<NamedSetting> (*make)(ConfigPanelContext& context);
};

std::vector<ConfigPanelMaker>& ConfigPanelMakers();

struct ConfigPanelRegistration {
  explicit ConfigPanelRegistration(ConfigPanelMaker maker) { ConfigPanelMakers().push_back(maker); }
};

}  // namespace mirvo::cli
