// The "History" pane: beside Events in the main window; its form exports the CSV, copies a picture
// and clears; against the in-process simulator (on a fake clock) a drifting gain and a stop of the
// counting show in the charts. With MIRVO_SCREENSHOT_DIR=<folder> a simulated hour is run and the
// pane saved as history.png (the README's picture).
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QPushButton>
#include <QtTest>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "acquisition/AcquisitionPanel.h"
#include "display/RecordSets.h"
#include "lib/Simulator.h"
#include "monitor/HistoryChart.h"
#include "monitor/HistoryCsv.h"
#include "monitor/HistoryRecorder.h"
#include "monitor/gui/HistoryCharts.h"
#include "monitor/gui/HistoryView.h"
#include "panels/FileChooser.h"
#include "shell/HeadlessHost.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/COutputWnd.h"

using namespace mirvo;

namespace {

constexpr std::size_t kIncoming = Index(HistoryQuantity::kIncomingRate);
constexpr std::size_t kCentroid = Index(HistoryQuantity::kCentroid);

struct ScriptedFiles final : IFileChooser {
  bool ChooseFile(const FileDialogRequest& request, std::string& chosen) override {
    asked = request;
    chosen = answer;
    return !answer.empty();
  }
  FileDialogRequest asked;
  std::string answer;
};

// The program's acquisition side without a window, the simulator and the history on one fake clock:
// each step moves the clock and waits for the status read that follows.
struct SimulatedRun {
  explicit SimulatedRun(test::FakeClock& clock) : clock(clock) {
    kvetral::SimOptions options;
    options.clock = &clock;
    options.source = "mixed";
    options.rate = 20000;
    options.drift = -0.6;  // the gain falls as the instrument warms
    sim = std::make_unique<kvetral::Simulator>(options);
    panel.Attach(connection.lifecycle);
    panel.Initialise();
    recorder.Attach(connection.lifecycle, &panel);
  }
  bool Start() {
    if (!sim->Start()) return false;
    connection.lifecycle.SetDeviceName(sim->DevicePath());
    if (!connection.lifecycle.ConnectHardware() || !WaitForStatus()) return false;
    panel.StartAcquisition();
    return WaitForStatus();
  }
  bool WaitForStatus() {
    const int folds = host.statusFolds;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    connection.loop.RunUntil([&] { return host.statusFolds > folds || std::chrono::steady_clock::now() > deadline; });
    return host.statusFolds > folds;
  }
  // `seconds` of instrument time in steps of two seconds, a status read and a tick each.
  bool Run(int seconds) {
    for (int t = 0; t < seconds; t += 2) {
      clock.Advance(2000);
      if (!WaitForStatus()) return false;
      SpectrumPlot& s1 = sets.BufferPlot(1);
      s1.RebuildSoftSpectrum();
      sets.BufferPlot(0).RebuildSoftSpectrum();
      if (!roiMarked) MarkRoiAndFom();
      recorder.OnTick(s1, sets.BufferPlot(0));
    }
    return true;
  }
  // A ROI over the 662 keV line of S1 with the cursor on it; the FOM ranges on the two humps of S0.
  void MarkRoiAndFom() {
    SpectrumPlot& s1 = sets.BufferPlot(1);
    const int f = s1.Factor();
    for (int ch = 830 / f; ch <= 1060 / f; ++ch) s1.SetChannelRoi(ch, true);
    s1.SetCursorChannel(993 / f);
    CalibrationRecord& stored = sets.BufferPlot(0).Record().stored;
    stored.fomPeak1First = 800;
    stored.fomPeak1Last = 1200;
    stored.fomPeak2First = 1400;
    stored.fomPeak2Last = 1800;
    roiMarked = true;
  }

  test::FakeClock& clock;
  std::unique_ptr<kvetral::Simulator> sim;
  test::FakeClock stampClock{UtcMillisecondsFromCivil({2026, 12, 10, 8, 0, 0, 500})};
  test::FakeSleeper stampSleeper{&stampClock};
  test::FakeSleeper linkSleeper;
  test::ScriptedDialogs dialogs;
  HeadlessHost host{stampClock};
  HeadlessConnection connection{host, linkSleeper};
  AcquisitionPanel panel{host, {host.startTime, dialogs, stampClock, stampSleeper}, dialogs, dialogs};
  RecordSets sets{host.memory};
  HistoryRecorder recorder{host, clock};
  bool roiMarked = false;
};

struct NoHost final : IAcquisitionHost {
  SpectrumRecord record;
  SpectrumRecord& LiveRecord() override { return record; }
  const SpectrumRecord* SettingsRecord() override { return &record; }
  double SamplePeriodUs() const override { return 0.008; }
  void AddLine(const std::string&) override {}
};

}  // namespace

