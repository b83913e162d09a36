#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/CalibrationFit.h"
#include "display/CalibrationPanel.h"
#include "display/PeakAnalysis.h"
#include "display/PlotTables.h"
#include "display/SpectrumInfoPanel.h"
#include "display/SpectrumPlot.h"
#include "display/UserDialog.h"

namespace mirvo {
namespace {

// ---------------------------------------------------------------- the fit

CalibrationRecord Points(const std::vector<std::pair<double, double>>& points, bool useAll = true) {
  CalibrationRecord record;
  record.useAll = useAll ? 1 : 0;
  record.pointCount = static_cast<int>(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    record.channel[i] = points[i].first;
    record.energy[i] = points[i].second;
  }
  return record;
}

struct FitCase {
  const char* name;
  std::vector<std::pair<double, double>> points;
  int status;
  double a, b, c;
};

class Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fit, Coefficients) {
  const FitCase& fc = GetParam();
  FitCoefficients out{9.0, 9.0, 9.0};
  ASSERT_EQ(FitPoints(Points(fc.points), out), fc.status);
  EXPECT_NEAR(out.a, fc.a, 1e-12);
  EXPECT_NEAR(out.b, fc.b, 1e-9);
  EXPECT_NEAR(out.c, fc.c, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Points, Fit,
    ::testing::Values(
        FitCase{"TwoPoints", {{100, 50}, {200, 150}}, kFitDone, 0.0, 1.0, -50.0},
        FitCase{"TwoPointsSameChannel", {{100, 50}, {100, 80}}, kFitDone, 0.0, 1.0, -50.0},
        // E = 0.001 x^2 + 0.5 x + 3
        FitCase{"ExactParabola", {{100, 63}, {500, 503}, {1000, 1503}}, kFitDone, 0.001, 0.5, 3.0},
        FitCase{"ParabolaFromFourPoints", {{100, 63}, {500, 503}, {1000, 1503}, {2000, 5003}}, kFitDone, 0.001, 0.5, 3.0},
        FitCase{"StraightLineFromThreePoints", {{10, 25}, {20, 45}, {40, 85}}, kFitDone, 0.0, 2.0, 5.0},
        FitCase{"OnePoint", {{100, 50}}, kFitTooFewPoints, 9.0, 9.0, 9.0},
        FitCase{"ThreePointsOnTwoChannels", {{100, 50}, {100, 51}, {200, 150}}, kFitTooFewChannels, 9.0, 9.0, 9.0},
        FitCase{"ThreePointsOnOneChannel", {{100, 50}, {100, 51}, {100, 52}}, kFitTooFewChannels, 9.0, 9.0, 9.0}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

TEST(Fit, UsesOnlyTickedPointsUnlessUseAll) {
  CalibrationRecord record = Points({{100, 50}, {150, 0}, {200, 150}}, false);
  record.ticked = {1, 0, 1};
  FitCoefficients out;
  ASSERT_EQ(FitPoints(record, out), kFitDone);
  EXPECT_DOUBLE_EQ(out.b, 1.0);
  EXPECT_DOUBLE_EQ(out.c, -50.0);
}

// ---------------------------------------------------------------- the panel

struct ScriptedDialog : IUserDialog {
  std::vector<std::string> messages;
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { messages.push_back(text); }
  bool AskOkCancel(const std::string&, const std::string&, MessageIcon) override { return true; }
};

struct FourPlots : IPlotTables {
  FourPlots() {
    for (int k = 0; k < 4; ++k) plots[static_cast<std::size_t>(k)] = std::make_unique<SpectrumPlot>(k, true);
  }
  int ActiveSpectrumIndex() const override { return active; }
  SpectrumPlot& ActivePlot(int spectrum) override { return *plots[static_cast<std::size_t>(spectrum)]; }
  using IPlotTables::ActivePlot;
  std::array<std::unique_ptr<SpectrumPlot>, 4> plots;
  int active = 0;
};

class Panel : public ::testing::Test {
 protected:
  void SetUp() override { panel.Initialise(); }
  void Add(const std::string& channel, const std::string& energy) {
    panel.SetChannelText(channel);
    panel.SetEnergyText(energy);
    panel.AddPoint();
  }
  SpectrumPlot& Plot() { return tables.ActivePlot(); }
  FourPlots tables;
  ScriptedDialog dialog;
  SpectrumInfoPanel info;
  CalibrationPanel panel{tables, dialog, &info};
};

TEST_F(Panel, StartsUncalibratedAndDoesNothingBeforeItsFirstUpdate) {
  CalibrationPanel fresh(tables, dialog);
  fresh.SetChannelText("100");
  fresh.AddPoint();
  fresh.Cursor();
  EXPECT_TRUE(fresh.Rows().empty());
  EXPECT_EQ(fresh.ChannelText(), "100");
  EXPECT_EQ(panel.GroupCaption(), "Not Calibrated");
  EXPECT_EQ(panel.CoefficientTexts(), (std::array<std::string, 3>{"a = ?", "b = ?", "c = ?"}));
  EXPECT_EQ(CalibrationPanel::PaneTitle(3), "Calibration S3");
}

TEST_F(Panel, AddPointInsertsAtTheTopAndRebuildsBothRecords) {
  Plot().SetSizes(4096, 2048);
  Add("100", "50");
  Add("200.5", "not a number");
  ASSERT_EQ(panel.Rows().size(), 2u);
  EXPECT_EQ(panel.Rows()[0].channelText, "  200.50");
  EXPECT_EQ(panel.Rows()[0].energyText, "  0.0000");
  EXPECT_EQ(panel.Rows()[1].channelText, "  100.00");
  EXPECT_EQ(panel.Rows()[1].energyText, " 50.0000");
  EXPECT_FALSE(panel.Rows()[0].ticked);
  EXPECT_TRUE(panel.ChannelText().empty());
  EXPECT_TRUE(panel.EnergyText().empty());
  const SpectrumRecord& r = Plot().Record();
  EXPECT_EQ(r.working.pointCount, 2);
  EXPECT_DOUBLE_EQ(r.working.channel[0], 200.5);
  EXPECT_DOUBLE_EQ(r.stored.channel[0], 401.0);  // hard channels
  EXPECT_DOUBLE_EQ(r.stored.channel[1], 200.0);
  EXPECT_DOUBLE_EQ(r.stored.energy[1], 50.0);
}

TEST_F(Panel, TheEleventhPointIsRefused) {
  for (int i = 0; i < 10; ++i) Add(std::to_string(100 * (i + 1)), std::to_string(i));
  Add("5000", "1");
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], "Maximum number of 10 points has been reached");
  EXPECT_EQ(panel.Rows().size(), 10u);
  EXPECT_EQ(Plot().Record().working.pointCount, 10);
  EXPECT_TRUE(panel.ChannelText().empty());
}

TEST_F(Panel, CalibrateWithAllPoints) {
  Add("100", "50");
  Add("200", "150");
  panel.Calibrate(true);
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_EQ(panel.CoefficientTexts(), (std::array<std::string, 3>{"a =   0.0000", "b =   1.0000", "c = -50.0000"}));
  EXPECT_EQ(panel.GroupCaption(), "CALIBRATION w/ ALL");
  const SpectrumRecord& r = Plot().Record();
  EXPECT_DOUBLE_EQ(r.working.c, -50.0);
  EXPECT_EQ(r.working.useAll, 1);
  EXPECT_EQ(r.stored.useAll, 1);
  EXPECT_DOUBLE_EQ(r.stored.b, 1.0);  // the fit never writes the stored coefficients
  EXPECT_DOUBLE_EQ(r.stored.c, 0.0);
  EXPECT_TRUE(Plot().UnitsRefresh());
  EXPECT_EQ(Plot().TakeRedraw(), RedrawKind::Full);
}

TEST_F(Panel, TooFewSelectedPointsKeepTheCoefficients) {
  Add("100", "50");
  Add("200", "150");
  panel.Calibrate(true);
  Add("300", "999");
  panel.SetRowTicked(0, true);
  panel.Calibrate(false);
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], "Calibration requires at least two points");
  EXPECT_DOUBLE_EQ(Plot().Record().working.c, -50.0);
  EXPECT_EQ(panel.GroupCaption(), "CALIBRATION");
  EXPECT_EQ(panel.CoefficientTexts()[2], "c = -50.0000");
}

