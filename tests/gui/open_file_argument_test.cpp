// mirvo-psd FILE.mps: the window opens the file given on the command line into the FILE set, by the
// path of File > Open Spectrum; a file that does not open is reported and changes nothing.
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <unistd.h>

#include "FakeClock.h"
#include "files/AcquisitionTimes.h"
#include "files/SpectrumFile.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"

using namespace mirvo;

class OpenFileArgumentTest : public QObject {
  Q_OBJECT
 private slots:
  void theFileArgumentOpensIntoTheFileSet() {
    const std::string folder = (std::filesystem::temp_directory_path() /
                                ("mirvo-open-arg-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/run.mps";
    test::FakeClock clock;
    {
      MemorySettingsBackend settings;
      CMainFrame writer(clock, settings);
      writer.Sets().BufferPlot(1).Record().caption = "Cs-137 check";
      writer.Sets().BufferPlot(1).Record().hardCounts[993] = 4711;
      QVERIFY(SaveSpectrumFile(writer.Sets(), path, true, AcquisitionTimes{}).Ok());
    }

    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.OpenSpectrumFile(QString::fromStdString(path));
    QCOMPARE(frame.Sets().ShownSetMode(), int(kFileSet));
    QCOMPARE(frame.Sets().FilePlot(1).Record().caption, std::string("Cs-137 check"));
    QCOMPARE(frame.Sets().FilePlot(1).Record().hardCounts[993], 4711u);
    QCOMPARE(frame.Sets().BufferPlot(1).Record().hardCounts[993], 0u);

    // A missing file: the error box (closed here), and the FILE set keeps what it had.
    QString shown;
    QTimer::singleShot(0, this, [&shown] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->text();
        box->accept();
      }
    });
    frame.OpenSpectrumFile(QString::fromStdString(folder + "/missing.mps"));
    QCOMPARE(shown, QString("Unable to Open File"));
    QCOMPARE(frame.Sets().FilePlot(1).Record().hardCounts[993], 4711u);
    std::filesystem::remove_all(folder);
  }
};

QTEST_MAIN(OpenFileArgumentTest)
#include "open_file_argument_test.moc"