class HistoryPaneTest : public QObject {
  Q_OBJECT
 private slots:
  void thePaneSitsBesideEvents() {
    MemorySettingsBackend settings;
    test::FakeClock clock(UtcMillisecondsFromCivil({2026, 12, 10, 8, 0, 0, 0}));
    CMainFrame frame(clock, settings);
    frame.resize(1400, 900);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QDockWidget* history = frame.Pane("HistoryPane");
    QVERIFY(history != nullptr);
    QCOMPARE(history->windowTitle(), QString("History"));
    QVERIFY(frame.tabifiedDockWidgets(frame.OutputPane()).contains(history));
    QVERIFY(history->findChild<HistoryView*>() != nullptr);
    QVERIFY(frame.History().Run().Empty());
    if (const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR")) {
      history->raise();
      QTest::qWait(300);
      QVERIFY(frame.grab().save(QString::fromLatin1(folder) + "/history-window.png"));
    }
  }

  void theFormExportsCopiesAndClears() {
    test::FakeClock clock(UtcMillisecondsFromCivil({2026, 12, 10, 8, 0, 0, 0}));
    NoHost host;
    HistoryRecorder recorder(host, clock);
    for (int i = 0; i < 50; ++i) {
      HistoryStatus status;
      status.running = true;
      status.realSeconds = i;
      status.incomingRate = 1000 + i;
      recorder.OnStatus(status);
      clock.Advance(1000);
    }
    ScriptedFiles files;
    test::ScriptedDialogs dialogs;
    HistoryView view(recorder, files, dialogs);
    view.resize(900, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QString path = QDir::temp().filePath(QString("history_pane_%1").arg(QCoreApplication::applicationPid()));
    QFile::remove(path + ".csv");
    files.answer = path.toStdString();  // the extension is added
    view.findChild<QPushButton*>("HistoryExport")->click();
    QCOMPARE(files.asked.defaultExtension, std::string("csv"));
    QVERIFY(files.asked.save);
    QFile written(path + ".csv");
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().toStdString(), HistoryCsvText(recorder.Run(), HistoryKind::kRun, recorder.RunOriginMs()));
    written.close();
    // Once more: the file exists, the overwrite question, answered Cancel, keeps it.
    dialogs.answerOk = false;
    view.findChild<QPushButton*>("HistoryExport")->click();
    QCOMPARE(dialogs.questions.size(), std::size_t{1});
    QFile::remove(path + ".csv");

    QApplication::clipboard()->clear();
    view.findChild<QPushButton*>("HistoryCopy")->click();
    const QImage copied = QApplication::clipboard()->image();
    QVERIFY(!copied.isNull());
    QCOMPARE(copied.size() / copied.devicePixelRatio(), view.Charts()->size());

    view.findChild<QComboBox*>("HistoryChoice")->setCurrentIndex(1);  // the series: none yet
    view.findChild<QComboBox*>("HistoryChoice")->setCurrentIndex(0);
    view.findChild<QPushButton*>("HistoryClear")->click();
    QVERIFY(recorder.Run().Empty());
  }

  void aDriftingGainAndAStopOfTheCountingShow() {
    const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR");
    // An hour for the picture; ten minutes otherwise. The counting stops for a while in the middle.
    const int total = folder ? 3600 : 600;
    test::FakeClock clock(UtcMillisecondsFromCivil({2026, 12, 10, 8, 0, 0, 0}));
    SimulatedRun run(clock);
    QVERIFY(run.Start());
    QVERIFY(run.Run(total * 4 / 10));
    run.sim->SetCountingPaused(true);
    QVERIFY(run.Run(total / 10));
    run.sim->SetCountingPaused(false);
    QVERIFY(run.Run(total / 2));

    const HistoryBuffer& history = run.recorder.Run();
    QVERIFY(history.LastTime() >= total - 10);
    // The stop: the incoming rate fell to 0 and the columns in the middle say so.
    const std::vector<bool> stalled = StalledColumns(history, 0, history.LastTime(), 100);
    const auto stalledCount = std::count(stalled.begin(), stalled.end(), true);
    QVERIFY2(stalledCount >= 6 && stalledCount <= 14, qPrintable(QString::number(stalledCount)));
    QVERIFY(stalled[45]);
    QVERIFY(!stalled[20] && !stalled[80]);
    // The drift: the centroid of the 662 keV line falls as the instrument warms.
    double first = NAN, last = NAN;
    for (std::size_t i = 0; i < history.Size(); ++i) {
      const HistoryStat& c = history.At(i).stats[kCentroid];
      if (c.n == 0) continue;
      if (std::isnan(first)) first = c.Mean();
      last = c.Mean();
    }
    QVERIFY2(last < first - 3, qPrintable(QString("%1 -> %2").arg(first).arg(last)));
    QVERIFY(history.At(history.Size() - 1).stats[kIncoming].n + history.At(history.Size() - 2).stats[kIncoming].n > 0);

    if (folder) {
      ScriptedFiles files;
      test::ScriptedDialogs dialogs;
      HistoryView view(run.recorder, files, dialogs);
      view.resize(1500, 900);
      view.show();
      QVERIFY(QTest::qWaitForWindowExposed(&view));
      QTest::qWait(100);
      QVERIFY(view.grab().save(QString::fromLatin1(folder) + "/history.png"));
    }
  }
};

QTEST_MAIN(HistoryPaneTest)
#include "history_pane_test.moc"
