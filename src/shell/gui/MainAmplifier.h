// What the main window keeps for the "SIGNALS" pane: the amplifier panel on the record sets, its
// host, the gain stabilizer's logic, the form and the stabilizer dialog while it is open.
#pragma once

#include <QPointer>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkLifecycle.h"
#include "panels/AmplifierPanel.h"
#include "panels/RecordSetsAmplifierHost.h"
#include "panels/StabilizerSettings.h"

namespace mirvo {

class CAmplifierView;
class CDialogStabilizer;

struct MainAmplifier {
  MainAmplifier(RecordSets& sets, LinkLifecycle& lifecycle, AcquisitionPanel& acquisition, IUserDialog& dialogs)
      : host(sets),
        panel(host, dialogs),
        stabilizer(sets.LiveRecord(), &lifecycle.Link(), &acquisition, dialogs) {
    panel.Attach(lifecycle, acquisition);
  }
  RecordSetsAmplifierHost host;
  AmplifierPanel panel;
  StabilizerSettings stabilizer;
  CAmplifierView* view = nullptr;
  QPointer<CDialogStabilizer> dialog;
};

}  // namespace mirvo
