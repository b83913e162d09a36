// The watchdog and autosave in the main window: the warning in the status bar, the notice that does
// not block, the settings dialog and its stored values, and the offer of a recovery file left by a
// run that did not end cleanly. The state folder is a temporary one.
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "FakeClock.h"
#include "display/RecordSets.h"
#include "display/SpectrumPlot.h"
#include "files/SpectrumFile.h"
#include "monitor/gui/WatchdogSettingsDialog.h"
#include "shell/Commands.h"
#include "shell/HeadlessHost.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/COutputWnd.h"
#include "shell/gui/MainWatchdog.h"

using namespace mirvo;

namespace {

QString ShotFolder() { return QString::fromLocal8Bit(qgetenv("MIRVO_SCREENSHOT_DIR")); }

QMessageBox* FindBox(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->objectName() == name && box->isVisible())
      return box;
  return nullptr;
}

}  // namespace

class WatchdogWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    state_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_STATE_HOME", state_->path().toLocal8Bit());
  }
  void cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (qobject_cast<QMessageBox*>(widget)) widget->close();
    QCoreApplication::processEvents();
  }

  void WarningsShowInTheStatusBarAndInOneNoticeThatDoesNotBlock() {
    test::FakeClock clock(UtcMillisecondsFromCivil({2026, 12, 10, 3, 12, 40}));
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* status = frame.findChild<QLabel*>("WatchdogStatus");
    QVERIFY(status != nullptr);
    QVERIFY(!status->isVisible());

    MainWatchdog& watchdog = *frame.WatchdogPart();
    const std::string frozen = "Watchdog: the real time has not advanced for 45 s";
    watchdog.WatchdogLine(frozen, true);
    watchdog.WatchdogStatus(frozen);
    watchdog.WatchdogNotice(frozen);
    const std::string silent = "Watchdog: the instrument has not answered for 15 s";
    watchdog.WatchdogNotice(silent);
    QVERIFY(status->isVisible());
    QCOMPARE(status->text(), QString::fromStdString(frozen));
    QVERIFY(status->palette().color(QPalette::Window) != frame.statusBar()->palette().color(QPalette::Window) ||
            status->styleSheet().contains("background"));
    QMessageBox* notice = FindBox("WatchdogNotice");
    QVERIFY(notice != nullptr);
    QVERIFY(!notice->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(notice->text().contains(QString::fromStdString(frozen)));
    QVERIFY(notice->text().contains(QString::fromStdString(silent)));  // gathered in the open box
    auto* events = frame.OutputPane()->List();
    QVERIFY(events->item(events->count() - 1)->text().endsWith(QString::fromStdString(frozen)));

    if (const QString folder = ShotFolder(); !folder.isEmpty()) {
      QTest::qWait(50);
      QImage window = frame.grab().toImage();
      QPainter painter(&window);
      const QImage box = notice->grab().toImage();
      painter.drawImage(QPoint((window.width() - box.width()) / 2, (window.height() - box.height()) / 2), box);
      WatchdogSettingsDialog dialog(WatchdogSettings{}, &frame);
      dialog.adjustSize();
      const QImage form = dialog.grab().toImage();
      painter.drawImage(QPoint(window.width() - form.width() - 40, 120), form);
      painter.end();
      QVERIFY(window.save(folder + "/watchdog.png"));
    }

    // The next clean reading withdraws the warning.
    notice->close();
    watchdog.WatchdogStatus("");
    QVERIFY(!status->isVisible());
    watchdog.WatchdogNotice("Autosave failed: Error Writing to File");
    QVERIFY(FindBox("WatchdogNotice") != nullptr);
    QVERIFY(!FindBox("WatchdogNotice")->text().contains(QString::fromStdString(frozen)));  // a new incident, a new box
  }

  void TheSettingsDialogStoresThresholdsAndInterval() {
    test::FakeClock clock(0);
    MemorySettingsBackend settings;
    settings.WriteInt(kWatchdogSettingsKey, "SilenceSeconds", 40);
    CMainFrame frame(clock, settings);
    QCOMPARE(frame.WatchdogPart()->session.Settings().silenceSeconds, 40);
    QVERIFY(frame.Action(cmd::kWatchdogSettings) != nullptr);
    QCOMPARE(frame.Action(cmd::kWatchdogSettings)->text(), QString("&Watchdog and Autosave..."));

    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<WatchdogSettingsDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      seen = true;
      QCOMPARE(dialog->findChild<QSpinBox*>("WatchdogFieldSilenceSeconds")->value(), 40);
      dialog->findChild<QSpinBox*>("WatchdogFieldAutosaveMinutes")->setValue(0);
      dialog->findChild<QSpinBox*>("WatchdogFieldFrozenSeconds")->setValue(120);
      QCOMPARE(dialog->findChild<QSpinBox*>("WatchdogFieldAutosaveMinutes")->text(), QString("off"));
      dialog->accept();
    });
    frame.RunCommand(cmd::kWatchdogSettings);
    QVERIFY(seen);
    QCOMPARE(settings.ReadInt(kWatchdogSettingsKey, "AutosaveMinutes"), std::optional<std::uint32_t>(0));
    QCOMPARE(settings.ReadInt(kWatchdogSettingsKey, "FrozenSeconds"), std::optional<std::uint32_t>(120));
    QCOMPARE(frame.WatchdogPart()->session.Settings().frozenSeconds, 120);
    QCOMPARE(frame.WatchdogPart()->session.Saver().IntervalMinutes(), 0);
  }

  void ARecoveryFileLeftBehindIsKeptAndOfferedForTheFileSet() {
    const auto folder = std::filesystem::path(state_->path().toStdString()) / "mirvo-psd";
    std::filesystem::create_directories(folder);
    const std::string left = (folder / "running-acquisition.mps").string();
    {
      HeadlessHost host;
      host.memory.Spectrum(1)[100] = 1234;
      QVERIFY(WriteSpectrumFile(host.BufferSet(), left, {}).Ok());
    }
    test::FakeClock clock(0);
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.show();
    QTRY_VERIFY(FindBox("RecoveryOffer") != nullptr);
    QMessageBox* offer = FindBox("RecoveryOffer");
    QVERIFY(!offer->isModal());
    QVERIFY(!std::filesystem::exists(left));  // kept aside: the next autosave cannot replace it
    std::string kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) kept = entry.path().string();
    QVERIFY(!kept.empty());
    QVERIFY(offer->text().contains(QString::fromStdString(kept)));
    offer->button(QMessageBox::Open)->click();
    QCoreApplication::processEvents();
    QCOMPARE(frame.Sets().Plot(1, kFileSet).Record().hardCounts[100], 1234u);
    QVERIFY(std::filesystem::exists(kept));
  }

 private:
  std::unique_ptr<QTemporaryDir> state_;
};

QTEST_MAIN(WatchdogWindowTest)
#include "watchdog_window_test.moc"
