// The "SIGNALS" pane in the main window against the in-process simulator: the form's controls and
// enabling, a fine-gain change reaching the instrument, STABILIZER SET opening the dialog without
// blocking, the proposal from a ROI on the 662 keV peak and OK writing the windows. With
// MIRVO_SCREENSHOT_DIR=<folder> the pane and the dialog are saved as pictures at 1920x1080 and
// 1366x768 (signals-<w>x<h>.png, stabilizer-<w>x<h>.png).
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <cstdlib>

#include "lib/Simulator.h"
#include "acquisition/LinkLifecycle.h"
#include "panels/AmplifierPanel.h"
#include "panels/gui/CAmplifierView.h"
#include "panels/gui/CDialogStabilizer.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "timesvc/StartTimeStamp.h"

using namespace mirvo;

namespace {

CAmplifierView* ViewOf(CMainFrame& frame) { return frame.findChild<CAmplifierView*>(QStringLiteral("AmplifierView")); }

QStringList Captions(QWidget* root) {
  QStringList texts;
  for (auto* label : root->findChildren<QLabel*>()) texts << label->text();
  for (auto* box : root->findChildren<QCheckBox*>()) texts << box->text();
  for (auto* button : root->findChildren<QPushButton*>()) texts << button->text();
  for (auto* group : root->findChildren<QGroupBox*>()) texts << group->title();
  return texts;
}

// Every child widget that is shown lies inside its parent's rectangle (nothing clipped).
QString Clipped(QWidget* root) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || w->parentWidget() == nullptr || qobject_cast<QScrollBar*>(w)) continue;
    if (w->inherits("QScrollArea") || w->parentWidget()->inherits("QAbstractScrollArea")) continue;
    const QRect inside = w->parentWidget()->rect();
    if (!inside.contains(w->geometry()))
      return w->metaObject()->className() + QStringLiteral(" ") + w->objectName();
  }
  return {};
}

}  // namespace

class SignalsPaneTest : public QObject {
  Q_OBJECT
 private slots:
  void theFormReplacesThePlaceholderWithItsControls() {
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    QDockWidget* pane = frame.Pane(QStringLiteral("SignalsPane"));
    QVERIFY(pane != nullptr);
    QCOMPARE(pane->windowTitle(), QStringLiteral("SIGNALS"));
    CAmplifierView* view = ViewOf(frame);
    QVERIFY(view != nullptr);
    const QStringList captions = Captions(view);
    for (const char* text : {"GAIN", "COARSE", "FINE", "TOTAL", "OFFSET", "ADC", "AMPLIFIER", "AUTO", "SAR", "++",
                             "--", "ADC DEFAULT", "STABILIZER", "Enable", "SET", "Din:", "Rin:", "Rout:", "S:", "T:",
                             "DRIVE", "FUNC"})
      QVERIFY2(captions.contains(QString::fromLatin1(text)), text);
    QCOMPARE(view->DriveList(0)->count(), 5);
    QCOMPARE(view->FunctionList(2)->itemText(0), QStringLiteral("TIMING PEAK DET"));
    QCOMPARE(view->RinList()->itemText(2), QStringLiteral("INV COINCIDENCE"));
    QCOMPARE(view->DinList()->count(), 1);
    // At start: AUTO on, so the amplifier offset and the search are off; the start positions show.
    QVERIFY(view->AutoBox()->isChecked());
    QVERIFY(!view->AmpSpin()->isEnabled());
    QVERIFY(!view->SarButton()->isEnabled());
    QVERIFY(!view->PlusButton()->isEnabled());
    QCOMPARE(view->AdcSpin()->value(), 2000);
    QCOMPARE(view->AmpSpin()->value(), 10000);
    QCOMPARE(view->FineEdit()->text(), QStringLiteral("1.0"));
    QCOMPARE(view->TotalEdit()->text(), QStringLiteral("1.00000"));
    // Without an instrument SET refuses (the message box is the window's; here it is not shown).
  }

  void againstTheSimulator() {
    kvetral::SimOptions options;
    options.rate = 60000;
    options.source = "cs137";
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());

    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.resize(1700, 960);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QDockWidget* pane = frame.Pane(QStringLiteral("SignalsPane"));
    pane->raise();
    CAmplifierView* view = ViewOf(frame);
    AmplifierPanel& panel = *frame.Amplifier();

    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(panel.Synchronised(), 10000);
    QTRY_COMPARE(view->AdcSpin()->value(), 8000);  // the instrument's values replace the start positions
    QVERIFY(view->AdcDefaultBox()->isChecked());
    QVERIFY(!view->AdcSpin()->isEnabled());

