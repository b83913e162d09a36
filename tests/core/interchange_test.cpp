// N42.42 and IAEA SPE: exports of a full set (schema-valid, with the standard's other rules), round
// trips through the FILE set, foreign files in the variants other writers produce, and garbage that
// must be refused with the FILE set left as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <tuple>

#include "FileTestSupport.h"
#include "acquisition/LoggedRunSaver.h"
#include "acquisition/SpectrumLogger.h"
#include "display/RecordSets.h"
#include "files/ExchangeText.h"
#include "files/N42Reader.h"
#include "files/N42Writer.h"
#include "files/SpeWriter.h"
#include "files/SpectrumExchange.h"
#include "files/SpectrumFile.h"
#include "files/SpectrumFileCommands.h"
#include "files/SpectrumImport.h"
#include "protocol/RegisterImage.h"
#include "protocol/StartStampRegisters.h"
#include "shell/SettingsStore.h"

using namespace mirvo;
using namespace mirvo::test;

namespace {

// 2026-12-10T06:00:00Z, the documents' time.
constexpr std::int64_t kNowMs = 1796882400000;

std::filesystem::path SchemaPath() { return std::filesystem::path(MIRVO_N42_SCHEMA).lexically_normal(); }

class Interchange : public ::testing::Test {
 protected:
  SpectrumRecord& Buffer(int k) { return sets.BufferPlot(k).Record(); }
  SpectrumRecord& File(int k) { return sets.FilePlot(k).Record(); }
  std::array<const SpectrumRecord*, 4> BufferRecords() {
    return {&Buffer(0), &Buffer(1), &Buffer(2), &Buffer(3)};
  }
  std::array<const SpectrumRecord*, 4> FileRecords() { return {&File(0), &File(1), &File(2), &File(3)}; }

  // A BUFFER set with counts, ROIs, captions, tags, calibrations in three units and times.
  void FillBufferSet() {
    for (int k = 0; k < 4; ++k) {
      SpectrumRecord& record = Buffer(k);
      for (int j = 0; j < kMaxChannels; ++j)
        record.hardCounts[j] = static_cast<std::uint32_t>((j * 7919u + k * 104729u) % 100003u) * (j % 5 == 0 ? 0u : 1u);
      record.hardCounts[4095] = 4294967295u;
      for (int j = 100 + k; j < 130 + k; ++j) record.hardRoi[static_cast<std::size_t>(j)] = 1;
      record.caption = "Caption <" + std::to_string(k) + "> & more";
      record.tag = "Run 7 & \"cobalt\"";
    }
    // S1 in keV (two points), S2 in eV (three points), S0 in MeV (three), S3 uncalibrated.
    const auto points = [](CalibrationRecord& c, int unit, std::vector<std::pair<double, double>> p) {
      c.unitIndex = unit;
      c.pointCount = static_cast<int>(p.size());
      c.useAll = 1;
      for (std::size_t i = 0; i < p.size(); ++i) {
        c.channel[i] = p[i].first;
        c.energy[i] = p[i].second;
      }
    };
    points(Buffer(1).stored, 2, {{100, 50}, {2000, 1500}});
    points(Buffer(2).stored, 1, {{100, 60000}, {1000, 700000}, {3000, 2500000}});
    points(Buffer(0).stored, 3, {{10, 0.01}, {500, 0.6}, {4000, 5.2}});
    sets.BufferPlot(2).ApplySizes(kMaxChannels, 1024);
    Buffer(0).serialNumber = 42;
    Buffer(0).firmwareVersion = 123;
    RegisterImage& r = Buffer(0).registers;
    r.Set(reg::kRealTicksLow, 1250);  // 12.5 s
    r.Set(reg::kLiveTicksLow, 1200);  // 12.0 s
    r.Set(reg::kFpgaVersion, 7);
    WriteStartStamp(r, {false, true, 0x338A, 0x4A21});  // 10/12/2025 09:17:02, SYSTEM
  }
  AcquisitionTimes Times() { return TimesFromRegisters(Buffer(0).registers, SamplePeriodFromRegisters(Buffer(0).registers)); }

  // Writes `content` as `name` and opens it into the FILE set.
  FileResult Open(const std::string& name, const std::string& content) {
    WriteWhole(folder.File(name), content);
    notes.clear();
    return LoadAnySpectrumFile(sets, folder.File(name), notes);
  }

