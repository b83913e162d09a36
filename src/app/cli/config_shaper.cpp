// mirvo-cli config: the shaper panel's settings (order 3, after the pulse-shape windows).
#include <memory>

#include "app/cli/ConfigPanels.h"
#include "panels/PanelHost.h"
#include "panels/ShaperPanel.h"
#include "panels/ShaperSettings.h"

namespace mirvo::cli {
namespace {

struct ShaperSession {
  explicit ShaperSession(CliAcquisition& session) : host(session.host.buffers), panel(host, period, session.dialogs) {}
  BufferSetPanelHost host;
  SamplePeriod period;
  ShaperPanel panel;
};

std::vector<NamedSetting> MakeShaper(ConfigPanelContext& context) {
  auto shaper = std::make_shared<ShaperSession>(context.session);
  shaper->panel.Attach(context.session.lifecycle);
  // The clock the instrument reports is the one the acquisition panel's microseconds use.
  shaper->panel.onChanged = [s = shaper.get(), &host = context.session.host] { host.samplePeriodUs = s->period.Us(); };
  shaper->panel.Initialise();
  context.keep.push_back(shaper);
  return ShaperSettings(shaper->panel);
}

const ConfigPanelRegistration registration({3, MakeShaper});

}  // namespace
}  // namespace mirvo::cli
