// mirvo-psd: the desktop control and acquisition program of the Kvetral spectrometer.
//   mirvo-psd [FILE.mps]   a file given (as the desktop's "Open With" does) opens into the FILE set
#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "base/Clock.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/QtSettingsBackend.h"

namespace {
// The desktop entry, the metainfo and the installed icon carry this id.
constexpr const char* kApplicationId = "org.mirvo.MirvoPSD";
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(mirvo::settings_key::kOrganisation);
  QApplication::setApplicationName(mirvo::settings_key::kApplication);
  QGuiApplication::setDesktopFileName(kApplicationId);
  QApplication::setWindowIcon(
      QIcon::fromTheme(kApplicationId, QIcon(QStringLiteral(":/icons/org.mirvo.MirvoPSD.svg"))));
  mirvo::QtSettingsBackend settings;
  mirvo::CMainFrame mainFrame(mirvo::DefaultClock(), settings);
  mainFrame.show();
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    // Once the window is up, so that a file that does not open reports over it.
    const QString path = arguments.at(1);
    QTimer::singleShot(0, &mainFrame, [&mainFrame, path] { mainFrame.OpenSpectrumFile(path); });
  }
  return QApplication::exec();
}