  SpectrumMemory memory;
  RecordSets sets{memory};
  TempFolder folder;
  std::vector<std::string> notes;
};

// Every text between `open` and the next `close` after it.
std::vector<std::string> Pieces(const std::string& text, const std::string& open, const std::string& close) {
  std::vector<std::string> pieces;
  for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
    at += open.size();
    const std::size_t end = text.find(close, at);
    if (end == std::string::npos) break;
    pieces.push_back(text.substr(at, end - at));
    at = end;
  }
  return pieces;
}

void ExpectSameCalibration(const CalibrationRecord& expected, const CalibrationRecord& actual, int k) {
  std::array<double, 3> a{};
  std::array<double, 3> b{};
  const bool calibrated = CalibrationInKeV(expected, a);
  ASSERT_EQ(CalibrationInKeV(actual, b), calibrated) << "S" << k;
  for (int ch : {0, 511, 2048, 4095}) {
    const auto e = [ch](const std::array<double, 3>& c) { return c[0] + c[1] * ch + c[2] * ch * ch; };
    EXPECT_NEAR(e(b), e(a), 1e-6 * std::max(1.0, std::abs(e(a)))) << "S" << k << " channel " << ch;
  }
}

// ---------------------------------------------------------------- round trips

TEST_F(Interchange, MpsThroughN42AndSpeBackIntoTheFileSetKeepsCountsTimesAndCalibration) {
  FillBufferSet();
  ASSERT_TRUE(WriteSpectrumFile(BufferRecords(), folder.File("run.mps"), Times()).Ok());
  ASSERT_TRUE(LoadSpectrumFile(sets, folder.File("run.mps")).Ok());
  const AcquisitionTimes fileTimes = TimesFromRegisters(File(0).registers, SamplePeriodFromRegisters(File(0).registers));
  ASSERT_TRUE(WriteN42File(FileRecords(), kAllSpectra, folder.File("run.n42"), fileTimes, kNowMs).Ok());
  for (int k = 0; k < 4; ++k)
    ASSERT_TRUE(WriteSpeFile(FileRecords(), k, folder.File("run" + std::to_string(k) + ".spe"), fileTimes).Ok());

  const auto expectSet = [&](int k) {
    SCOPED_TRACE("S" + std::to_string(k));
    EXPECT_TRUE(std::equal(Buffer(k).hardCounts, Buffer(k).hardCounts + kMaxChannels, File(k).hardCounts));
    EXPECT_EQ(File(k).caption, Buffer(k).caption);
    EXPECT_EQ(File(k).tag, Buffer(0).tag);  // the spectrum file carries S0's tag
    EXPECT_EQ(File(k).softSize, Buffer(k).softSize);
    ExpectSameCalibration(Buffer(k).stored, File(k).stored, k);
    const AcquisitionTimes times = TimesFromRegisters(File(0).registers, SamplePeriodFromRegisters(File(0).registers));
    EXPECT_NEAR(times.realSeconds, 12.5, 1e-6);
    EXPECT_NEAR(times.liveSeconds, 12.0, 1e-6);
    EXPECT_EQ(times.stampText, "10/12/2025  09:17:02");
    EXPECT_EQ(times.kindText, "START TIME: SYSTEM");
  };
  SpectrumMemory otherMemory;
  RecordSets fresh{otherMemory};
  ASSERT_TRUE(LoadAnySpectrumFile(sets, folder.File("run.n42"), notes).Ok());
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(File(0).serialNumber, 42);
  EXPECT_EQ(File(0).firmwareVersion, 123);
  EXPECT_EQ(File(0).registers.Get(reg::kFpgaVersion), 7);
  for (int k = 0; k < 4; ++k) expectSet(k);
  for (int k = 0; k < 4; ++k) {
    ASSERT_TRUE(LoadAnySpectrumFile(sets, folder.File("run" + std::to_string(k) + ".spe"), notes).Ok());
    expectSet(k);  // a file of this program goes back to its own spectrum
    EXPECT_TRUE(std::equal(Buffer(k).hardRoi.begin(), Buffer(k).hardRoi.end(), File(k).hardRoi.begin()));
  }
}