TEST_F(Panel, ThreePointsOnTwoChannelsAreRefused) {
  Add("100", "50");
  Add("200", "150");
  panel.Calibrate(true);
  Add("200", "151");
  panel.Calibrate(true);
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], "The quadratic fit needs at least three different channels");
  const CalibrationRecord& w = Plot().Record().working;
  EXPECT_DOUBLE_EQ(w.a, 0.0);
  EXPECT_DOUBLE_EQ(w.b, 1.0);
  EXPECT_DOUBLE_EQ(w.c, -50.0);
  EXPECT_EQ(panel.GroupCaption(), "CALIBRATION");
}

TEST_F(Panel, EditRemoveAndTicks) {
  Add("100", "50");
  Add("200", "150");
  Add("300", "250");
  panel.SetRowTicked(1, true);  // 200
  panel.EditSelectedPoints();
  EXPECT_EQ(panel.ChannelText(), "  200.00");
  EXPECT_EQ(panel.EnergyText(), "150.0000");
  EXPECT_EQ(panel.Rows().size(), 2u);
  panel.EditSelectedPoints();  // nothing ticked: edits emptied, nothing deleted
  EXPECT_TRUE(panel.ChannelText().empty());
  EXPECT_EQ(panel.Rows().size(), 2u);
  panel.SetRowTicked(0, true);
  EXPECT_EQ(Plot().Record().working.ticked[0], 0);
  panel.ListLostFocus();  // the tick reaches the records when the list loses the focus
  EXPECT_EQ(Plot().Record().working.ticked[0], 1);
  panel.RemoveSelectedPoints();
  ASSERT_EQ(panel.Rows().size(), 1u);
  EXPECT_EQ(panel.Rows()[0].channelText, "  100.00");
  panel.RemoveAllPoints();
  EXPECT_TRUE(panel.Rows().empty());
  EXPECT_EQ(Plot().Record().stored.pointCount, 0);
}

