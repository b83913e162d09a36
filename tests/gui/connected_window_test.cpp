// The whole program against the in-process simulator: connect, START, the spectra grow, a ROI on
// the 662 keV peak shows its peak information. With MIRVO_SCREENSHOT=<file.png> the window is saved
// as a picture (the README's screenshot is made this way).
#include <QDockWidget>
#include <QtTest>
#include <cstdlib>

#include "acquisition/AcquisitionPanel.h"
#include "display/gui/CSpectrumInfoView.h"
#include "lib/Simulator.h"
#include "link/LinkLifecycle.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "timesvc/StartTimeStamp.h"

using namespace mirvo;

class ConnectedWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void spectraGrowAndThePeakIsAnalysed() {
    kvetral::SimOptions options;
    options.rate = 60000;
    options.source = "mixed";
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());

    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.resize(1700, 960);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), 10000);
    // The start-time kind was chosen already: START does not ask.
    StartTimeSettings& stamp = frame.StartTime();
    stamp.askFlag = false;
    stamp.systemFlag = true;
    stamp.kindText = kStartTimeSystemText;
    frame.RunCommand(cmd::kStart);
    QTRY_VERIFY_WITH_TIMEOUT(sim.Register(0x10) & 1, 10000);

    SpectrumPlot& s1 = frame.Sets().BufferPlot(1);
    const auto peakChannel = [&] {
      int best = 700;
      for (int ch = 700; ch < 1300; ++ch)
        if (s1.Record().hardCounts[ch] > s1.Record().hardCounts[best]) best = ch;
      return best;
    };
    QTRY_VERIFY_WITH_TIMEOUT(s1.Record().hardCounts[peakChannel()] > 400, 30000);

    // A ROI over the photopeak and the cursor on it, as a user marks it.
    const int peak = peakChannel();
    for (int ch = peak - 45; ch <= peak + 45; ++ch) s1.SetChannelRoi(ch, true);
    s1.ActivatePlot();
    s1.MoveCursor(peak);
    QTRY_VERIFY_WITH_TIMEOUT(frame.InfoView()->Info().PeakShown(), 5000);
    const double centroid = std::stod(frame.InfoView()->Info().Texts().centroid);
    const double fwhm = std::stod(frame.InfoView()->Info().Texts().fwhm);
    QVERIFY2(std::abs(centroid - peak) < 10, frame.InfoView()->Info().Texts().centroid.c_str());
    QVERIFY(fwhm > 10 && fwhm < 150);

    if (const char* path = std::getenv("MIRVO_SCREENSHOT")) {
      for (int k = 0; k < 4; ++k) frame.Sets().BufferPlot(k).ToggleAutomaticScale();
      QTest::qWait(2500);  // a few more ticks of growth
      QVERIFY(frame.grab().save(path));
    }
    frame.RunCommand(cmd::kStop);
    frame.RunCommand(cmd::kDisconnect);
    QVERIFY(!frame.Lifecycle().Link().Connected());
  }
};

QTEST_MAIN(ConnectedWindowTest)
#include "connected_window_test.moc"