    // The fine spin arrows reach register 0x11.
    view->FineSpin()->setValue(4095);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x11), std::uint16_t{0}, 5000);
    QCOMPARE(view->FineEdit()->text(), QStringLiteral("1.20000"));
    view->FineSpin()->setValue(0);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x11), std::uint16_t{0xFFF0}, 5000);

    // A digital I/O list: S drive INV OPEN DRAIN.
    view->DriveList(1)->setCurrentIndex(4);
    emit view->DriveList(1)->activated(4);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x4B), std::uint16_t((1u << 13) | (1u << 9) | (1u << 6)), 5000);

    // Count, mark the 662 keV peak of S1 as a ROI with the cursor on it.
    StartTimeSettings& stamp = frame.StartTime();
    stamp.askFlag = false;
    stamp.systemFlag = true;
    stamp.kindText = kStartTimeSystemText;
    frame.RunCommand(cmd::kStart);
    SpectrumPlot& s1 = frame.Sets().BufferPlot(1);
    const auto peakChannel = [&] {
      int best = 800;
      for (int ch = 800; ch < 1200; ++ch)
        if (s1.Record().hardCounts[ch] > s1.Record().hardCounts[best]) best = ch;
      return best;
    };
    QTRY_VERIFY_WITH_TIMEOUT(s1.Record().hardCounts[peakChannel()] > 1500, 30000);
    const int peak = peakChannel();
    for (int ch = peak - 60; ch <= peak + 60; ++ch) s1.SetChannelRoi(ch, true);
    s1.ActivatePlot();
    s1.MoveCursor(peak);

    view->SetButton()->click();
    CDialogStabilizer* dialog = frame.StabilizerDialog();
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Gain Stabilizer Settings"));
    QCOMPARE(dialog->RecommendButton()->text(),
             QStringLiteral("Select Peak ROI and PRESS for RECOMENDED Settings"));
    dialog->RecommendButton()->click();
    const int outer = dialog->Edit(0)->text().toInt();
    const int inner = dialog->Edit(1)->text().toInt();
    QVERIFY2(std::abs(peak - (outer + 2 * (inner - outer))) <= 6, qPrintable(dialog->Edit(0)->text()));
    QVERIFY(inner - outer >= 5 && inner - outer <= 20);  // a quarter of the FWHM

    if (const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR")) {
      for (const QSize size : {QSize(1920, 1080), QSize(1366, 768)}) {
        frame.resize(size);
        QTest::qWait(600);
        const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
        QVERIFY(pane->grab().save(QString::fromLatin1(folder) + "/signals" + suffix));
        QVERIFY(frame.grab().save(QString::fromLatin1(folder) + "/window" + suffix));
        dialog->adjustSize();
        dialog->resize(dialog->sizeHint().boundedTo(size));
        QTest::qWait(200);
        QVERIFY(dialog->grab().save(QString::fromLatin1(folder) + "/stabilizer" + suffix));
        QVERIFY2(Clipped(view).isEmpty(), qPrintable(Clipped(view)));
        if (size.width() == 1920) {  // the README's picture: the pane and the dialog side by side
          const QPixmap left = pane->grab(), right = dialog->grab();
          QPixmap both(left.width() + right.width() + 16, std::max(left.height(), right.height()));
          both.fill(frame.palette().color(QPalette::Window));
          QPainter painter(&both);
          painter.drawPixmap(0, 0, left);
          painter.drawPixmap(left.width() + 16, 0, right);
          painter.end();
          QVERIFY(both.save(QString::fromLatin1(folder) + "/signals.png"));
        }
        QVERIFY2(Clipped(dialog).isEmpty(), qPrintable(Clipped(dialog)));
      }
    }

    const std::uint16_t enable = sim.Register(0x40) & 0x8000;
    dialog->accept();
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x41), std::uint16_t(inner), 5000);
    QCOMPARE(sim.Register(0x40), std::uint16_t(enable | outer));
    QTRY_VERIFY(frame.StabilizerDialog() == nullptr);

    view->EnableBox()->click();
    QTRY_VERIFY_WITH_TIMEOUT(sim.Register(0x40) & 0x8000, 5000);
    QCOMPARE(sim.Register(0x40) & 0x3FFF, outer);
    QVERIFY(!view->FineEdit()->isEnabled());

    frame.RunCommand(cmd::kStop);
    frame.RunCommand(cmd::kDisconnect);
  }
};

QTEST_MAIN(SignalsPaneTest)
#include "signals_pane_test.moc"
