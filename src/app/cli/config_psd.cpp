// mirvo-cli config: the pulse-shape panel's windows (order 2, between amplifier and shaper).
#include <memory>

#include "app/cli/ConfigPanels.h"
#include "panels/PanelHost.h"
#include "panels/PulseShapePanel.h"
#include "panels/PulseShapeSettings.h"

namespace mirvo::cli {
namespace {

struct PulseShapeSession {
  explicit PulseShapeSession(CliAcquisition& session) : host(session.host.buffers), panel(host, session.dialogs) {}
  BufferSetPanelHost host;
  PulseShapePanel panel;
};

std::vector<NamedSetting> MakePulseShape(ConfigPanelContext& context) {
  auto psd = std::make_shared<PulseShapeSession>(context.session);
  psd->panel.Attach(context.session.lifecycle);
  psd->panel.Initialise();
  context.keep.push_back(psd);
  return PulseShapeSettings(psd->panel);
}

const ConfigPanelRegistration registration({2, MakePulseShape});

}  // namespace
}  // namespace mirvo::cli
