// mirvo-cli config: the amplifier and digital I/O panel's settings (gains, offsets, the gain
// stabilizer, digital I/O), set through the panel on the session's connection.
#include <memory>

#include "app/cli/ConfigPanels.h"
#include "panels/AmplifierSettings.h"
#include "panels/RecordAmplifierHost.h"

namespace mirvo::cli {
namespace {

struct AmplifierParts {
  explicit AmplifierParts(CliAcquisition& session)
      : host(session.host.record),
        panel(host, session.dialogs),
        stabilizer(session.host.record, &session.lifecycle.Link(), &session.panel, session.dialogs) {
    panel.Attach(session.lifecycle, session.panel);
    panel.Initialise();
  }
  RecordAmplifierHost host;
  AmplifierPanel panel;
  StabilizerSettings stabilizer;
};

std::vector<NamedSetting> MakeAmplifier(ConfigPanelContext& context) {
  auto parts = std::make_shared<AmplifierParts>(context.session);
  context.keep.push_back(parts);
  return AmplifierSettings(parts->panel, parts->stabilizer, context.session.host.record);
}

const ConfigPanelRegistration registration({1, MakeAmplifier});

}  // namespace
}  // namespace mirvo::cli