TEST_F(Interchange, NumbersIgnoreTheProcessLocale) {
  EXPECT_EQ(NumberText(12.5), "12.5");
  EXPECT_EQ(FixedText(1.23, 2), "1.23");
  EXPECT_EQ(ParseNumber(" 1.5e3 "), 1500.0);
  EXPECT_FALSE(ParseNumber("1,5"));
  EXPECT_EQ(DurationText(12.25), "PT12.25S");
  EXPECT_EQ(ParseDuration("PT1H2M3.5S"), 3723.5);
  EXPECT_EQ(ParseDuration("P1DT2S"), 86402.0);
  EXPECT_FALSE(ParseDuration("P1Y"));
  EXPECT_FALSE(ParseDuration("PT"));
  const auto zoned = ParseDateTime("2026-12-10T07:20:00.25+02:00");
  ASSERT_TRUE(zoned);
  EXPECT_EQ(zoned->offsetMinutes, 120);
  EXPECT_EQ(DateTimeText(zoned->time, 120), "2026-12-10T07:20:00+02:00");
  EXPECT_EQ(DateTimeText(zoned->time, 0), "2026-12-10T07:20:00Z");
}

// ---------------------------------------------------------------- the exports

TEST_F(Interchange, N42ExportsValidateAgainstTheSchemaAndKeepTheStandardsOtherRules) {
  FillBufferSet();
  std::vector<std::string> files;
  ASSERT_TRUE(WriteN42File(BufferRecords(), kAllSpectra, folder.File("all.n42"), Times(), kNowMs).Ok());
  files.push_back(folder.File("all.n42"));
  for (int k = 0; k < 4; ++k) {
    files.push_back(folder.File("one" + std::to_string(k) + ".n42"));
    ASSERT_TRUE(WriteN42File(BufferRecords(), k, files.back(), Times(), kNowMs).Ok());
  }
  AcquisitionTimes waiting = Times();
  waiting.stampText = "WAITING FOR START";
  files.push_back(folder.File("waiting.n42"));
  ASSERT_TRUE(WriteN42File(BufferRecords(), kAllSpectra, files.back(), waiting, kNowMs).Ok());
  AcquisitionTimes future = Times();
  future.stampText = "01/01/2099  00:00:00";
  files.push_back(folder.File("future.n42"));
  ASSERT_TRUE(WriteN42File(BufferRecords(), kAllSpectra, files.back(), future, kNowMs).Ok());

  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    const std::string text = ReadWhole(path);
    // At most one Spectrum per detector within the measurement.
    std::set<std::string> references;
    for (const std::string& tag : Pieces(text, "<Spectrum ", ">")) {
      const std::vector<std::string> reference = Pieces(tag, "radDetectorInformationReference=\"", "\"");
      ASSERT_EQ(reference.size(), 1u) << tag;
      EXPECT_TRUE(references.insert(reference[0]).second) << reference[0];
    }
    EXPECT_FALSE(references.empty());
    // "Other" codes come with a description.
    for (const std::string& block : Pieces(text, "<RadDetectorInformation ", "</RadDetectorInformation>")) {
      if (block.find(">Other<") != std::string::npos) {
        EXPECT_NE(block.find("<RadDetectorDescription>"), std::string::npos);
      }
    }
    // No CountedZeroes here, but if ever: the last value is not 0 and every 0 has its count.
    EXPECT_EQ(text.find("CountedZeroes"), std::string::npos);
    // No date in the future.
    std::vector<std::string> dates = Pieces(text, "<StartDateTime>", "<");
    for (const std::string& date : Pieces(text, "n42DocDateTime=\"", "\"")) dates.push_back(date);
    for (const std::string& date : Pieces(text, "<CalibrationDateTime>", "<")) dates.push_back(date);
    EXPECT_GE(dates.size(), 2u);
    for (const std::string& date : dates) {
      const auto zoned = ParseDateTime(date);
      ASSERT_TRUE(zoned) << date;
      EXPECT_LE(UtcMillisecondsFromCivil(zoned->time) - zoned->offsetMinutes * 60000LL, kNowMs) << date;
    }
    // The instrument as the document names it.
    EXPECT_NE(text.find("<RadInstrumentIdentifier>00042</RadInstrumentIdentifier>"), std::string::npos);
    EXPECT_NE(text.find("<RadInstrumentComponentVersion>1.23</RadInstrumentComponentVersion>"), std::string::npos);
  }
  const std::string all = ReadWhole(folder.File("all.n42"));
  EXPECT_NE(all.find("<StartDateTime>2025-12-10T09:17:02Z</StartDateTime>"), std::string::npos);
  EXPECT_NE(all.find("<RealTimeDuration>PT12.5S</RealTimeDuration>"), std::string::npos);
  EXPECT_NE(all.find("<LiveTimeDuration>PT12S</LiveTimeDuration>"), std::string::npos);
  EXPECT_NE(all.find("<CoefficientValues>-26.31578947368422 0.7631578947368421 0</CoefficientValues>"),
            std::string::npos);  // S1: (100, 50), (2000, 1500) keV
  EXPECT_NE(all.find("<RadDetectorCategoryCode>Neutron</RadDetectorCategoryCode>"), std::string::npos);
  EXPECT_NE(all.find("<GrossCounts id=\"GrossCountsS3\""), std::string::npos);
  EXPECT_NE(all.find("Caption: Caption &lt;1&gt; &amp; more"), std::string::npos);
  const std::string one = ReadWhole(folder.File("one2.n42"));
  EXPECT_EQ(one.find("DetectorS1"), std::string::npos);
  EXPECT_NE(one.find("<Spectrum id=\"SpectrumS2\""), std::string::npos);

  const std::filesystem::path schema = SchemaPath();
  if (!std::filesystem::exists(schema)) GTEST_SKIP() << "no N42 schema at " << schema;
  for (const std::string& path : files) {
    const std::string command = "xmllint --noout --nonet --schema '" + schema.string() + "' '" + path + "' 2>'" +
                                folder.File("xmllint.txt") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadWhole(folder.File("xmllint.txt"));
  }
}

