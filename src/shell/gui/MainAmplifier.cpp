// The main window's amplifier and digital I/O panel: the panel on the record sets, its form in the
// "SIGNALS" pane, and the gain stabilizer dialog it opens without blocking.
#include "shell/gui/MainAmplifier.h"

#include <QScrollArea>

#include "display/gui/QtUserDialog.h"
#include "panels/ShaperPanel.h"
#include "panels/gui/CAmplifierView.h"
#include "panels/gui/CDialogStabilizer.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/PanelPane.h"

namespace mirvo {

void CMainFrame::BuildAmplifier() {
  amplifier_ = std::make_unique<MainAmplifier>(*recordSets_, *lifecycle_, *acquisitionPanel_, *userDialog_);
  MainAmplifier& a = *amplifier_;
  a.view = new CAmplifierView(a.panel);
  a.host.onPanelChanged = [view = a.view] { view->ShowValues(); };
  a.host.onShaperRecompute = [this] {
    if (shaperPanel_) shaperPanel_->ComputeGainNormalisation(recordSets_->LiveRecord());
  };
  a.host.onOpenStabilizer = [this, &a] {
    if (a.dialog) {
      a.dialog->raise();
      a.dialog->activateWindow();
      return;
    }
    a.dialog = new CDialogStabilizer(a.stabilizer, [this] { return ActivePlotPeak(*recordSets_); }, this);
    a.dialog->setAttribute(Qt::WA_DeleteOnClose);
    a.dialog->show();
  };
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(a.view);
  settingsPanes_[1] = new PanelPane("SIGNALS", "SignalsPane", scroll, this);
}

void CMainFrame::RefreshAmplifier() {
  if (!amplifier_) return;
  amplifier_->panel.InvalidateRegister12Copy();
  amplifier_->panel.RefreshFromRecord();
}

AmplifierPanel* CMainFrame::Amplifier() const { return amplifier_ ? &amplifier_->panel : nullptr; }

CDialogStabilizer* CMainFrame::StabilizerDialog() const { return amplifier_ ? amplifier_->dialog.data() : nullptr; }

void CMainFrame::DestroyAmplifier() {
  if (!amplifier_) return;
  delete amplifier_->dialog.data();
  delete settingsPanes_[1];  // the form goes before the panel it shows
  settingsPanes_[1] = nullptr;
  amplifier_.reset();
}

}  // namespace mirvo
