// The FPGA dialog offscreen against the in-process simulator at the real line rate: the port taken
// from the paused link, the bar moving during an upload, a verify, the busy box, closing in the
// middle of an upload, the remembered path. MIRVO_SCREENSHOT_DIR=folder saves pictures of it.
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "FileTestSupport.h"
#include "FpgaFixtures.h"
#include "acquisition/LinkLifecycle.h"
#include "fpga/gui/CProgramFPGA.h"
#include "lib/Simulator.h"
#include "link/gui/QtMessageTarget.h"
#include "shell/Commands.h"
#include "shell/HeadlessHost.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include <QApplication>
#include <QTimer>

using namespace mirvo;

namespace {

void SaveShot(QWidget& widget, const char* name) {
  const QByteArray folder = qgetenv("MIRVO_SCREENSHOT_DIR");
  if (!folder.isEmpty()) QVERIFY(widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name));
}

// The main window's side: the link on Qt's loop, port events routed through the lifecycle.
struct Link {
  explicit Link(unsigned baud) {
    kvetral::SimOptions options;
    options.baud = baud;
    sim = std::make_unique<kvetral::Simulator>(options);
    started = sim->Start();
    lifecycle.SetDeviceName(sim->DevicePath());
    lifecycle.RefreshChain().Join(RegisterRefreshChain::Rank::kAfterPanels, host);
  }
  bool Connect() {
    const int folds = host.statusFolds;
    return lifecycle.ConnectHardware() && QTest::qWaitFor([&] { return host.statusFolds > folds; }, 10000);
  }
  QObject receiver;
  HeadlessHost host;
  QtMessageTarget events{&receiver, [this](unsigned, std::uintptr_t wParam, std::intptr_t) { lifecycle.OnSerialEvent(wParam); }};
  LinkLifecycle lifecycle{host, host, host.memory, events};
  std::unique_ptr<kvetral::Simulator> sim;
  bool started = false;
};

QStringList Items(const QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

}  // namespace

class FpgaDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void UploadMovesTheBarAndVerifyListsTheResult() {
    Link link(921600);
    QVERIFY(link.started);
    QVERIFY(link.Connect());
    test::TempFolder folder;
    const std::string design = folder.File("design.mbf");
    test::WriteBytes(design, test::MakeMbf(test::PatternData(96 * 1024)));
    std::string remembered = design;
    fpga::DesignToolSession session(link.lifecycle);
    QVERIFY(session.Begin());
    {
      CProgramFPGA dialog(session, {[&] { return remembered; }, [&](const std::string& p) { remembered = p; }});
      QStringList boxes;
      dialog.SetErrorSink([&](const QString& text) { boxes << text; });
      dialog.resize(dialog.sizeHint());
      dialog.show();
      QVERIFY(QTest::qWaitFor([&] { return session.Holding(); }, 5000));
      QVERIFY(link.lifecycle.IgnorePortEvents());
      QCOMPARE(dialog.PathBox()->text(), QString::fromStdString(design));
      QCOMPARE(dialog.Progress()->orientation(), Qt::Vertical);
      QVERIFY(dialog.UploadButton()->isEnabled());

      dialog.UploadButton()->click();
      QVERIFY(!dialog.UploadButton()->isEnabled());
      QVERIFY(!dialog.BrowseButton()->isEnabled());
      QVERIFY(QTest::qWaitFor([&] { return dialog.Programmer().BlockCounter() >= 40 * 1024; }, 10000));
      QVERIFY(dialog.Progress()->value() > dialog.Progress()->maximum() / 4);
      QVERIFY(dialog.Progress()->value() < dialog.Progress()->maximum());
      SaveShot(dialog, "fpga-upload.png");
      QVERIFY(QTest::qWaitFor([&] { return !dialog.Programmer().Busy(); }, 10000));
      QVERIFY(Items(dialog.MessageList()).contains("Writing FPGA Flash: Done!"));
      QCOMPARE(dialog.Progress()->value(), 0);
      QVERIFY(dialog.UploadButton()->isEnabled());

      dialog.VerifyButton()->click();
      QVERIFY(QTest::qWaitFor([&] { return !dialog.Programmer().Busy(); }, 10000));
      QCOMPARE(Items(dialog.MessageList()).last(), QString(52, '*'));
      QVERIFY(Items(dialog.MessageList()).contains("Verifyed 98816 bytes...0 Errors Found!"));

      dialog.ConfigButton()->click();
      dialog.ConfigButton()->click();  // while the first waits for its reply
      QCOMPARE(boxes, QStringList{"Busy Receiving Data!"});
      QVERIFY(QTest::qWaitFor([&] { return !dialog.Programmer().Busy(); }, 10000));
      QVERIFY(Items(dialog.MessageList()).contains("FPGA Configured!"));
      SaveShot(dialog, "fpga-verify.png");

      // Closing in the middle of an upload stops it and says what the flash holds.
      dialog.PathBox()->setText(QString::fromStdString(folder.File("again.mbf")));
      test::WriteBytes(folder.File("again.mbf"), test::MakeMbf(test::PatternData(96 * 1024, 1)));
      dialog.UploadButton()->click();
      QVERIFY(QTest::qWaitFor([&] { return dialog.Programmer().BlockCounter() >= 8 * 1024; }, 10000));
      dialog.CloseButton()->click();
      QVERIFY(!dialog.Programmer().Busy());
      const QStringList items = Items(dialog.MessageList());
      QVERIFY(items.contains("Upload/Verification Cancelled. Please, reload/verify FPGA design!"));
      QVERIFY(items.contains(QString::fromStdString(test::kIncompleteWarning)));
      QVERIFY(items.size() <= 80);
    }
    QCOMPARE(remembered, folder.File("again.mbf"));
    session.Reconnect();
    QVERIFY(!link.lifecycle.IgnorePortEvents());
    const int folds = link.host.statusFolds;
    QVERIFY(QTest::qWaitFor([&] { return link.host.statusFolds > folds; }, 10000));
    QCOMPARE(link.lifecycle.Link().Statistics().repeats, 0u);
    QCOMPARE(link.sim->Configurations(), 1u);
  }

  // Utility > FPGA in the main window: the link paused while the dialog runs, the path remembered,
  // the link reconnected after Close.
  void UtilityFpgaPausesTheLinkAndReconnects() {
    kvetral::Simulator sim;
    QVERIFY(sim.Start());
    test::TempFolder folder;
    const std::string design = folder.File("design.mbf");
    const auto data = test::PatternData(4000, 5);
    test::WriteBytes(design, test::MakeMbf(data, 0x800));
    MemorySettingsBackend settings;
    SettingsStore(settings).SaveFpgaFile(design);
    SystemClock clock;
    CMainFrame frame(clock, settings);
    frame.show();
    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), 10000);

    bool ignoredDuring = false, pollingStopped = false;
    fpga::FpgaOutcome outcome = fpga::FpgaOutcome::kNone;
    QTimer::singleShot(0, &frame, [&] {
      CProgramFPGA* dialog = nullptr;
      if (!QTest::qWaitFor([&] { return (dialog = qobject_cast<CProgramFPGA*>(QApplication::activeModalWidget())); },
                           5000))
        return;
      if (QTest::qWaitFor([&] { return dialog->UploadButton()->isEnabled(); }, 5000)) {
        ignoredDuring = frame.Lifecycle().IgnorePortEvents();
        pollingStopped = !frame.Lifecycle().Policy().AutoUpdateSwitch().AutoUpdate();
        dialog->UploadButton()->click();
        if (QTest::qWaitFor([&] { return !dialog->Programmer().Busy(); }, 10000)) outcome = dialog->Programmer().Outcome();
      }
      dialog->CloseButton()->click();
    });
    frame.RunCommand(cmd::kFpga);
    QCOMPARE(outcome, fpga::FpgaOutcome::kDone);
    QVERIFY(ignoredDuring);
    QVERIFY(pollingStopped);
    QCOMPARE(sim.Flash(0x800, data.size()), data);
    QVERIFY(!frame.Lifecycle().IgnorePortEvents());
    QVERIFY(frame.Lifecycle().Policy().AutoUpdateSwitch().AutoUpdate());
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), 10000);
    QCOMPARE(SettingsStore(settings).LoadFpgaFile().value_or(""), design);
  }

  void RefusedWithoutAnAnsweringInstrument() {
    Link link(0);
    fpga::DesignToolSession session(link.lifecycle);
    QVERIFY(!session.Begin());
    QCOMPARE(link.host.errors, std::vector<std::string>{"No device is connected. Please, connect/reconect!"});
  }
};

QTEST_MAIN(FpgaDialogTest)
#include "fpga_dialog_test.moc"