TEST_F(Interchange, SpeExportHasTheMandatoryBlocksFirstAndCrLfLineEnds) {
  FillBufferSet();
  ASSERT_TRUE(WriteSpeFile(BufferRecords(), 1, folder.File("s1.spe"), Times()).Ok());
  ASSERT_TRUE(WriteSpeFile(BufferRecords(), 3, folder.File("s3.spe"), Times()).Ok());
  const std::string text = ReadWhole(folder.File("s1.spe"));
  EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
  const std::string head = "$SPEC_ID:\r\nRun 7 & \"cobalt\"\r\n$SPEC_REM:\r\nMirvo-PSD S1: Caption <1> & more\r\n"
                           "Kvetral serial number: 00042\r\nStart time kind: SYSTEM\r\nSoft size: 4096\r\n"
                           "$DATE_MEA:\r\n12/10/2025 09:17:02\r\n$MEAS_TIM:\r\n12 12.5\r\n$DATA:\r\n0 4095\r\n0\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find("\r\n4294967295\r\n$ROI:\r\n1\r\n101 130\r\n$PRESETS:\r\nNone\r\n0\r\n0\r\n$ENER_FIT:\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("$MCA_CAL:\r\n3\r\n-26.31578947368422 0.7631578947368421 0 keV\r\n"), std::string::npos);
  const std::string uncalibrated = ReadWhole(folder.File("s3.spe"));
  EXPECT_EQ(uncalibrated.find("$ENER_FIT"), std::string::npos);
  EXPECT_EQ(uncalibrated.find("$MCA_CAL"), std::string::npos);
}

TEST_F(Interchange, ExportCommandsAskLikeTheCsvExportAndWriteTheActiveSpectrum) {
  FillBufferSet();
  ScriptedUserDialog dialog;
  ScriptedTagDialog tagDialog;
  tagDialog.text = "tagged";
  sets.PaneFocused(2);
  ASSERT_EQ(sets.ActiveSpectrumIndex(), 2);
  ASSERT_TRUE(ExportInterchangeAs(sets, folder.File("x.n42"), InterchangeExport::N42ThisSpectrum, Times(), kNowMs,
                                  dialog, tagDialog)
                  .Ok());
  EXPECT_NE(ReadWhole(folder.File("x.n42")).find("SpectrumS2"), std::string::npos);
  EXPECT_EQ(ReadWhole(folder.File("x.n42")).find("SpectrumS1"), std::string::npos);
  dialog.answers = {false};
  EXPECT_EQ(ExportInterchangeAs(sets, folder.File("x.n42"), InterchangeExport::SpeThisSpectrum, Times(), kNowMs, dialog,
                                tagDialog)
                .status,
            kFileCancelled);
  ASSERT_TRUE(ExportInterchangeAs(sets, folder.File("y.spe"), InterchangeExport::SpeThisSpectrum, Times(), kNowMs,
                                  dialog, tagDialog)
                  .Ok());
  EXPECT_NE(ReadWhole(folder.File("y.spe")).find("Mirvo-PSD S2:"), std::string::npos);
  EXPECT_EQ(ExportInterchangeAs(sets, folder.File("gone/z.n42"), InterchangeExport::N42AllSpectra, Times(), kNowMs,
                                dialog, tagDialog)
                .message,
            kUnableToSaveFile);
}