TEST_F(Panel, CursorPeakUnitAndEnable) {
  Plot().MoveCursor(1234);
  panel.Cursor();
  EXPECT_EQ(panel.ChannelText(), "1234");
  Plot().CursorPeak().centroid = 661.657;
  panel.Peak();
  EXPECT_EQ(panel.ChannelText(), "  661.66");
  Plot().SetUnitsRefresh(false);
  panel.SelectUnit(2);
  EXPECT_EQ(Plot().Record().working.unitIndex, 2);
  EXPECT_EQ(Plot().Record().stored.unitIndex, 2);
  EXPECT_TRUE(Plot().UnitsRefresh());
  panel.SetEnabled(true);
  EXPECT_TRUE(info.Texts().calChecked);
  EXPECT_EQ(Plot().Record().working.enabled, 1);
  EXPECT_EQ(Plot().Record().stored.enabled, 1);
}

TEST_F(Panel, ActionsOnAHiddenPlotDoNothing) {
  Plot().SetVisible(false);
  Add("100", "50");
  panel.SelectUnit(3);
  panel.SetEnabled(true);
  EXPECT_TRUE(panel.Rows().empty());
  EXPECT_EQ(Plot().Record().working.unitIndex, 0);
  EXPECT_EQ(Plot().Record().working.enabled, 0);
}

TEST_F(Panel, ReloadAfterTheSoftSizeHalvedMapsThePeaksToTheSameEnergies) {
  Add("1000", "500");
  Add("2000", "1000");
  panel.Calibrate(true);
  const double energyBefore = Plot().Record().working.Energy(1500.0);
  Plot().SetSizes(4096, 2048);
  panel.Reload(Plot());
  ASSERT_EQ(panel.Rows().size(), 2u);
  EXPECT_EQ(panel.Rows()[0].channelText, " 1000.00");  // the stored order is kept
  EXPECT_EQ(panel.Rows()[1].channelText, "  500.00");
  EXPECT_DOUBLE_EQ(Plot().Record().working.Energy(750.0), energyBefore);
  EXPECT_EQ(panel.GroupCaption(), "CALIBRATION w/ ALL");
  EXPECT_EQ(panel.CoefficientTexts()[1], "b =   1.0000");
  EXPECT_DOUBLE_EQ(Plot().Record().stored.channel[0], 2000.0);  // unchanged in hard channels
}

TEST_F(Panel, ReloadResetsAnUnknownUnitAndShowsTheFomRanges) {
  CalibrationRecord& stored = Plot().Record().stored;
  stored.unitIndex = 7;
  stored.enabled = 1;
  stored.fomPeak1First = 200;
  stored.fomPeak1Last = 212;
  stored.fomPeak2First = 600;
  stored.fomPeak2Last = 611;
  stored.pointCount = 40;  // more than ten stored points load as ten
  Plot().SetSizes(4096, 2048);
  panel.Reload(Plot());
  EXPECT_EQ(stored.unitIndex, 0);
  EXPECT_EQ(Plot().Record().working.unitIndex, 0);
  EXPECT_EQ(panel.UnitIndex(), 0);
  EXPECT_STREQ(Plot().Record().working.UnitName(), "chn");
  EXPECT_TRUE(panel.EnableChecked());
  EXPECT_TRUE(info.Texts().calChecked);
  EXPECT_EQ(panel.Rows().size(), 10u);
  EXPECT_EQ(panel.FomTexts(), (std::array<std::string, 4>{"100", "106", "300", "305"}));
  EXPECT_TRUE(Plot().UnitsRefresh());
  EXPECT_TRUE(dialog.messages.empty());
}

