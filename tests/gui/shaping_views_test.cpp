// The PSA and PSD panes in the main window: the threshold controls shown and hidden by AUTO, the
// Auto Margin caption, FACTOR only without AUTO, the PSD captions, and a window that follows the
// simulated instrument. With MIRVO_SCREENSHOT_DIR=<folder> the panes (both threshold modes) and the
// window with the gamma and neutron spectra separated are saved there as pictures.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest>
#include <cstdlib>

#include "lib/Simulator.h"
#include "acquisition/LinkLifecycle.h"
#include "display/PeakAnalysis.h"
#include "panels/PulseShapePanel.h"
#include "panels/ShaperPanel.h"
#include "panels/gui/CPSDView.h"
#include "panels/gui/CShaperView.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "timesvc/StartTimeStamp.h"

using namespace mirvo;

namespace {

QString ShotDir() {
  const char* dir = std::getenv("MIRVO_SCREENSHOT_DIR");
  return dir ? QString(dir) : QString();
}

void Save(QWidget* widget, const QString& name) {
  if (ShotDir().isEmpty()) return;
  QVERIFY(widget->grab().save(QDir(ShotDir()).filePath(name)));
}

// Every label, box and button of a form is at least as wide as its text needs.
void ExpectNothingClipped(QWidget* form) {
  for (QWidget* w : form->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w))
      QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName() + " " + w->metaObject()->className()));
  }
}

}  // namespace

class ShapingViewsTest : public QObject {
  Q_OBJECT
 private slots:
  void thresholdControlsFollowAuto() {
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.resize(1366, 768);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QDockWidget* psa = frame.Pane("PsaPane");
    QVERIFY(psa != nullptr);
    QCOMPARE(psa->windowTitle(), QString("PSA"));
    psa->raise();
    auto* view = frame.findChild<CShaperView*>();
    QVERIFY(view != nullptr);
    QTRY_VERIFY(view->isVisible());

    // Both thresholds AUTO: lists, X and the caption shown.
    QVERIFY(view->MarginList(true)->isVisible());
    QVERIFY(view->MarginList(false)->isVisible());
    QVERIFY(view->AutoMarginCaption()->isVisible());
    QCOMPARE(view->ThresholdSpin(true)->text(), QString("AUTO"));
    QVERIFY(!view->FactorSpin()->isEnabled());
    ExpectNothingClipped(view);
    Save(view, "psa-auto.png");

    view->ThresholdSpin(true)->stepUp();  // raised from 0 with the arrow
    QCOMPARE(frame.Shaper().ThresholdSlow(), 1);
    QVERIFY(!view->MarginList(true)->isVisible());
    QVERIFY(!view->MarginX(true)->isVisible());
    QVERIFY(view->AutoMarginCaption()->isVisible());  // FAST still AUTO
    view->ThresholdSpin(false)->setValue(40);
    view->ThresholdSpin(true)->setValue(25);
    QVERIFY(!view->AutoMarginCaption()->isVisible());
    QCOMPARE(frame.Sets().LiveRecord().registers[0x22], static_cast<std::uint16_t>(25 * 2400));
    view->AutoBox()->click();  // AUTO off: FACTOR editable
    QVERIFY(view->FactorSpin()->isEnabled());
    ExpectNothingClipped(view);
    Save(view, "psa-fixed.png");
    view->AutoBox()->click();
    view->ThresholdSpin(true)->setValue(0);
    QVERIFY(view->MarginList(true)->isVisible());

    QDockWidget* psdPane = frame.Pane("PsdPane");
    QCOMPARE(psdPane->windowTitle(), QString("PSD"));
    psdPane->raise();
    auto* psd = frame.findChild<CPSDView*>();
    QTRY_VERIFY(psd->isVisible());
    QCOMPARE(psd->Group(0)->title(), QString("Pule-Height for TIPS"));
    QCOMPARE(psd->Group(1)->title(), QString("TIPS Range for S1"));
    QCOMPARE(psd->Group(2)->title(), QString("TIPS Range for S2"));
    QCOMPARE(psd->Group(3)->title(), QString("TIPS Range  for S3"));
    QCOMPARE(psd->UnitsCaption()->text(), QString("[chn]"));
    ExpectNothingClipped(psd);
    Save(psd, "psd.png");
  }

  void windowsSeparateTheSpectraOfTheInstrument() {
    kvetral::SimOptions options;
    options.rate = 60000;
    options.source = "mixed";
    options.speed = 4;
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.resize(1366, 768);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(frame.PulseShape().Synchronised(), 10000);
    QCOMPARE(frame.Period().Us(), 0.008);

    // S2 on the gamma hump, S3 on the neutron hump of S0, through the form's spin boxes.
    auto* psd = frame.findChild<CPSDView*>();
    frame.Pane("PsdPane")->raise();
    psd->FromSpin(2)->setValue(740);
    psd->ToSpin(2)->setValue(1170);
    psd->ToSpin(3)->setValue(1870);
    psd->FromSpin(3)->setValue(1410);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x6B), static_cast<std::uint16_t>(1410), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x6A), static_cast<std::uint16_t>(1170), 10000);

    StartTimeSettings& stamp = frame.StartTime();
    stamp.askFlag = false;
    stamp.systemFlag = true;
    stamp.kindText = kStartTimeSystemText;
    frame.RunCommand(cmd::kErase);
    frame.RunCommand(cmd::kStart);
    QTRY_VERIFY_WITH_TIMEOUT(sim.Register(0x10) & 1, 10000);
    const auto total = [&](int k) {
      std::uint64_t sum = 0;
      for (int ch = 0; ch < 4096; ++ch) sum += frame.Sets().BufferPlot(k).Record().hardCounts[ch];
      return sum;
    };
    QTRY_VERIFY_WITH_TIMEOUT(total(3) > 20000, 60000);
    // S3: the neutron recoil continuum without the 662 keV line that fills S2.
    const std::uint32_t* s2 = frame.Sets().BufferPlot(2).Record().hardCounts;
    const std::uint32_t* s3 = frame.Sets().BufferPlot(3).Record().hardCounts;
    double s2Line = 0, s3Line = 0, s2Side = 0, s3Side = 0;
    for (int ch = 960; ch < 1030; ++ch) {
      s2Line += s2[ch];
      s3Line += s3[ch];
      s2Side += s2[ch + 150];
      s3Side += s3[ch + 150];
    }
    QVERIFY2(s2Line > 2.0 * s2Side, "the photopeak stands out in S2");
    QVERIFY2(s3Line < 1.5 * s3Side, "and not in S3");

    if (!ShotDir().isEmpty()) {
      // S0 with its humps marked as the windows were placed.
      for (int k = 0; k < 4; ++k) frame.Sets().BufferPlot(k).ToggleAutomaticScale();
      frame.PulseShape().OnMarkBack(2);
      frame.PulseShape().OnMarkBack(3);
      QTest::qWait(1500);
      Save(&frame, "psd-window.png");
    }
    frame.RunCommand(cmd::kStop);
    frame.RunCommand(cmd::kDisconnect);
  }
};

QTEST_MAIN(ShapingViewsTest)
#include "shaping_views_test.moc"