// ---------------------------------------------------------------- foreign files

std::string ForeignN42(const std::string& channelData, const std::string& coefficients, const std::string& extra = "") {
  return "<?xml version=\"1.0\"?>\n<n42:RadInstrumentData xmlns:n42=\"http://physics.nist.gov/N42/2011/N42\">\n"
         "<n42:RadInstrumentInformation id=\"i\"><n42:RadInstrumentManufacturerName>Other</n42:RadInstrumentManufacturerName>"
         "</n42:RadInstrumentInformation>\n"
         "<n42:RadDetectorInformation id=\"d1\"><n42:RadDetectorName>Aa</n42:RadDetectorName></n42:RadDetectorInformation>\n" +
         (coefficients.empty() ? std::string()
                               : "<n42:EnergyCalibration id=\"c1\"><n42:CoefficientValues>" + coefficients +
                                     "</n42:CoefficientValues></n42:EnergyCalibration>\n") +
         extra +
         "<!-- a comment --><n42:RadMeasurement id=\"m\">\n<n42:StartDateTime>2024-03-01T10:00:04+01:00</n42:StartDateTime>\n"
         "<n42:RealTimeDuration>PT100S</n42:RealTimeDuration>\n"
         "<n42:Spectrum id=\"s\" radDetectorInformationReference=\"d1\" energyCalibrationReference=\"c1\">"
         "<n42:LiveTimeDuration>PT90.5S</n42:LiveTimeDuration>\n<n42:ChannelData" +
         channelData + "</n42:ChannelData></n42:Spectrum>\n</n42:RadMeasurement>\n</n42:RadInstrumentData>\n";
}

std::string Counts(int n) {
  std::string text;
  for (int j = 0; j < n; ++j) text += std::to_string(j % 7) + (j % 10 == 9 ? "\n" : " ");
  return text;
}

std::string WithLineEnds(std::string text, const std::string& end) {
  std::string out;
  for (char c : text) out += c == '\n' ? end : std::string(1, c);
  return out;
}

std::string ForeignSpe(const std::string& calibration, int n) {
  std::string text = "$SPEC_ID:\nSample 12\n$SPEC_REM:\nDET# 1\n$DATE_MEA:\n03/01/2024 10:00:04\n$MEAS_TIM:\n90 100\n"
                     "$DATA:\n0 " + std::to_string(n - 1) + "\n";
  for (int j = 0; j < n; ++j) text += std::to_string(j % 7) + "\n";
  return text + "$ROI:\n0\n" + calibration + "$PRESETS:\nNone\n0\n0\n$ENDRECORD:\n";
}

struct ForeignCase {
  const char* name;
  std::string fileName;
  std::string content;
  int channels;                        // the hard size the spectrum loads with
  std::array<double, 3> keV;           // {0, 1, 0}: no calibration
  bool padded;
};

