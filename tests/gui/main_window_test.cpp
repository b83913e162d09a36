#include <QDockWidget>
#include <QListWidget>
#include <QtTest>

#include "FakeClock.h"
#include "shell/OutputLog.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/COutputWnd.h"

using namespace mirvo;

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void opensWithTheEventsPane() {
    CivilTime t;
    t.year = 2019;
    t.month = 3;
    t.day = 5;
    t.hour = 14;
    t.minute = 7;
    t.second = 9;
    auto clock = test::FakeClock::AtLocal(t);
    CMainFrame frame(clock);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QString("mirvo-PSD"));
    QCOMPARE(MainFrame(), &frame);

    auto* pane = frame.findChild<QDockWidget*>(COutputWnd::kObjectName);
    QVERIFY(pane != nullptr);
    QCOMPARE(pane->windowTitle(), QString("Events"));
    QVERIFY(pane->isVisible());
    auto* list = frame.OutputPane()->List();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("05-MAR-19@14:07:09>> Start Application"));

    // The pane follows the log and keeps its bound.
    for (int i = 0; i < 250; ++i) frame.OutputLog().AddLine("event " + std::to_string(i));
    QCOMPARE(list->count(), 200);
    QCOMPARE(list->item(199)->text(), QString("05-MAR-19@14:07:09>> event 249"));
    QCOMPARE(list->currentRow(), 199);
    QVERIFY(frame.OutputLog().MaxWidth() > 0);

    QVERIFY(frame.close());
  }

  void mainWindowPointerClearedOnExit() {
    {
      test::FakeClock clock;
      CMainFrame frame(clock);
      QVERIFY(MainFrame() == &frame);
    }
    QVERIFY(MainFrame() == nullptr);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
