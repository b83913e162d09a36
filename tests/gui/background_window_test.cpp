// The background commands in the main window: Close Background, Show Background and Net Spectrum are
// enabled only with a background loaded and their check marks follow the view; a background of
// another channel count is refused with a message box and an Events line, and nothing changes;
// ADJUST COLORS sets the overlay colour. With MIRVO_SCREENSHOT_DIR=<folder>, MIRVO_BACKGROUND_MEASUREMENT=<file>
// and MIRVO_BACKGROUND_FILE=<file> the window is saved at 1920x1080 with the measurement in the FILE
// set and the background overlaid (background.png), and as the net spectrum (net-spectrum.png);
// with MIRVO_SCREENSHOT_DIR alone, the ADJUST COLORS dialog (adjust-colors.png).
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkLifecycle.h"
#include "base/Clock.h"
#include "lib/Simulator.h"
#include "timesvc/StartTimeStamp.h"
#include "display/BackgroundSet.h"
#include "display/gui/CColorDlg.h"
#include "display/gui/CSpectrum.h"
#include "display/gui/CSpectrumInfoView.h"
#include "display/gui/CSpectrumWnd.h"
#include "shell/Commands.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/COutputWnd.h"

using namespace mirvo;

namespace {

// An IAEA SPE file of `channels` channels holding `count` each, measured for `live` seconds.
QString WriteSpe(const QTemporaryDir& dir, const char* name, int channels, int count, double live) {
  const QString path = dir.filePath(name);
  std::ofstream out(path.toStdString());
  out << "$SPEC_ID:\nroom\n$MEAS_TIM:\n" << live << " " << live << "\n$DATA:\n0 " << channels - 1 << "\n";
  for (int j = 0; j < channels; ++j) out << count << "\n";
  return path;
}

struct CommandState {
  bool enabled;
  bool checked;
};

CommandState StateOf(CMainFrame& frame, int command) {
  QAction* action = frame.Action(command);
  return {action->isEnabled(), action->isChecked()};
}

QString LastEvent(CMainFrame& frame) {
  QListWidget* list = frame.OutputPane()->List();
  return list->count() > 0 ? list->item(list->count() - 1)->text() : QString();
}

}  // namespace

class BackgroundWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void theTogglesFollowTheLoadedBackground() {
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (int command : {cmd::kOpenBackground, cmd::kCloseBackground, cmd::kShowBackground, cmd::kNetSpectrum})
      QVERIFY2(frame.Action(command) != nullptr, qPrintable(QString::number(command)));
    QVERIFY(frame.Action(cmd::kOpenBackground)->isEnabled());
    for (int command : {cmd::kCloseBackground, cmd::kShowBackground, cmd::kNetSpectrum})
      QVERIFY(!StateOf(frame, command).enabled);

    QVERIFY(frame.OpenBackgroundFile(WriteSpe(dir, "room.spe", 4096, 3, 40.0)));
    QVERIFY2(LastEvent(frame).endsWith("Background loaded: room.spe (live time 40.000 s)"), qPrintable(LastEvent(frame)));
    QVERIFY(StateOf(frame, cmd::kCloseBackground).enabled);
    QVERIFY(StateOf(frame, cmd::kShowBackground).enabled && StateOf(frame, cmd::kShowBackground).checked);
    QVERIFY(StateOf(frame, cmd::kNetSpectrum).enabled && !StateOf(frame, cmd::kNetSpectrum).checked);
    QCOMPARE(settings.ReadText("ConfigMirvo/LastPath", "BackgroundFile").value_or(""),
             dir.filePath("room.spe").toStdString());

    frame.RunCommand(cmd::kNetSpectrum);
    QVERIFY(!StateOf(frame, cmd::kShowBackground).checked);
    QVERIFY(StateOf(frame, cmd::kNetSpectrum).checked);
    QCOMPARE(frame.Sets().Background().ShownView(), BackgroundView::Net);
    frame.RunCommand(cmd::kNetSpectrum);
    QVERIFY(!StateOf(frame, cmd::kShowBackground).checked && !StateOf(frame, cmd::kNetSpectrum).checked);
    frame.RunCommand(cmd::kShowBackground);
    QVERIFY(StateOf(frame, cmd::kShowBackground).checked);

