// mirvo-psd: the desktop control and acquisition program of the Kvetral spectrometer.
#include <QApplication>

#include "shell/gui/CMainFrame.h"
#include "timesvc/Clock.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Mirvo");
  QApplication::setApplicationName("Mirvo-PSD 2.50");
  mirvo::CMainFrame mainFrame(mirvo::DefaultClock());
  mainFrame.show();
  return QApplication::exec();
}
