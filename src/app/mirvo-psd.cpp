// mirvo-psd: the desktop control and acquisition program of the Kvetral spectrometer.
#include <QApplication>

#include "base/Clock.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/QtSettingsBackend.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(mirvo::settings_key::kOrganisation);
  QApplication::setApplicationName(mirvo::settings_key::kApplication);
  mirvo::QtSettingsBackend settings;
  mirvo::CMainFrame mainFrame(mirvo::DefaultClock(), settings);
  mainFrame.show();
  return QApplication::exec();
}
