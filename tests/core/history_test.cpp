// The history of a long measurement: bounded memory with the extremes kept, the samples a running
// acquisition and a logged series leave, the CSV export and the strip charts' decisions.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeClock.h"
#include "display/SpectrumPlot.h"
#include "monitor/HistoryChart.h"
#include "monitor/HistoryCsv.h"
#include "monitor/HistoryRecorder.h"

namespace mirvo {
namespace {

constexpr std::size_t kIncoming = Index(HistoryQuantity::kIncomingRate);
constexpr std::size_t kCentroid = Index(HistoryQuantity::kCentroid);

HistoryValues Incoming(double value) {
  HistoryValues values = NoHistoryValues();
  values[kIncoming] = value;
  return values;
}

std::uint64_t SamplesHeld(const HistoryBuffer& buffer) {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < buffer.Size(); ++i) total += buffer.At(i).samples;
  return total;
}

// ---------------------------------------------------------------------------------------------
// Bounded memory

TEST(HistoryBuffer, AVeryLongRunStaysBoundedAndKeepsEverySampleAndItsExtremes) {
  const HistoryBuffer::Limits limits{64, 128, 1.0};
  HistoryBuffer buffer(limits);
  // Seven days at five samples a second, around 1000 cps, with one spike and one dip on day 2.
  constexpr std::uint64_t kSamples = 7ull * 86400 * 5;
  constexpr std::uint64_t kSpike = 200000 * 5, kDip = 300000 * 5;
  double sum = 0;
  std::size_t largest = 0;
  for (std::uint64_t i = 0; i < kSamples; ++i) {
    double value = 1000.0 + static_cast<double>(i % 7);
    if (i == kSpike) value = 9000.0;
    if (i == kDip) value = 0.0;
    sum += value;
    buffer.Add(static_cast<double>(i) * 0.2, Incoming(value));
    largest = std::max(largest, buffer.Size());
  }
  EXPECT_LE(largest, limits.recentSamples + limits.mergedBuckets);
  EXPECT_EQ(buffer.SamplesAdded(), kSamples);
  EXPECT_EQ(SamplesHeld(buffer), kSamples);  // merged, never dropped

  double spikeMax = 0, dipMin = 1e9, total = 0;
  for (std::size_t i = 0; i < buffer.Size(); ++i) {
    const HistoryBucket& b = buffer.At(i);
    if (i > 0) {
      EXPECT_LE(buffer.At(i - 1).end, b.start);  // in time order, not overlapping
      EXPECT_EQ(buffer.At(i - 1).firstOrdinal + buffer.At(i - 1).samples, b.firstOrdinal);
    }
    const HistoryStat& s = b.stats[kIncoming];
    total += s.sum;
    if (b.start <= kSpike * 0.2 && kSpike * 0.2 <= b.end) spikeMax = s.max;
    if (b.start <= kDip * 0.2 && kDip * 0.2 <= b.end) dipMin = s.min;
  }
  EXPECT_EQ(spikeMax, 9000.0f);
  EXPECT_EQ(dipMin, 0.0f);
  EXPECT_NEAR(total, sum, sum * 1e-12);
  // The whole run is covered evenly: the merged buckets span about 7 days / 128 or less each.
  EXPECT_LE(buffer.BucketSeconds(), 2 * 7.0 * 86400 / limits.mergedBuckets * 2);
  EXPECT_DOUBLE_EQ(buffer.FirstTime(), 0.0);
  EXPECT_DOUBLE_EQ(buffer.LastTime(), (kSamples - 1) * 0.2);
  // The newest samples are still as they came.
  EXPECT_EQ(buffer.At(buffer.Size() - 1).samples, 1u);
}

TEST(HistoryBuffer, UnknownValuesDoNotCountAndTimeNeverGoesBack) {
  HistoryBuffer buffer(HistoryBuffer::Limits{2, 4, 10.0});
  buffer.Add(5.0, Incoming(10));
  buffer.Add(3.0, NoHistoryValues());  // the clock was set back
  buffer.Add(6.0, Incoming(30));
  buffer.Add(7.0, Incoming(std::nan("")));
  ASSERT_EQ(buffer.Size(), 3u);  // two folded into one 10 s bucket, two recent
  const HistoryBucket& merged = buffer.At(0);
  EXPECT_EQ(merged.samples, 2u);
  EXPECT_EQ(merged.start, 5.0);
  EXPECT_EQ(merged.end, 5.0);  // the sample of 3.0 was taken at 5.0
  EXPECT_EQ(merged.stats[kIncoming].n, 1u);
  EXPECT_DOUBLE_EQ(merged.stats[kIncoming].Mean(), 10.0);
  EXPECT_EQ(merged.stats[kCentroid].n, 0u);
  EXPECT_TRUE(std::isnan(merged.stats[kCentroid].Mean()));
  EXPECT_EQ(buffer.At(2).stats[kIncoming].n, 0u);
  buffer.Clear();
  EXPECT_TRUE(buffer.Empty());
  EXPECT_EQ(buffer.SamplesAdded(), 0u);
  EXPECT_EQ(buffer.BucketSeconds(), 10.0);
}

// ---------------------------------------------------------------------------------------------
// The recorder

struct NoHost final : IAcquisitionHost {
  SpectrumRecord record;
  SpectrumRecord& LiveRecord() override { return record; }
  const SpectrumRecord* SettingsRecord() override { return &record; }
  double SamplePeriodUs() const override { return 0.008; }
  void AddLine(const std::string&) override {}
};

class HistoryRecorderTest : public ::testing::Test {
 protected:
  HistoryStatus Running(double real, double incoming = 100) {
    HistoryStatus s;
    s.running = true;
    s.realSeconds = s.liveSeconds = real;
    s.incomingRate = s.throughputRate = incoming;
    s.temperature = 30;
    return s;
  }
  // One status read a second for `seconds`, with a tick between, real time from `real`.
  void RunFor(int seconds, double& real, double incoming = 100, bool series = false, int completed = 0) {
    for (int i = 0; i < seconds; ++i) {
      clock.Advance(500);
      recorder.OnPeak({100.0 + real, 5.0, 20.0, 1.5});
      clock.Advance(500);
      real += 1.0;
      HistoryStatus s = Running(real, incoming);
      s.seriesRunning = series;
      s.runsCompleted = completed;
      recorder.OnStatus(s);
    }
  }
  test::FakeClock clock{1'000'000};
  NoHost host;
  HistoryRecorder recorder{host, clock};
};

TEST_F(HistoryRecorderTest, RecordsOnlyWhileRunningAndStartsAfreshAfterAReset) {
  HistoryStatus stopped;
  recorder.OnStatus(stopped);
  recorder.OnPeak({1, 1, 1, 1});
  EXPECT_TRUE(recorder.Run().Empty());

  double real = 0;
  RunFor(10, real);
  // The first tick came before the first running status read: not recorded.
  EXPECT_EQ(recorder.Run().SamplesAdded(), 19u);
  EXPECT_EQ(recorder.RunOriginMs(), 1'001'000);
  const HistoryBucket& last = recorder.Run().At(recorder.Run().Size() - 1);
  EXPECT_DOUBLE_EQ(last.end, 9.0);
  EXPECT_DOUBLE_EQ(last.stats[kIncoming].Mean(), 100.0);

  // STOP for a minute, then START again without RESET: the same acquisition, with a gap.
  stopped.realSeconds = real;
  recorder.OnStatus(stopped);
  clock.Advance(60'000);
  recorder.OnPeak({1, 1, 1, 1});
  RunFor(5, real);
  EXPECT_EQ(recorder.Run().SamplesAdded(), 19u + 9u);  // again not the tick before the first status
  EXPECT_GT(recorder.Run().At(19).start - recorder.Run().At(18).end, recorder.Run().GapSeconds());

  // RESET and START: the real time went back, a new acquisition.
  real = 0;
  RunFor(2, real);
  EXPECT_EQ(recorder.Run().SamplesAdded(), 3u);
  EXPECT_EQ(recorder.Run().At(0).start, 0.0);
}

TEST_F(HistoryRecorderTest, ALoggedSeriesAddsOnePointPerRunWithTheRunsMeans) {
  double real = 0;
  const std::vector<double> rates = {100, 200, 400};
  int completed = 0;
  for (double rate : rates) {
    real = 0;  // each run starts from a reset
    RunFor(30, real, rate, true, completed);
    ++completed;
  }
  // The status read after the last run: the series has ended, the third run counted.
  HistoryStatus after;
  after.runsCompleted = completed;
  clock.Advance(1000);
  recorder.OnStatus(after);

  const HistoryBuffer& series = recorder.Series();
  ASSERT_EQ(series.Size(), 3u);
  for (std::size_t n = 0; n < 3; ++n) {
    const HistoryBucket& point = series.At(n);
    EXPECT_EQ(point.firstOrdinal, n + 1);
    EXPECT_DOUBLE_EQ(point.stats[kIncoming].Mean(), rates[n]) << n;
    EXPECT_EQ(point.stats[kIncoming].n, 1u);  // one point, the run's mean
  }
  EXPECT_NEAR(series.At(2).end - series.At(1).end, 30.0, 1e-9);
  // The running history kept the whole series, not only its last run.
  EXPECT_EQ(recorder.Run().SamplesAdded(), 3u * 60u - 1u);

  // A new series starts its points afresh.
  real = 0;
  RunFor(3, real, 50, true, 0);
  EXPECT_TRUE(recorder.Series().Empty());
  RunFor(3, real, 50, true, 1);
  EXPECT_EQ(recorder.Series().Size(), 1u);
}

TEST(HistoryPeak, TheRoiUnderTheS1CursorAndTheFom) {
  SpectrumPlot s1(1, true), s0(0, true);
  const std::vector<std::uint32_t> peak = {0, 0, 10, 20, 10, 0, 0};
  for (std::size_t i = 0; i < peak.size(); ++i) {
    s1.Record().hardCounts[500 + i] = peak[i];
    s0.Record().hardCounts[100 + i] = peak[i];
    s0.Record().hardCounts[300 + i] = peak[i];
  }
  s1.RebuildSoftSpectrum();
  s0.RebuildSoftSpectrum();
  s1.SetCursorChannel(503);
  HistoryPeak outside = PeakFromPlots(s1, s0, 10.0);
  EXPECT_TRUE(std::isnan(outside.centroid));
  EXPECT_TRUE(std::isnan(outside.netAreaRate));
  EXPECT_TRUE(std::isnan(outside.fom));

  for (int c = 500; c <= 506; ++c) s1.SetChannelRoi(c, true);
  CalibrationRecord& stored = s0.Record().stored;
  stored.fomPeak1First = 100;
  stored.fomPeak1Last = 106;
  stored.fomPeak2First = 300;
  stored.fomPeak2Last = 306;
  const HistoryPeak inside = PeakFromPlots(s1, s0, 10.0);
  EXPECT_DOUBLE_EQ(inside.centroid, 503.0);
  EXPECT_DOUBLE_EQ(inside.fwhm, 2.0);
  EXPECT_DOUBLE_EQ(inside.netAreaRate, 4.0);  // 40 counts in 10 s of live time
  EXPECT_DOUBLE_EQ(inside.fom, 50.0);
  EXPECT_TRUE(std::isnan(PeakFromPlots(s1, s0, 0.0).netAreaRate));
}

// ---------------------------------------------------------------------------------------------
// CSV

TEST(HistoryCsv, HeaderWithUnitsAndOneRowPerBucketInTheCLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // commas where it exists
  HistoryBuffer buffer(HistoryBuffer::Limits{1, 8, 10.0});
  HistoryValues values = NoHistoryValues();
  values[kIncoming] = 1234.5;
  values[kCentroid] = 0.25;
  buffer.Add(1.5, values);
  buffer.Add(2.0, Incoming(1000));
  buffer.Add(12.0, NoHistoryValues());
  const std::string text = HistoryCsvText(buffer, HistoryKind::kRun, UtcMillisecondsFromCivil({2026, 12, 9, 10, 0, 0, 0}));
  std::setlocale(LC_NUMERIC, previous ? "C" : "C");

  std::istringstream in(text);
  std::string header, first, second, third, more;
  std::getline(in, header);
  std::getline(in, first);
  std::getline(in, second);
  std::getline(in, third);
  EXPECT_FALSE(std::getline(in, more));
  EXPECT_EQ(header.rfind("start (UTC),start (s),end (s),first sample,samples,incoming rate mean (cps),"
                         "incoming rate min (cps),incoming rate max (cps),throughput rate mean (cps),",
                         0),
            0u);
  EXPECT_NE(header.find(",dead time max (%),temperature mean (C),"), std::string::npos);
  EXPECT_NE(header.find(",centroid mean (chn),"), std::string::npos);
  EXPECT_TRUE(header.ends_with(",FOM mean,FOM min,FOM max"));
  // 1.5 s and 2.0 s merged into the first 10 s bucket.
  EXPECT_EQ(first.rfind("2026-12-09T10:00:01.500Z,1.500,2.000,1,2,1117.25,1000,1234.5,,,,,,,,,,0.25,0.25,0.25,", 0),
            0u)
      << first;
  EXPECT_EQ(second, "2026-12-09T10:00:12.000Z,12.000,12.000,3,1,,,,,,,,,,,,,,,,,,,,,,,,");
  EXPECT_EQ(std::count(header.begin(), header.end(), ','), std::count(first.begin(), first.end(), ','));
  EXPECT_TRUE(third.empty());
}

TEST(HistoryCsv, ASeriesNamesItsRunsAndAFailedExportKeepsThePreviousFile) {
  HistoryBuffer buffer;
  buffer.Add(60, Incoming(10));
  EXPECT_EQ(HistoryCsvText(buffer, HistoryKind::kSeries, 0).rfind("start (UTC),start (s),end (s),first run,runs,", 0),
            0u);

  const auto folder = std::filesystem::temp_directory_path() / ("history_csv_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "h.csv").string();
  std::ofstream(path) << "previous";
  struct FullDisk final : FileSystemOps {
    ssize_t Write(int, const void*, std::size_t) override {
      errno = ENOSPC;
      return -1;
    }
  } full;
  const FileResult failed = ExportHistoryCsv(path, buffer, HistoryKind::kRun, 0, full);
  EXPECT_EQ(failed.status, kFileWriteFailed);
  EXPECT_EQ(failed.message, kHistoryExportFailed);
  std::stringstream kept;
  kept << std::ifstream(path).rdbuf();
  EXPECT_EQ(kept.str(), "previous");
  EXPECT_TRUE(ExportHistoryCsv(path, buffer, HistoryKind::kRun, 0).Ok());
  std::stringstream written;
  written << std::ifstream(path).rdbuf();
  EXPECT_EQ(written.str(), HistoryCsvText(buffer, HistoryKind::kRun, 0));
  EXPECT_EQ(ExportHistoryCsv((folder / "missing" / "h.csv").string(), buffer, HistoryKind::kRun, 0).status,
            kFileCannotCreate);
  std::filesystem::remove_all(folder);
}

// ---------------------------------------------------------------------------------------------
// Chart decisions

TEST(HistoryChart, TheTimeAxisReadsInUnitsThatSuitTheSpan) {
  struct Case {
    double span;
    const char* unit;
    const char* lastLabel;
  };
  const Case cases[] = {
      {0.0, "s", "10"},          {45.0, "s", "50"},         {170.0, "s", "200"},   {3600.0, "min", "60"},
      {5400.0, "min", "100"},   {10 * 3600.0, "h", "10"},  {86400.0, "h", "25"},  {7 * 86400.0, "d", "7"},
      {35 * 86400.0, "d", "35"}, {-5.0, "s", "10"},
  };
  for (const Case& c : cases) {
    const TimeAxis axis = ChooseTimeAxis(c.span, 8);
    EXPECT_STREQ(axis.unit, c.unit) << c.span;
    ASSERT_FALSE(axis.ticks.empty());
    EXPECT_LE(axis.ticks.size(), 8u) << c.span;
    EXPECT_EQ(axis.ticks.front().value, 0.0);
    EXPECT_EQ(axis.ticks.back().label, c.lastLabel) << c.span;
    EXPECT_GE(axis.end, c.span);
    EXPECT_DOUBLE_EQ(axis.ticks.back().value, axis.end) << c.span;
  }
}

TEST(HistoryChart, ValueAxesAreRoundAndAFlatLineGetsRoom) {
  struct Case {
    double low, high, axisLow, axisHigh;
    const char* firstLabel;
  };
  const Case cases[] = {
      {3.0, 97.0, 0.0, 100.0, "0"},   {1000.0, 1000.0, 900.0, 1100.0, "900"}, {0.0, 0.0, -1.0, 1.0, "-1.0"},
      {0.31, 0.36, 0.30, 0.36, "0.30"}, {-12.0, 41.0, -20.0, 60.0, "-20"},
  };
  for (const Case& c : cases) {
    const ValueAxis axis = ChooseValueAxis(c.low, c.high, 5);
    EXPECT_NEAR(axis.low, c.axisLow, 1e-9) << c.low;
    EXPECT_NEAR(axis.high, c.axisHigh, 1e-9) << c.high;
    EXPECT_LE(axis.ticks.size(), 6u);
    EXPECT_EQ(axis.ticks.front().label, c.firstLabel) << c.low;
  }
}

TEST(HistoryChart, ColumnsKeepTheExtremesAndBreakAtAGap) {
  HistoryBuffer buffer;
  for (int i = 0; i < 100; ++i) buffer.Add(i, Incoming(i == 20 ? 500 : 100));
  for (int i = 200; i < 300; ++i) buffer.Add(i, Incoming(100));  // counting stopped from 100 s to 200 s
  const std::vector<ChartColumn> columns = ChartColumns(buffer, HistoryQuantity::kIncomingRate, 0, 300, 30);
  ASSERT_EQ(columns.size(), 30u);
  EXPECT_EQ(columns[2].max, 500.0);  // 20 s
  EXPECT_EQ(columns[2].min, 100.0);
  EXPECT_DOUBLE_EQ(columns[2].mean, 140.0);
  EXPECT_FALSE(columns[0].joined);
  EXPECT_TRUE(columns[1].joined);
  for (int x = 10; x < 20; ++x) EXPECT_FALSE(columns[static_cast<std::size_t>(x)].valid) << x;
  EXPECT_FALSE(columns[20].joined);  // after the gap
  EXPECT_TRUE(columns[21].joined);
  double low = 0, high = 0;
  ASSERT_TRUE(ColumnRange(columns, low, high));
  EXPECT_EQ(low, 100.0);
  EXPECT_EQ(high, 500.0);
  // Counting stopped (rate 0) from 40 s to 60 s: those columns are marked.
  buffer.Clear();
  for (int i = 0; i < 100; ++i) buffer.Add(i, Incoming(i >= 40 && i < 60 ? 0 : 100));
  const std::vector<bool> stalled = StalledColumns(buffer, 0, 100, 10);
  EXPECT_EQ(stalled, (std::vector<bool>{false, false, false, false, true, true, false, false, false, false}));
  // A quantity never known has nothing to draw.
  const auto none = ChartColumns(buffer, HistoryQuantity::kFom, 0, 300, 30);
  EXPECT_FALSE(ColumnRange(none, low, high));
  EXPECT_TRUE(ChartColumns(buffer, HistoryQuantity::kFom, 5, 5, 30)[0].samples == 0);
}

}  // namespace
}  // namespace mirvo