    // Another channel count: a message box, an Events line, and the background loaded before stays.
    QString boxText;
    QTimer::singleShot(0, &frame, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      boxText = box->text();
      box->button(QMessageBox::Ok)->click();
    });
    QVERIFY(!frame.OpenBackgroundFile(WriteSpe(dir, "short.spe", 1024, 3, 40.0)));
    QVERIFY2(boxText.startsWith("Background not loaded\nS1: the background has 1024 channels and the spectrum 4096"),
             qPrintable(boxText));
    QVERIFY2(LastEvent(frame).contains("Background not loaded: ") && LastEvent(frame).contains("short.spe: S1: "),
             qPrintable(LastEvent(frame)));
    QCOMPARE(frame.Sets().Background().FileName(), std::string("room.spe"));
    QVERIFY(StateOf(frame, cmd::kShowBackground).enabled && StateOf(frame, cmd::kShowBackground).checked);

    frame.RunCommand(cmd::kCloseBackground);
    QVERIFY2(LastEvent(frame).endsWith("Background closed"), qPrintable(LastEvent(frame)));
    for (int command : {cmd::kCloseBackground, cmd::kShowBackground, cmd::kNetSpectrum})
      QVERIFY(!StateOf(frame, command).enabled && !StateOf(frame, command).checked);

    // Kept at close: the view chosen and the overlay colours beside the other colours.
    frame.close();
    QCOMPARE(settings.ReadInt("Mirvo-PSD/Spectrum", "BackgroundView").value_or(99), 1u);
    QCOMPARE(settings.ReadInt("Mirvo-PSD/Spectrum", "BufferOverlayColorS2").value_or(0), PlotColours::kDefaultOverlay);
  }

  void theBufferOverlayFollowsTheGrowingLiveTime() {
    // The instrument's clock runs twenty times faster than the wall clock.
    kvetral::SimOptions options;
    options.source = "cs137";
    options.speed = 20;
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTemporaryDir dir;
    QVERIFY(frame.OpenBackgroundFile(WriteSpe(dir, "room.spe", 4096, 3, 10.0)));
    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), 30000);
    StartTimeSettings& stamp = frame.StartTime();
    stamp.askFlag = false;
    stamp.systemFlag = true;
    stamp.kindText = kStartTimeSystemText;
    frame.RunCommand(cmd::kStart);
    QTRY_VERIFY_WITH_TIMEOUT(sim.Register(0x10) & 1, 30000);

    SpectrumPlot& s1 = frame.Sets().BufferPlot(1);
    const auto scale = [&] { return BackgroundFor(frame.Sets(), s1)->scale; };
    // The scale is the instrument's live time over the background's 10 s, as the panel shows it.
    QTRY_VERIFY_WITH_TIMEOUT(frame.Acquisition().LiveTime() > 2.0, 30000);
    const double early = scale();
    QVERIFY2(std::abs(early - MeasurementLiveSeconds(frame.Sets(), s1) / 10.0) < 1e-9, qPrintable(QString::number(early)));
    QTRY_VERIFY_WITH_TIMEOUT(MeasurementLiveSeconds(frame.Sets(), s1) > 10.0 * early + 4.0, 30000);
    QVERIFY(scale() > early + 0.4);
    const PlotBackground drawn = PlotBackgroundFor(frame.Sets(), s1);
    QVERIFY2(QString::fromStdString(drawn.caption).startsWith("+ BACKGROUND (x"), drawn.caption.c_str());
    frame.RunCommand(cmd::kStop);
    frame.RunCommand(cmd::kDisconnect);
  }

  void adjustColorsHasAFifthColourForTheOverlay() {
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    CColorDlg dialog(frame.Sets(), &frame);
    dialog.SetColourChooser([](const QColor&, const QString& title, QWidget*) {
      return title == "OVERLAY" ? QColor(10, 20, 30) : QColor();
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* overlay = dialog.ColourButton(ColourRole::Overlay);
    QCOMPARE(overlay->text(), QString("OVERLAY"));
    QVERIFY(overlay->isVisible());
    QVERIFY(overlay->parentWidget()->rect().contains(overlay->geometry()));
    QVERIFY(dialog.ColourButton(ColourRole::Cursor) != overlay);
    if (const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR"))
      QVERIFY(dialog.grab().save(QString::fromLocal8Bit(folder) + "/adjust-colors.png"));
    overlay->click();
    QCOMPARE(frame.Sets().BufferPlot(0).Colours().overlay, 10u | 20u << 8 | 30u << 16);
    QCOMPARE(frame.Sets().BufferPlot(1).Colours().overlay, PlotColours::kDefaultOverlay);
    dialog.DefaultButton()->click();
    QCOMPARE(frame.Sets().BufferPlot(0).Colours(), PlotColours{});
  }

  void screenshotsOfTheOverlayAndTheNetSpectrum() {
    const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR");
    const char* measurement = std::getenv("MIRVO_BACKGROUND_MEASUREMENT");
    const char* background = std::getenv("MIRVO_BACKGROUND_FILE");
    if (folder == nullptr || measurement == nullptr || background == nullptr)
      QSKIP("MIRVO_SCREENSHOT_DIR, MIRVO_BACKGROUND_MEASUREMENT and MIRVO_BACKGROUND_FILE name the pictures' files");
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.resize(1920, 1080);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.OpenSpectrumFile(QString::fromLocal8Bit(measurement));
    QVERIFY(frame.OpenBackgroundFile(QString::fromLocal8Bit(background)));
    // The energy spectra on a logarithmic scale, where a background shows over the whole range.
    for (int k = 1; k < 4; ++k) frame.Sets().FilePlot(k).SetLogarithmicScale();
    // MIRVO_BACKGROUND_ROI=FIRST:LAST marks a ROI of S1 with the cursor in it, so that Spectrum Info
    // shows its statistics against the background (background-info.png).
    int first = 0;
    int last = -1;
    if (const char* roi = std::getenv("MIRVO_BACKGROUND_ROI")) std::sscanf(roi, "%d:%d", &first, &last);
    SpectrumPlot& s1 = frame.Sets().FilePlot(1);
    for (int ch = first; ch <= last; ++ch) s1.SetChannelRoi(ch, true);
    if (last >= first) {
      frame.Sets().PlotFocused(s1);
      s1.MoveCursor((first + last) / 2);
    }
    QTest::qWait(800);
    const QString dir = QString::fromLocal8Bit(folder);
    QVERIFY(frame.grab().save(dir + "/background.png"));
    if (last >= first) {
      QWidget* form = frame.InfoView()->findChild<QScrollArea*>()->widget();
      QVERIFY(form->grab().save(dir + "/background-info.png"));
    }
    frame.RunCommand(cmd::kNetSpectrum);
    QTest::qWait(800);
    QVERIFY(frame.grab().save(dir + "/net-spectrum.png"));
  }
};

QTEST_MAIN(BackgroundWindowTest)
#include "background_window_test.moc"