TEST_F(Interchange, ForeignFilesLoadIntoS1AsOtherWritersProduceThem) {
  const std::string counted = " compressionCode=\"CountedZeroes\">5 0 3 7 0 200 1 ";
  const std::vector<ForeignCase> cases = {
      {"n42 LF, quadratic", "a.n42", ForeignN42(">" + Counts(1024), "1.5 0.75 0.0001"), 1024, {1.5, 0.75, 0.0001}, false},
      {"n42 CRLF", "b.n42", WithLineEnds(ForeignN42(">" + Counts(1024), "1.5 0.75 0.0001"), "\r\n"), 1024,
       {1.5, 0.75, 0.0001}, false},
      {"n42 CR, named .xml", "c.xml", WithLineEnds(ForeignN42(">" + Counts(1024), "1.5 0.75 0.0001"), "\r"), 1024,
       {1.5, 0.75, 0.0001}, false},
      {"n42 two-term calibration", "d.n42", ForeignN42(">" + Counts(4096), "-2 3.25"), 4096, {-2, 3.25, 0}, false},
      {"n42 four terms, fourth 0", "e.n42", ForeignN42(">" + Counts(2048), "0 2 0.5 0"), 2048, {0, 2, 0.5}, false},
      {"n42 cubic: not quadratic", "f.n42", ForeignN42(">" + Counts(2048), "0 2 0.5 1e-9"), 2048, {0, 1, 0}, false},
      {"n42 missing calibration", "g.n42", ForeignN42(">" + Counts(1024), ""), 1024, {0, 1, 0}, false},
      {"n42 CountedZeroes, padded", "h.n42", ForeignN42(counted, "0 1"), 512, {0, 1, 0}, true},
      {"n42 extra blocks", "i.n42",
       ForeignN42(">" + Counts(1024), "0 2", "<n42:RadItemInformation id=\"x\"><n42:Remark>hi</n42:Remark></n42:RadItemInformation>\n"
                                            "<n42:RadMeasurement id=\"m0\"><n42:MeasurementClassCode>Background</n42:MeasurementClassCode>"
                                            "</n42:RadMeasurement>\n"),
       1024, {0, 2, 0}, false},
      {"spe LF, ENER_FIT two terms", "j.spe", ForeignSpe("$ENER_FIT:\n-2 3.25\n", 1024), 1024, {-2, 3.25, 0}, false},
      {"spe CRLF, MCA_CAL", "k.spe", WithLineEnds(ForeignSpe("$MCA_CAL:\n3\n1.5 0.75 1E-4 keV\n", 4096), "\r\n"), 4096,
       {1.5, 0.75, 0.0001}, false},
      {"spe CR, no calibration, named .txt", "l.txt", WithLineEnds(ForeignSpe("", 1024), "\r"), 1024, {0, 1, 0}, false},
      {"spe 300 channels", "m.spe", ForeignSpe("", 300), 512, {0, 1, 0}, true},
  };
  for (const ForeignCase& c : cases) {
    SCOPED_TRACE(c.name);
    File(0).hardCounts[7] = 99;
    ASSERT_TRUE(Open(c.fileName, c.content).Ok());
    EXPECT_EQ(File(1).hardSize, c.channels);
    EXPECT_EQ(File(0).hardCounts[7], 0u);  // the whole FILE set was reset
    EXPECT_EQ(File(1).tag, c.fileName.substr(0, 5) == "l.txt" ? std::string("Sample 12")
                                                              : (c.fileName.find(".spe") != std::string::npos ? "Sample 12" : c.fileName));
    if (c.name == std::string("n42 CountedZeroes, padded")) {
      const std::vector<std::uint32_t> expected = {5, 0, 0, 0, 7};
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), File(1).hardCounts));
      EXPECT_EQ(File(1).hardCounts[205], 1u);
      EXPECT_EQ(File(1).hardCounts[206], 0u);
    } else {
      EXPECT_EQ(File(1).hardCounts[8], 1u);
      EXPECT_EQ(File(1).hardCounts[c.channels - 1], static_cast<std::uint32_t>((c.channels - 1) % 7));
    }
    ASSERT_FALSE(notes.empty());
    EXPECT_NE(notes.front().find("loaded into S1"), std::string::npos);
    const bool padded =
        std::any_of(notes.begin(), notes.end(), [](const std::string& n) { return n.find("padded") != std::string::npos; });
    EXPECT_EQ(padded, c.padded);
    std::array<double, 3> keV{};
    const bool calibrated = CalibrationInKeV(File(1).stored, keV);
    const std::array<double, 3> identity{0, 1, 0};
    EXPECT_EQ(calibrated, c.keV != identity);
    for (int i = 0; i < 3 && calibrated; ++i) EXPECT_NEAR(keV[static_cast<std::size_t>(i)], c.keV[static_cast<std::size_t>(i)], 1e-9);
    const AcquisitionTimes times = TimesFromRegisters(File(0).registers, SamplePeriodFromRegisters(File(0).registers));
    EXPECT_NEAR(times.realSeconds, 100.0, 1e-6);
    EXPECT_NEAR(times.liveSeconds, c.fileName.find(".n42") != std::string::npos || c.fileName == "c.xml" ? 90.5 : 90.0, 1e-3);
    EXPECT_EQ(times.stampText, "01/03/2024  10:00:04");
    EXPECT_EQ(times.kindText, "START TIME: LOCAL");
  }
}

