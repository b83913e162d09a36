// The acquisition form and the port finder dialog, offscreen: what they show at start, corrections
// made as values are typed, the finder's texts. MIRVO_SCREENSHOT_DIR=folder saves pictures of both.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "FakeClock.h"
#include "NullTarget.h"
#include "ScriptedDialogs.h"
#include "LinkDoubles.h"
#include "acquisition/gui/CAcquisitionView.h"
#include "acquisition/gui/CFindComPort.h"
#include "shell/HeadlessHost.h"

using namespace mirvo;

namespace {

void SaveShot(QWidget& widget, const char* name) {
  const QByteArray folder = qgetenv("MIRVO_SCREENSHOT_DIR");
  if (!folder.isEmpty()) QVERIFY(widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name));
}


}  // namespace

class AcquisitionViewTest : public QObject {
  Q_OBJECT
 private slots:
  void ShowsThePanelAndCorrectsTypedValues() {
    test::FakeClock clock(UtcMillisecondsFromCivil({2026, 12, 9, 10, 0, 0, 0}));
    test::FakeSleeper sleeper(&clock);
    test::ScriptedDialogs dialogs;
    HeadlessHost host(clock);
    AcquisitionPanel panel(host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs);
    CAcquisitionView view(panel);
    host.onPanelChanged = [&] { view.ShowValues(); };
    view.resize(view.sizeHint());
    view.show();

    QVERIFY(view.AutoUpdateBox()->isChecked());
    QCOMPARE(view.PresetKindList()->currentText(), QStringLiteral("REAL TIME "));
    QCOMPARE(view.CoincidenceList()->currentText(), QStringLiteral("DISABLED"));
    QVERIFY(!view.WinWidthSpin()->isEnabled());
    QVERIFY(!view.StartButton()->isEnabled());  // not connected

    host.record.registers[reg::kRealTicksLow] = 1000;
    host.record.registers[reg::kLiveTicksLow] = 900;
    host.record.internalTemperature = 41;
    host.record.slowAdcVolts = 3.3;
    panel.RefreshFromRecord();
    QCOMPARE(view.findChildren<QLineEdit*>().at(1)->text(), QStringLiteral("     10.00"));

    view.CoincidenceList()->setCurrentIndex(2);
    emit view.CoincidenceList()->activated(2);
    QVERIFY(view.WinWidthSpin()->isEnabled());
    view.WinWidthSpin()->setValue(5000);
    QCOMPARE(view.WinWidthSpin()->value(), 4095);
    QCOMPARE(host.record.registers[kRegWindow] & kWindowWidthMask, 4094);

    view.PresetEdit()->setText(QStringLiteral("30000000"));
    emit view.PresetEdit()->editingFinished();
    QCOMPARE(dialogs.messages.size(), std::size_t{1});
    QCOMPARE(view.PresetEdit()->text(), QStringLiteral("0"));

    view.BaseEdit()->setText(QStringLiteral("cs137"));
    emit view.BaseEdit()->textEdited(QStringLiteral("cs137"));
    QCOMPARE(panel.Logger().FileNameBase(), std::string("cs137"));
    view.EnableBox()->click();  // no instrument: refused, box cleared
    QCOMPARE(dialogs.messages.back(), std::string(kNoDeviceText));
    QVERIFY(!view.EnableBox()->isChecked());
    SaveShot(view, "acquisition_view.png");
  }

  void FinderWithoutInstrumentsSaysSo() {
    test::RecordingLinkHost host;
    test::NullTarget target;
    LinkLifecycle lifecycle(host, host, host.memory, target);
    CFindComPort dialog(lifecycle, [] { return std::uint16_t{0}; });
    dialog.SetPortSource([] {
      return std::vector<PortListEntry>{{"/nonexistent/ttyUSB7", "ttyUSB7", "USB Serial (ttyUSB7)", "USB Serial", true}};
    });
    dialog.show();
    QTRY_VERIFY(!dialog.StatusLabel()->text().isEmpty() && dialog.FindButton()->isEnabled());
    QCOMPARE(dialog.StatusLabel()->text(),
             QStringLiteral("No Mirvo devices were found... Please, reconnect the device and press FIND."));
    QCOMPARE(dialog.FoundList()->count(), 0);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Mirvo Port Finder"));
    QVERIFY(dialog.isVisible());  // stays open for another FIND
    SaveShot(dialog, "find_com_port.png");
  }

  // The logger group's N42 list starts from the logger's choice (off) and sets it.
  void LoggerN42ListSetsTheLoggersChoice() {
    test::FakeClock clock(UtcMillisecondsFromCivil({2026, 12, 9, 10, 0, 0, 0}));
    test::FakeSleeper sleeper(&clock);
    test::ScriptedDialogs dialogs;
    HeadlessHost host(clock);
    AcquisitionPanel panel(host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs);
    panel.Logger().SetN42(LoggedN42::Beside);
    CAcquisitionView view(panel);
    auto* list = view.findChild<QComboBox*>(QStringLiteral("loggerN42"));
    QVERIFY(list != nullptr);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentText(), QStringLiteral("BESIDE .MPS"));
    list->setCurrentIndex(2);
    QCOMPARE(panel.Logger().N42(), LoggedN42::Instead);
    list->setCurrentIndex(0);
    QCOMPARE(panel.Logger().N42(), LoggedN42::Off);
  }
};

QTEST_MAIN(AcquisitionViewTest)
#include "acquisition_view_test.moc"
