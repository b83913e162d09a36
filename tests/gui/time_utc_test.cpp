#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "FakeClock.h"
#include "ScriptedNtp.h"
#include "timesvc/TimeUtcModel.h"
#include "timesvc/gui/CTimeUTC.h"

using namespace mirvo;

namespace {

using test::RecordingClockSetter;
using test::ScriptedNtpClient;

constexpr std::int64_t kNowMs = 1772600767008;  // 2026-03-04 05:06:07.008 UTC

NtpResult GoodResult() {
  NtpResult r;
  r.stratum = 1;
  r.originate = NtpFromUtcMilliseconds(kNowMs);
  r.receive = NtpFromUtcMilliseconds(kNowMs + 1250);
  r.transmit = NtpFromUtcMilliseconds(kNowMs + 1251);
  r.destination = NtpFromUtcMilliseconds(kNowMs + 41);
  ComputeDelayAndOffset(r);
  return r;
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

}  // namespace

class TimeUtcTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    client_.answer.reset();
    client_.servers.clear();
    setter_.calls.clear();
  }

  void opensWithTheFirstServerAndTheResultButtonsDisabled() {
    CTimeUTC dialog(model_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QString("Measurement Time Stamp"));
    QCOMPARE(dialog.findChild<QLabel*>("TimeFormatHeader")->text(), QString("TIME FORMAT: DD/MM/YYYY  HH:MM:SS.MS"));
    QCOMPARE(dialog.ServerList()->count(), 2);
    QCOMPARE(dialog.ServerList()->currentText(), QString("pool.ntp.org"));
    QCOMPARE(dialog.ServerList()->itemText(1), QString("time.nist.gov"));
    QCOMPARE(dialog.LogList()->count(), 0);
    QVERIFY(!dialog.UseUtcButton()->isEnabled());
    QVERIFY(!dialog.SynchronizeButton()->isEnabled());
    QVERIFY(dialog.UseSystemButton()->isEnabled());
    QVERIFY(dialog.UseLocalButton()->isEnabled());
    QCOMPARE(dialog.SynchronizeButton()->text(), QString("Synchonize SYSTEM/LOCAL with NTP"));
    SaveScreenshot(dialog, "time_utc_opened.png");
  }

  void getUtcShowsTheLogAndEnablesTheResultButtons() {
    client_.answer = GoodResult();
    CTimeUTC dialog(model_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.ServerList()->setEditText("  time.example ");
    QTest::mouseClick(dialog.GetUtcButton(), Qt::LeftButton);
    QCOMPARE(client_.servers, std::vector<std::string>{"time.example"});
    const QStringList lines = Lines(dialog.LogList());
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines[0], QString("UTC Succesfully Retreived from: time.example"));
    QCOMPARE(lines[1], QString("This SYSTEM Originate Timestamp: 04/03/2026  05:06:07.008"));
    QCOMPARE(lines[2], QString("NTP Server Receive Timestamp:     04/03/2026  05:06:08.258"));
    QCOMPARE(lines[6], QString("SYSTEM/LOCAL Clock Offset: 1.230000 seconds"));
    QCOMPARE(lines[7], QString(76, QChar('-')));
    QVERIFY(dialog.UseUtcButton()->isEnabled());
    QVERIFY(dialog.SynchronizeButton()->isEnabled());

    QTest::mouseClick(dialog.SynchronizeButton(), Qt::LeftButton);
    QCOMPARE(setter_.calls, std::vector<std::int64_t>{kNowMs + 1230});
    QCOMPARE(dialog.LogList()->item(8)->text(), QString("System time successfully synchronised"));
    QCOMPARE(dialog.LogList()->item(9)->text(), QString(54, QChar('-')));

    SaveScreenshot(dialog, "time_utc_after_sync.png");
  }

  void failedQueryKeepsTheResultButtonsDisabled() {
    CTimeUTC dialog(model_);
    dialog.show();
    QTest::mouseClick(dialog.GetUtcButton(), Qt::LeftButton);
    QCOMPARE(Lines(dialog.LogList()),
             QStringList({"Failed to retreive time from: pool.ntp.org", QString(76, QChar('-'))}));
    QVERIFY(!dialog.UseUtcButton()->isEnabled());
    QVERIFY(!dialog.SynchronizeButton()->isEnabled());
  }

  void useButtonsCloseWithTheirKind() {
    client_.answer = GoodResult();
    CTimeUTC dialog(model_);
    // Use UTC: measure first, then choose; the offset goes with the answer.
    QTimer::singleShot(0, &dialog, [&] {
      QTest::mouseClick(dialog.GetUtcButton(), Qt::LeftButton);
      QTest::mouseClick(dialog.UseUtcButton(), Qt::LeftButton);
    });
    StartTimeKindChoice choice = dialog.RunModal();
    QCOMPARE(choice.kind, StartTimeKind::Utc);
    QVERIFY(qAbs(choice.measuredOffset - 1.23) < 1e-6);

    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(dialog.UseLocalButton(), Qt::LeftButton); });
    QCOMPARE(dialog.RunModal().kind, StartTimeKind::Local);

    // Reopened: the log starts empty and Use UTC is disabled again; closing answers SYSTEM.
    QTimer::singleShot(0, &dialog, [&] {
      QCOMPARE(dialog.LogList()->count(), 0);
      QVERIFY(!dialog.UseUtcButton()->isEnabled());
      dialog.reject();
    });
    choice = dialog.RunModal();
    QCOMPARE(choice.kind, StartTimeKind::System);
    QVERIFY(qAbs(choice.measuredOffset - 1.23) < 1e-6);
  }

 private:
  static void SaveScreenshot(QWidget& widget, const char* name) {
    const QByteArray folder = qgetenv("MIRVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) QVERIFY(widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name));
  }

  test::FakeClock clock_{kNowMs};
  ScriptedNtpClient client_;
  RecordingClockSetter setter_;
  TimeUtcModel model_{clock_, client_, setter_};
};

QTEST_MAIN(TimeUtcTest)
#include "time_utc_test.moc"