// ---------------------------------------------------------------- refusals

TEST_F(Interchange, GarbageAndTruncatedFilesAreRefusedAndTheFileSetStays) {
  FillBufferSet();
  ASSERT_TRUE(WriteN42File(BufferRecords(), kAllSpectra, folder.File("good.n42"), Times(), kNowMs).Ok());
  ASSERT_TRUE(WriteSpeFile(BufferRecords(), 1, folder.File("good.spe"), Times()).Ok());
  const std::string n42 = ReadWhole(folder.File("good.n42"));
  const std::string spe = ReadWhole(folder.File("good.spe"));
  ASSERT_TRUE(LoadAnySpectrumFile(sets, folder.File("good.n42"), notes).Ok());
  const auto snapshot = [&] {
    std::vector<std::uint32_t> all;
    for (int k = 0; k < 4; ++k) all.insert(all.end(), File(k).hardCounts, File(k).hardCounts + kMaxChannels);
    return std::make_tuple(all, File(1).tag, File(0).registers, File(2).hardSize, File(1).stored);
  };
  const auto before = snapshot();
  std::string huge = ForeignN42(">" + Counts(8192), "0 1");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"hello.n42", "hello world\n"},
      {"empty.n42", ""},
      {"truncated.n42", n42.substr(0, n42.size() / 2)},
      {"bad-number.n42", ForeignN42(">1 2 x 4", "0 1")},
      {"negative.n42", ForeignN42(">1 2 -3 4", "0 1")},
      {"no-spectrum.n42", "<RadInstrumentData><RadMeasurement id=\"m\"/></RadInstrumentData>"},
      {"empty-data.n42", ForeignN42(">", "0 1")},
      {"unknown-compression.n42", ForeignN42(" compressionCode=\"Zip\">1 2", "0 1")},
      {"zero-bomb.n42", ForeignN42(" compressionCode=\"CountedZeroes\">1 0 1e12 2", "0 1")},
      {"entities.n42", "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>" +
                           n42.substr(n42.find("<RadInstrumentData"))},
      {"too-many-channels.n42", huge},
      {"binary.n42", std::string("\x00\x01\x02<RadInstrumentData\xff", 22)},
      {"truncated.spe", spe.substr(0, spe.size() / 2)},
      {"short-range.spe", "$DATA:\r\n0 10\r\n1\r\n2\r\n"},
      {"bad-range.spe", "$DATA:\r\n10 0\r\n"},
      {"no-data.spe", "$SPEC_ID:\r\nx\r\n$MEAS_TIM:\r\n1 1\r\n"},
      {"text-before.spe", "garbage\n$DATA:\n0 0\n5\n"},
      {"bad-count.spe", "$DATA:\n0 1\n5\nfive\n"},
      {"garbage.spe", "\x01\x02\x03 not a spectrum"},
  };
  for (const auto& [name, content] : cases) {
    SCOPED_TRACE(name);
    const FileResult result = Open(name, content);
    EXPECT_EQ(result.status, kFileCannotOpen);
    EXPECT_EQ(result.message.substr(0, std::string(kUnableToOpenFile).size()), kUnableToOpenFile);
    EXPECT_TRUE(snapshot() == before);
  }
  EXPECT_NE(Open("too-many-channels.n42", huge).message.find("8192 channels"), std::string::npos);

  // Open Spectrum shows the refusal and logs nothing.
  ScriptedUserDialog dialog;
  std::vector<std::string> told;
  EXPECT_FALSE(OpenSpectrum(sets, folder.File("hello.n42"), dialog, &told).Ok());
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0].text, kUnableToOpenFile);
  EXPECT_TRUE(told.empty());
  EXPECT_TRUE(snapshot() == before);
}

