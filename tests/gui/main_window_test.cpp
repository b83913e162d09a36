#include <QAction>
#include <QLineEdit>
#include <QDockWidget>
#include <QListWidget>
#include <QTabWidget>
#include <QtTest>

#include "FakeClock.h"
#include "lib/Simulator.h"
#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkLifecycle.h"
#include "acquisition/gui/CAcquisitionView.h"
#include "shell/Commands.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/COutputWnd.h"

using namespace mirvo;

namespace {
CivilTime March5() {
  CivilTime t;
  t.year = 2019;
  t.month = 3;
  t.day = 5;
  t.hour = 14;
  t.minute = 7;
  t.second = 9;
  return t;
}
}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void opensWithItsPanesAndTheEventsLog() {
    auto clock = test::FakeClock::AtLocal(March5());
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QString("mirvo-PSD"));
    QCOMPARE(MainFrame(), &frame);

    for (const char* name : {"SpectrumPaneS0", "SpectrumPaneS1", "SpectrumPaneS2", "SpectrumPaneS3", "EventsPane",
                             "SpectrumInfoPane", "CalibrationPane", "AcquisitionPane", "SignalsPane", "PsaPane",
                             "PsdPane", "TraceViewerPane", "DebugPane"})
      QVERIFY2(frame.Pane(name) != nullptr, name);
    QCOMPARE(frame.Pane("EventsPane")->windowTitle(), QString("Events"));
    QCOMPARE(frame.Pane("SpectrumPaneS1")->windowTitle(), QString("S1: GAMMA+NEUTRONS"));

    auto* list = frame.OutputPane()->List();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("05-MAR-19@14:07:09>> Start Application"));
    for (int i = 0; i < 250; ++i) frame.Log().AddLine("event " + std::to_string(i));
    QCOMPARE(list->count(), 200);
    QCOMPARE(list->item(199)->text(), QString("05-MAR-19@14:07:09>> event 249"));
  }

  void defaultLayoutBringsBackClosedPanesAndTheFirstTickSyncs() {
    auto clock = test::FakeClock::AtLocal(March5());
    MemorySettingsBackend settings;  // no "AppStateDefault" stored
    CMainFrame frame(clock, settings);
    frame.resize(1366, 768);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY(!frame.Sets().RefreshRequested());  // synchronised once without any plot taking the focus
    // The Events pane shows a connect, start and stop sequence: ten lines or so.
    QTRY_VERIFY2(frame.Pane("EventsPane")->height() >= 200, qPrintable(QString::number(frame.Pane("EventsPane")->height())));
    for (const char* name : {"SpectrumPaneS3", "EventsPane", "PsdPane"}) frame.Pane(name)->close();
    QVERIFY(!frame.Pane("SpectrumPaneS3")->isVisible());
    frame.RunCommand(cmd::kDefaultLayout);
    for (const char* name : {"SpectrumPaneS3", "EventsPane", "PsdPane"}) QVERIFY2(!frame.Pane(name)->isHidden(), name);
    // The Events pane shows a connect, start and stop sequence: ten lines or so.
    QTRY_VERIFY2(frame.Pane("EventsPane")->height() >= 200, qPrintable(QString::number(frame.Pane("EventsPane")->height()) + " " + QString::number(frame.height())));
  }

  void typedPresetIsTakenBeforeACommandActs() {
    auto clock = test::FakeClock::AtLocal(March5());
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* view = frame.findChild<CAcquisitionView*>();
    QVERIFY(view != nullptr);
    QLineEdit* preset = view->PresetEdit();
    preset->setFocus();
    preset->selectAll();
    QTest::keyClicks(preset, "123");
    QVERIFY(preset->hasFocus());  // still typing: the edit has not been left
    frame.StartTime().askFlag = false;  // the start-time kind was chosen already: START does not ask
    frame.RunCommand(cmd::kStart);      // the toolbar's Start takes no focus
    QCOMPARE(frame.Acquisition().PresetSeconds(), 123);
  }

  void firstRunTakesTheDefaultsAndCloseWritesEverything() {
    test::FakeClock clock;
    MemorySettingsBackend settings;
    {
      CMainFrame frame(clock, settings);
      QCOMPARE(frame.ApplicationLook(), int(cmd::kLookBlack));
      QVERIFY(frame.Action(cmd::kLookBlack)->isChecked());
      QCOMPARE(frame.Sets().BufferPlot(0).Record().caption, std::string("TIPS"));
      QCOMPARE(frame.Sets().BufferPlot(2).Record().stored.enabled, 0);
      frame.show();
      QVERIFY(frame.close());
    }
    QVERIFY(MainFrame() == nullptr);
    SettingsStore store(settings);
    QCOMPARE(store.LoadAppLook(), std::uint32_t(cmd::kLookBlack));
    QVERIFY(store.LoadWindowPlacement().has_value());
    QVERIFY(store.LoadLayout(settings_key::kAppState).has_value());
    QVERIFY(store.LoadLayout(settings_key::kToolbarState).has_value());
    QCOMPARE(settings.ReadText(settings_key::kSpectrum, "CaptionS3").value(), std::string("NEUTRONS"));
    QCOMPARE(settings.ReadBinary(settings_key::kSpectrum, "CalibrationS1")->size(), std::size_t(376));
  }

  void restartRoundTrip() {
    test::FakeClock clock;
    MemorySettingsBackend settings;
    {
      CMainFrame frame(clock, settings);
      frame.RunCommand(cmd::kLookFirst + 7);  // Silver
      frame.Sets().BufferPlot(0).SetColours({1, 2, 3, 4});
      frame.Sets().ApplyCaptions({"a", "b", "c", "d"});
      frame.Sets().BufferPlot(3).Record().stored.enabled = 1;
      frame.Sets().BufferPlot(3).Record().stored.pointCount = 2;
      frame.show();
      frame.close();
    }
    CMainFrame again(clock, settings);
    QCOMPARE(again.ApplicationLook(), cmd::kLookFirst + 7);
    QVERIFY(again.Sets().BufferPlot(0).Colours() == (PlotColours{1, 2, 3, 4}));
    QCOMPARE(again.Sets().BufferPlot(2).Record().caption, std::string("c"));
    QCOMPARE(again.Sets().BufferPlot(3).Record().stored.enabled, 0);
    QCOMPARE(again.Sets().BufferPlot(3).Record().stored.pointCount, 2);
    QCOMPARE(again.Pane("SpectrumPaneS2")->windowTitle(), QString("S2: c"));
  }

  void fileTabOnOnePaneSwitchesAllFourWithinATick() {
    test::FakeClock clock;
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto tabs = [&](int k) { return frame.Pane(QString("SpectrumPaneS%1").arg(k))->findChild<QTabWidget*>(); };
    QWidget* acquisition = frame.Pane("AcquisitionPane")->widget();
    QVERIFY(acquisition->isEnabled());

    tabs(3)->setCurrentIndex(1);  // FILE on S3, as a click on its tab
    frame.OnTimerTick();
    for (int k = 0; k < 4; ++k) QCOMPARE(tabs(k)->currentIndex(), 1);
    QCOMPARE(frame.Sets().ShownSetMode(), int(kFileSet));
    QVERIFY(!acquisition->isEnabled());
    QVERIFY(!frame.Action(cmd::kConnect)->isEnabled());  // link commands only for the live set

    tabs(0)->setCurrentIndex(0);  // BUFFER again
    frame.OnTimerTick();
    for (int k = 0; k < 4; ++k) QCOMPARE(tabs(k)->currentIndex(), 0);
    QVERIFY(acquisition->isEnabled());
    QVERIFY(frame.Action(cmd::kConnect)->isEnabled());
  }

  void commandEnablingFollowsTheLink() {
    test::FakeClock clock;
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.OnTimerTick();
    QVERIFY(frame.Action(cmd::kConnect)->isEnabled());
    QVERIFY(frame.Action(cmd::kAutoConnect)->isEnabled());
    QVERIFY(!frame.Action(cmd::kDisconnect)->isEnabled());
    QVERIFY(!frame.Action(cmd::kStart)->isEnabled());
    QVERIFY(!frame.Action(cmd::kStop)->isEnabled());

    frame.Lifecycle().Link().SetConnected(true);
    frame.OnTimerTick();
    QVERIFY(!frame.Action(cmd::kConnect)->isEnabled());
    QVERIFY(frame.Action(cmd::kDisconnect)->isEnabled());
    QVERIFY(frame.Action(cmd::kStart)->isEnabled());
    QVERIFY(!frame.Action(cmd::kStop)->isEnabled());
    frame.Sets().LiveRecord().registers.SetRun();
    frame.OnTimerTick();
    QVERIFY(!frame.Action(cmd::kStart)->isEnabled());
    QVERIFY(frame.Action(cmd::kStop)->isEnabled());
    frame.Lifecycle().Link().SetConnected(false);
  }

  void connectedProgramPollsTheSimulator() {
    kvetral::SimOptions options;
    options.rate = 200000;
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());
    sim.SetRegister(0x10, 0x0001);  // counting
    test::FakeClock clock;
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QVERIFY(frame.Lifecycle().Link().Connected());
    QCOMPARE(frame.Pane("SpectrumPaneS1")->windowTitle(),
             QString::fromStdString("S1: GAMMA+NEUTRONS @ " + sim.DevicePath().substr(sim.DevicePath().rfind('/') + 1)));
    const auto total = [&] {
      std::uint64_t sum = 0;
      for (std::uint32_t count : frame.Memory().Counts()) sum += count;
      return sum;
    };
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding() && total() > 0, 10000);
    const std::uint64_t first = total();
    QTRY_VERIFY_WITH_TIMEOUT(total() > first, 10000);  // the spectra grow while polling goes on
    // Suspending closes the link like a disconnect, and keeps the image from being overwritten.
    frame.OnPowerEvent(true);
    QVERIFY(!frame.Lifecycle().Link().Connected());
    QVERIFY(!frame.Lifecycle().Link().Port().IsOpen());
    QCOMPARE(frame.Sets().LiveRecord().refreshEnable, 0);
    QVERIFY(frame.Log().Line(frame.Log().Size() - 1).ends_with(">> Disconnected from hardware"));
    frame.OnPowerEvent(false);
    QCOMPARE(frame.ApplicationLook(), int(cmd::kLookBlack));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