TEST_F(Panel, ReloadWithOnePointShowsThePlainCaption) {
  CalibrationRecord& stored = Plot().Record().stored;
  stored.pointCount = 1;
  stored.channel[0] = 10;
  panel.Reload(Plot());
  EXPECT_EQ(panel.GroupCaption(), "CALIBRATION");
  EXPECT_EQ(panel.CoefficientTexts()[0], "a =   0.0000");
}

TEST_F(Panel, ReloadAndFomSurviveAGarbageRecord) {
  // A record from the settings store or a file may hold anything.
  CalibrationRecord& stored = Plot().Record().stored;
  std::array<std::uint8_t, CalibrationRecord::kImageSize> garbage;
  garbage.fill(0xFF);  // every double a NaN, every integer -1
  ASSERT_EQ(stored.FromBytes(garbage), 0);
  stored.pointCount = 3;
  stored.fomPeak1First = std::numeric_limits<std::int32_t>::min();
  stored.fomPeak1Last = std::numeric_limits<std::int32_t>::max();
  panel.Reload(Plot());
  EXPECT_EQ(panel.Rows().size(), 3u);
  EXPECT_EQ(Plot().Record().working.unitIndex, 0);
  EXPECT_EQ(ComputeFom(Plot()).text, "-----------");
  panel.FomMark(1);
  EXPECT_EQ(Plot().Record().hardRoi[0], 0);
}

// ---------------------------------------------------------------- FOM settings

TEST_F(Panel, FomPeakTakesTheRoiAtTheCursorOfS0) {
  SpectrumPlot& s0 = tables.ActivePlot(0);
  s0.SetSizes(4096, 2048);
  for (int ch = 100; ch <= 106; ++ch) s0.SetChannelRoi(ch, true);
  s0.MoveCursor(103);
  panel.FomPeak(2);
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_EQ(s0.Record().stored.fomPeak2First, 200);
  EXPECT_EQ(s0.Record().stored.fomPeak2Last, 212);
  EXPECT_EQ(panel.FomTexts()[2], "100");
  EXPECT_EQ(panel.FomTexts()[3], "106");

  s0.MoveCursor(300);
  panel.FomPeak(1);
  tables.active = 1;
  s0.MoveCursor(103);
  panel.FomPeak(1);
  ASSERT_EQ(dialog.messages.size(), 2u);
  EXPECT_EQ(dialog.messages[0], "Please, place the cursor within a ROI marked peak in S0!");
  EXPECT_EQ(dialog.messages[1], "Please, place the cursor within a ROI marked peak in S0!");
  EXPECT_EQ(s0.Record().stored.fomPeak1First, 0);
}

TEST_F(Panel, FomMarkRefusesToOverlapAnExistingRoi) {
  SpectrumPlot& s0 = tables.ActivePlot(0);
  s0.SetSizes(4096, 2048);
  panel.SetFomText(0, "100");
  panel.SetFomText(1, "110");
  s0.Record().hardRoi[221] = 1;  // under soft channel 110
  panel.FomMark(1);
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], "ROI will overlap with an existing ROI. ROI Marking aborted!");
  EXPECT_EQ(s0.Record().hardRoi[200], 0);

  s0.Record().hardRoi[221] = 0;
  panel.FomMark(1);
  EXPECT_EQ(dialog.messages.size(), 1u);
  for (int h = 200; h <= 221; ++h) EXPECT_EQ(s0.Record().hardRoi[static_cast<std::size_t>(h)], 1) << h;
  EXPECT_EQ(s0.Record().hardRoi[222], 0);
  EXPECT_TRUE(s0.SoftRoi(100));
  EXPECT_TRUE(s0.SoftRoi(110));

  panel.SetFomText(2, "50");
  panel.SetFomText(3, "4000");  // beyond the 2048 soft channels: nothing to mark
  panel.FomMark(2);
  EXPECT_EQ(s0.Record().hardRoi[100], 0);
}

}  // namespace
}  // namespace mirvo