TEST_F(Interchange, TheContentChoosesTheFormatNotTheName) {
  EXPECT_EQ(DetectSpectrumFormat("<?xml version=\"1.0\"?>\n<RadInstrumentData", "x.mps"), SpectrumFormat::N42);
  EXPECT_EQ(DetectSpectrumFormat("\xEF\xBB\xBF\r\n$SPEC_ID:", "x.mps"), SpectrumFormat::Spe);
  EXPECT_EQ(DetectSpectrumFormat("<?xml version=\"1.0\"?>\n<Kvetral>", "x.n42"), SpectrumFormat::N42);
  EXPECT_EQ(DetectSpectrumFormat("<?xml version=\"1.0\"?>\n<Kvetral>", "x.SPE"), SpectrumFormat::Spe);
  EXPECT_EQ(DetectSpectrumFormat("<?xml version=\"1.0\"?>\n<Kvetral>", "x.mps"), SpectrumFormat::Mps);
  EXPECT_EQ(DetectSpectrumFormat("anything", "noextension"), SpectrumFormat::Mps);
}

}  // namespace

// ---------------------------------------------------------------- the spectrum logger's N42 copy

namespace logger {

struct NoFolders : IFolderChooser {
  bool ChooseFolder(const std::string&, const std::string&, std::string&) override { return false; }
};

TEST_F(Interchange, LoggedRunsAreSavedAsN42BesideOrInsteadOfTheSpectrumFileWhenAsked) {
  FillBufferSet();
  EXPECT_EQ(LoggedN42Path("/d/run_0001.mps"), "/d/run_0001.n42");
  EXPECT_EQ(LoggedN42Path("/d/run"), "/d/run.n42");
  ScriptedUserDialog dialog;
  NoFolders folders;
  SpectrumLogger spectrumLogger(dialog, folders);
  EXPECT_EQ(spectrumLogger.N42(), LoggedN42::Off);
  spectrumLogger.SetN42(static_cast<LoggedN42>(7));  // a damaged setting
  EXPECT_EQ(spectrumLogger.N42(), LoggedN42::Off);
  BufferRecordsRunSaver recordsSaver(BufferRecords(), dialog);
  RecordSetsRunSaver setsSaver(sets, dialog);
  const AcquisitionTimes times = Times();
  struct Case {
    LoggedN42 mode;
    bool mps;
    bool n42;
  };
  for (ILoggedRunSaver* saver : std::initializer_list<ILoggedRunSaver*>{&recordsSaver, &setsSaver}) {
    spectrumLogger.SetSaver(saver);
    int run = 0;
    for (const Case& c : {Case{LoggedN42::Off, true, false}, Case{LoggedN42::Beside, true, true},
                          Case{LoggedN42::Instead, false, true}}) {
      const std::string mps = folder.File(saver == &setsSaver ? "sets" : "records") + LoggedFileName("", ++run);
      spectrumLogger.SetN42(c.mode);
      ASSERT_TRUE(spectrumLogger.SaveRun({mps, run, times.realSeconds, times.liveSeconds, times.deadPercent,
                                          times.stampText, times.kindText, LoggedN42::Off}));
      EXPECT_EQ(std::filesystem::exists(mps), c.mps) << mps;
      EXPECT_EQ(std::filesystem::exists(LoggedN42Path(mps)), c.n42) << mps;
      if (!c.n42) continue;
      ASSERT_TRUE(LoadAnySpectrumFile(sets, LoggedN42Path(mps), notes).Ok());
      for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(std::equal(Buffer(k).hardCounts, Buffer(k).hardCounts + kMaxChannels, File(k).hardCounts));
      EXPECT_EQ(TimesFromRegisters(File(0).registers, SamplePeriodFromRegisters(File(0).registers)).stampText,
                times.stampText);
    }
  }
  // A failed N42 save is shown and counts as a failed run.
  spectrumLogger.SetN42(LoggedN42::Instead);
  EXPECT_FALSE(spectrumLogger.SaveRun({folder.File("gone/x_0001.mps"), 1, 1, 1, 0, times.stampText, times.kindText,
                                       LoggedN42::Off}));
  ASSERT_FALSE(dialog.messages.empty());
  EXPECT_EQ(dialog.messages.back().text, kUnableToSaveFile);

  // The choice lives in the settings store's logger group, off when missing.
  MemorySettingsBackend backend;
  SettingsStore store(backend);
  EXPECT_EQ(store.LoadLoggerN42(), 0u);
  store.SaveLoggerN42(static_cast<std::uint32_t>(LoggedN42::Beside));
  EXPECT_EQ(backend.ReadInt("Mirvo-PSD/Logger", "SaveN42"), 1u);
  EXPECT_EQ(store.LoadLoggerN42(), 1u);
}

}  // namespace logger
