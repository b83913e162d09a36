// Files, exports and log lines written by the window's process use a '.' decimal point even when the
// user's locale writes a comma: the GUI tests run under LC_ALL=de_DE.UTF-8 and QApplication adopts it.
// A set saved here reads back unchanged, and its CSV export is byte for byte what mirvo-cli writes
// under the C locale.
#include <QApplication>
#include <QtTest>
#include <clocale>
#include <cstdlib>

#include "FileTestSupport.h"
#include "Subprocess.h"
#include "base/TextFormat.h"
#include "display/RecordSets.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SpectrumCsv.h"
#include "files/SpectrumFile.h"

using namespace mirvo;
using namespace mirvo::test;

class LocaleFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void processRunsUnderACommaLocale() {
    const char* wanted = std::getenv("LC_ALL");
    if (wanted == nullptr || std::string(wanted).rfind("de_DE", 0) != 0) QSKIP("LC_ALL is not de_DE here");
    QVERIFY2(std::string(std::localeconv()->decimal_point) == ",",
             "the de_DE.UTF-8 locale is missing: run scripts/install-deps.sh");
  }

  void numbersAreWrittenAndReadWithAPoint() {
    QCOMPARE(FormatText("%8.4f|%5.2f", 12.5, 2.5), std::string(" 12.5000| 2.50"));
    char* end = nullptr;
    const std::string text = "100.2500";
    QCOMPARE(ParseDouble(text.c_str(), &end), 100.25);
    QCOMPARE(*end, '\0');
    QCOMPARE(ParseLeadingDouble("1.5 us"), 1.5);
  }

  void savedSetReadsBackAndExportMatchesTheCommandLine() {
    TempFolder folder;
    SpectrumMemory memory;
    RecordSets sets{memory};
    for (int k = 0; k < 4; ++k) {
      SpectrumRecord& record = sets.BufferPlot(k).Record();
      for (int j = 0; j < kMaxChannels; ++j) record.hardCounts[j] = static_cast<std::uint32_t>((j * 31 + k) % 977);
      CalibrationRecord& stored = record.stored;
      stored.pointCount = 2;
      stored.channel[0] = 100.5;
      stored.energy[0] = 661.657;
      stored.channel[1] = 1200.25;
      stored.energy[1] = 1332.492;
      stored.ticked[0] = stored.ticked[1] = 1;
      stored.enabled = 1;
    }
    SpectrumRecord& s0 = sets.BufferPlot(0).Record();
    s0.firmwareVersion = 250;
    s0.slowAdcVolts = 1.25;
    const AcquisitionTimes times{12.5, 12.0, 4.0, "10/12/2026  14:33:02", "START TIME: SYSTEM"};
    const std::string saved = folder.File("saved.mps");
    QVERIFY(SaveSpectrumFile(sets, saved, /*bufferSet=*/true, times).Ok());
    const std::string text = ReadWhole(saved);
    QVERIFY2(text.find("<real>   12.5000</real>") != std::string::npos, text.substr(0, 600).c_str());
    QVERIFY(text.find("<firmware> 2.50</firmware>") != std::string::npos);

    LoadedSpectrumFile file;
    QVERIFY(file.Load(saved).Ok());
    const SpectrumRecord& back = file.Plot(0).Record();
    QCOMPARE(back.firmwareVersion, 250);
    QCOMPARE(back.slowAdcVolts, 1.25);
    QCOMPARE(back.stored.channel[1], 1200.25);
    QCOMPARE(back.stored.energy[0], 661.657);

    const std::string ours = folder.File("gui.csv");
    QVERIFY(ExportSpectrumCsv(file.Plot(1), ours, true, file.Times()).Ok());
    const std::string theirs = folder.File("cli.csv");
    const RunResult run = RunProgram(MIRVO_CLI_EXECUTABLE, {"export", saved, "--spectrum", "1", "-o", theirs},
                                     {"LC_ALL=C"});
    QCOMPARE(run.status, 0);
    QVERIFY(ReadWhole(ours) == ReadWhole(theirs));
  }
};

QTEST_MAIN(LocaleFilesTest)
#include "locale_files_test.moc"
