// The Trace Viewer pane in the whole program against the in-process simulator: RUN draws slow-shaper
// pulses with their digital lanes, Av4 averages them, Copy Trace View puts the trace area or the
// whole viewer on the clipboard. With MIRVO_SCREENSHOT_DIR=<folder> the pane is saved as
// pictures (trace-viewer*.png; the README's picture is made this way).
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <cstdlib>

#include "lib/Simulator.h"
#include "acquisition/LinkLifecycle.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "traces/TraceViewer.h"
#include "traces/gui/COscopeView.h"

using namespace mirvo;

namespace {
constexpr int kGuardMs = 60000;

// Pixels of the trace area in the analog trace's colour.
int AnalogPixels(const QImage& image) {
  const QRgb analog = TraceScreen::LaneColour(0).rgb();
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (analog & 0xFFFFFF)) ++count;
  return count;
}
}  // namespace

class TraceViewerWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void runDrawsTracesAndAveragesThem() {
    kvetral::SimOptions options;
    options.source = "cs137";
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());

    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    frame.setGeometry(screen);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QDockWidget* pane = frame.Pane("TraceViewerPane");
    QVERIFY(pane != nullptr);
    // The pane floats beside the window, large enough for the wide trace area when the screen is.
    pane->setFloating(true);
    pane->resize(std::min(screen.width() - 40, 1000), std::min(screen.height() - 60, 640));
    pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(pane));

    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), kGuardMs);
    TraceViewer& viewer = *frame.Traces();
    COscopeView& view = *frame.TraceView();
    QTRY_VERIFY_WITH_TIMEOUT(viewer.Synchronised(), kGuardMs);

    viewer.OnHorizontalMinus();  // 1 us/div: the slow pulse spreads over a third of the screen
    viewer.OnTrigger(1);         // on S LLD
    viewer.OnVerticalMinus();    // 4k/div
    QTest::mouseClick(view.RunButton(), Qt::LeftButton);
    QCOMPARE(view.RunButton()->text(), QString("STOP"));
    QTRY_VERIFY_WITH_TIMEOUT(viewer.BlocksShown() >= 3, kGuardMs);
    QTRY_VERIFY_WITH_TIMEOUT(AnalogPixels(view.Screen()->grab().toImage()) > 100, kGuardMs);
    Save(*pane, "");

    // Av4: the noise averages out.
    for (int i = 0; i < 3; ++i) QTest::mouseClick(view.ModeButton(), Qt::LeftButton);
    QCOMPARE(view.ModeButton()->text(), QString("Av4"));
    QCOMPARE(view.RunButton()->text(), QString("RUN"));  // passing SGL stopped the capture
    QTest::mouseClick(view.RunButton(), Qt::LeftButton);
    const long long shown = viewer.BlocksShown();
    QTRY_VERIFY_WITH_TIMEOUT(viewer.BlocksShown() >= shown + 8, kGuardMs);
    Save(*pane, "-averaged");

    // Copy Trace View: the trace area alone, or the whole viewer.
    frame.RunCommand(cmd::kCopyTraces);
    QCOMPARE(QApplication::clipboard()->image().size(), view.Screen()->size());
    frame.RunCommand(cmd::kCopyTraceViewer);
    QCOMPARE(QApplication::clipboard()->image().size(), view.size());

    QTest::mouseClick(view.RunButton(), Qt::LeftButton);
    QCOMPARE(view.RunButton()->text(), QString("RUN"));
    QVERIFY(!viewer.TraceRunning());

    // INPUT R pressed while it is the trigger: the coincidence alternative, in both captions.
    auto* inputR = view.findChild<QPushButton*>("Trigger6");
    auto* inhibit = view.findChild<QPushButton*>("Trigger5");
    QTest::mouseClick(inputR, Qt::LeftButton);
    QCOMPARE(inputR->text(), QString("INPUT R"));
    QVERIFY(inputR->isChecked());
    QTest::mouseClick(inputR, Qt::LeftButton);
    QCOMPARE(inputR->text(), QString("COINC S"));
    QCOMPARE(inhibit->text(), QString("COINC W"));
    QVERIFY(inputR->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(sim.Register(0x1A) & 0x04, kGuardMs);
    frame.RunCommand(cmd::kDisconnect);
  }

 private:
  static void Save(QDockWidget& pane, const QString& suffix) {
    const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR");
    if (folder == nullptr) return;
    const QSize size = QApplication::primaryScreen()->size();
    const QString tag = QString("%1x%2").arg(size.width()).arg(size.height());
    QVERIFY(pane.grab().save(QString("%1/trace-viewer%2-%3.png").arg(folder, suffix, tag)));
  }
};

QTEST_MAIN(TraceViewerWindowTest)
#include "trace_viewer_window_test.moc"
