// The "Spectrum Info" and "Calibration" forms on the offscreen platform: the fields show what the
// core computes for a known ROI, the calibration buttons drive the panel, the two forms act on each
// other (CAL, PK1/PK2), the message boxes carry the exact texts, and both forms fit their column.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <cmath>
#include <memory>

#include "display/BackgroundSet.h"
#include "display/PeakAnalysis.h"
#include "display/RecordSets.h"
#include "display/SampleSpectrum.h"
#include "display/ScaledBackground.h"
#include "display/gui/CCalibrationView.h"
#include "display/gui/CSpectrumInfoView.h"
#include "display/gui/QtUserDialog.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;

namespace {

struct ScriptedDialog final : IUserDialog {
  std::vector<std::string> messages;
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { messages.push_back(text); }
  bool AskOkCancel(const std::string& text, const std::string&, MessageIcon) override {
    messages.push_back(text);
    return true;
  }
};

// Registers 0x2C..0x2F: the two counters and their gate lengths.
constexpr unsigned kRegThroughputCount = 0x2C;
constexpr unsigned kRegIncomingCount = 0x2D;
constexpr unsigned kRegThroughputGate = 0x2E;
constexpr unsigned kRegIncomingGate = 0x2F;

}  // namespace

class InfoPanesTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<SpectrumMemory> memory_;
  std::unique_ptr<RecordSets> sets_;
  ScriptedDialog dialog_;
  double samplePeriodUs_ = 0.008;
  std::unique_ptr<CSpectrumInfoView> info_;
  std::unique_ptr<CCalibrationView> cal_;

  template <typename T = QLineEdit>
  T* InfoField(const char* name) const {
    T* field = info_->findChild<T*>(name);
    if (field == nullptr) qFatal("no field %s on the info form", name);
    return field;
  }
  template <typename T = QLineEdit>
  T* CalControl(const char* name) const {
    T* control = cal_->findChild<T*>(name);
    if (control == nullptr) qFatal("no control %s on the calibration form", name);
    return control;
  }
  void Click(const char* button) { QTest::mouseClick(CalControl<QPushButton>(button), Qt::LeftButton); }
  void Type(const char* edit, const QString& text) {
    QLineEdit* field = CalControl(edit);
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  void AddPoint(const QString& channel, const QString& energy) {
    Type("CalChannel", channel);
    Type("CalEnergy", energy);
    Click("CalAddPoint");
  }
  void TickRow(int row, bool ticked) {
    CalControl<QTreeWidget>("CalPoints")->topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
  }
  QStringList ShownRows() const {
    QStringList rows;
    auto* list = CalControl<QTreeWidget>("CalPoints");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      rows << QString("%1 %2%3").arg(item->text(0), item->text(1), item->checkState(0) == Qt::Checked ? " x" : "");
    }
    return rows;
  }
  QStringList Coefficients() const {
    return {CalControl<QLabel>("CalCoefficientA")->text(), CalControl<QLabel>("CalCoefficientB")->text(),
            CalControl<QLabel>("CalCoefficientC")->text()};
  }

  // Counts straight into the instrument's memory (hard channels), folded into the soft spectrum.
  void PutCounts(int spectrum, int first, const std::vector<std::uint32_t>& counts) {
    std::uint32_t* hard = memory_->Spectrum(static_cast<std::size_t>(spectrum));
    for (std::size_t i = 0; i < counts.size(); ++i) hard[first + static_cast<int>(i)] = counts[i];
    sets_->BufferPlot(spectrum).RebuildSoftSpectrum();
  }
  void PutGaussian(int spectrum, double centre, double sigma, double height) {
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(8 * sigma) + 1);
    const int first = static_cast<int>(centre - 4 * sigma);
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const double x = (first + static_cast<double>(i) - centre) / sigma;
      counts[i] = static_cast<std::uint32_t>(height * std::exp(-0.5 * x * x) + 0.5);
    }
    PutCounts(spectrum, first, counts);
  }
  void MarkRoi(int spectrum, int first, int last) {
    for (int ch = first; ch <= last; ++ch) sets_->BufferPlot(spectrum).SetChannelRoi(ch, true);
  }
  SpectrumPlot& Activate(int spectrum) {
    SpectrumPlot& plot = sets_->BufferPlot(spectrum);
    sets_->PlotFocused(plot);
    return plot;
  }
  // Zero counts just outside a seven-channel triangle at 100..106 marked as a ROI, the cursor on
  // its top: integral 40, area 40, centroid 103, FWHM 2.0 and FWTM 3.6 channels.
  SpectrumPlot& TriangleUnderTheCursor(int spectrum) {
    PutCounts(spectrum, 100, {0, 0, 10, 20, 10, 0, 0});
    MarkRoi(spectrum, 100, 106);
    SpectrumPlot& plot = Activate(spectrum);
    plot.MoveCursor(103);
    return plot;
  }

 private slots:
  void init() {
    memory_ = std::make_unique<SpectrumMemory>();
    sets_ = std::make_unique<RecordSets>(*memory_);
    dialog_.messages.clear();
    samplePeriodUs_ = 0.008;
    info_ = std::make_unique<CSpectrumInfoView>(*sets_, [this] { return samplePeriodUs_; });
    cal_ = std::make_unique<CCalibrationView>(*sets_, dialog_, info_.get());
    info_->resize(420, 420);
    cal_->resize(420, 640);
    info_->show();
    cal_->show();
  }
  void cleanup() {
    cal_.reset();
    info_.reset();
    sets_.reset();
    memory_.reset();
  }

  void startsWithZeroTimesRatesAndAnEmptyCalibration() {
    for (const char* field : {"InfoReal", "InfoLive", "InfoDead"}) QCOMPARE(InfoField(field)->text(), QString("0.00"));
    QCOMPARE(InfoField("InfoThroughput")->text(), QString("0"));
    QCOMPARE(InfoField("InfoIncoming")->text(), QString("0"));
    QCOMPARE(info_->LossesBar()->value(), 0);
    QCOMPARE(info_->LossesBar()->minimum(), 0);
    QCOMPARE(info_->LossesBar()->maximum(), 100);
    QCOMPARE(InfoField("InfoCentroid")->text(), QString(kBlankValue));
    QCOMPARE(ShownRows(), QStringList());
    QCOMPARE(CalControl<QComboBox>("CalUnit")->currentText(), QString("chn"));
    QCOMPARE(CalControl<QGroupBox>("CalCoefficients")->title(), QString("Not Calibrated"));
    QCOMPARE(Coefficients(), QStringList({"a = ?", "b = ?", "c = ?"}));
  }

  void showsThePeakOfTheRoiAtTheCursor() {
    SpectrumPlot& plot = TriangleUnderTheCursor(1);
    QSignalSpy status(info_.get(), &CSpectrumInfoView::StatusTextsChanged);
    info_->Tick();

    QCOMPARE(InfoField("InfoPosition")->text(), QString("     103"));
    QCOMPARE(InfoField("InfoCounts")->text(), QString("        20"));
    QCOMPARE(InfoField("InfoCentroid")->text(), QString("  103.00"));
    QCOMPARE(InfoField("InfoFwhm")->text(), QString("    2.00"));
    QCOMPARE(InfoField("InfoFwtm")->text(), QString("    3.60"));
    QCOMPARE(InfoField("InfoResolution")->text(), QString("    1.94"));
    QCOMPARE(InfoField("InfoIntegral")->text(), QString("   40"));
    QCOMPARE(InfoField("InfoArea")->text(), QString("   40"));
    for (int i = 0; i < 4; ++i) QCOMPARE(InfoField<QLabel>(qPrintable(QString("InfoUnit%1").arg(i)))->text(), QString("chn"));
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toString(), QString("CURSOR: 103     COUNTS: 20        "));
    QCOMPARE(status.at(0).at(1).toString(), QString("ROI:    100 to 106     W: 7     "));
    QCOMPARE(info_->RoiStatusText(), status.at(0).at(1).toString());

    // The same tick again changes nothing and tells the status bar nothing new.
    info_->Tick();
    QCOMPARE(status.count(), 1);

    // Outside every ROI the peak fields are blanked and the ROI pane shows a space.
    plot.MoveCursor(300);
    info_->Tick();
    for (const char* field : {"InfoCentroid", "InfoFwhm", "InfoFwtm", "InfoResolution", "InfoIntegral", "InfoArea"})
      QCOMPARE(InfoField(field)->text(), QString(kBlankValue));
    QCOMPARE(status.count(), 2);
    QCOMPARE(status.at(1).at(1).toString(), QString(" "));
  }

  // The triangle's statistics: sqrt(40) for INTEGRAL and AREA (its end channels hold nothing), a
  // continuum of zero (LC 0, LD k^2 = 2.7), FWHM 2 / (2.355 sqrt(40)) for the centroid. The net
  // fields appear only with a background: 5 counts a channel over twice the live time.
  void showsUncertaintiesLimitsAndTheFitOfTheRoi() {
    SpectrumPlot& plot = TriangleUnderTheCursor(1);
    info_->Tick();
    QCOMPARE(InfoField("InfoIntegralSigma")->text(), QString("6"));
    QCOMPARE(InfoField("InfoAreaSigma")->text(), QString("6"));
    QCOMPARE(InfoField("InfoCentroidSigma")->text(), QString("0.13"));
    QCOMPARE(InfoField("InfoCriticalLevel")->text(), QString("0"));
    QCOMPARE(InfoField("InfoDetectionLimit")->text(), QString("3"));
    QCOMPARE(InfoField("InfoAboveCritical")->text(), QString("YES"));
    QVERIFY(!InfoField("InfoFitCentroid")->text().isEmpty());
    QVERIFY(!InfoField("InfoFitStatus")->text().isEmpty());
    QVERIFY(InfoField("InfoFitStatus")->toolTip().startsWith("Gaussian on a linear continuum"));
    QVERIFY(!InfoField("InfoNetArea")->isVisible());
    QVERIFY(InfoField("InfoNetArea")->text().isEmpty());

    ScaledBackground background;
    background.counts.assign(static_cast<std::size_t>(plot.SoftSize()), 5.0);
    background.scale = 0.5;
    info_->Info().SetBackground(background);
    info_->Tick();
    QVERIFY(InfoField("InfoNetArea")->isVisible());
    QCOMPARE(InfoField("InfoNetArea")->text(), QString("40"));  // a flat background has no area
    // 40 + 0.25 * 5 * (sum of w^2 = 3 + 4 * (1 - 7/6)^2 + 2 * (7/6)^2 = 5.83)
    QCOMPARE(InfoField("InfoNetAreaSigma")->text(), QString("7"));

    // Outside the ROI every new field is empty again.
    plot.MoveCursor(300);
    info_->Tick();
    for (const char* field : {"InfoIntegralSigma", "InfoAreaSigma", "InfoCriticalLevel", "InfoFitCentroid", "InfoNetArea"})
      QVERIFY2(InfoField(field)->text().isEmpty(), field);
    info_->Info().SetBackground(std::nullopt);
    info_->Tick();
    QVERIFY(!InfoField("InfoNetArea")->isVisible());
  }

  // A background loaded as the program's background record set reaches the net fields by itself.
  void takesTheLoadedBackgroundSetForTheNetArea() {
    TriangleUnderTheCursor(1);
    info_->Tick();
    QVERIFY(!InfoField("InfoNetArea")->isVisible());
    for (int k = 0; k < 4; ++k) {
      SpectrumRecord& record = sets_->FilePlot(k).Record();
      for (int i = 0; i < record.hardSize; ++i) record.hardCounts[i] = 5;
    }
    std::array<const SpectrumRecord*, 4> records{};
    for (int k = 0; k < 4; ++k) records[static_cast<std::size_t>(k)] = &sets_->FilePlot(k).Record();
    std::string why;
    QVERIFY2(AdoptBackground(*sets_, records, 100.0, "room.mps", &why), why.c_str());
    info_->Tick();
    QVERIFY(InfoField("InfoNetArea")->isVisible());
    QCOMPARE(InfoField("InfoNetArea")->text(), QString("40"));  // a flat background has no area
  }

  void aHiddenPaneIsLeftAloneByTheTickButNotByCursorMoves() {
    SpectrumPlot& plot = TriangleUnderTheCursor(2);
    info_->hide();
    info_->Tick();
    QCOMPARE(InfoField("InfoPosition")->text(), QString());
    QCOMPARE(InfoField("InfoIntegral")->text(), QString(kBlankValue));

    info_->PeakInfoDue(plot);
    QCOMPARE(InfoField("InfoPosition")->text(), QString("     103"));
    QCOMPARE(InfoField("InfoIntegral")->text(), QString("   40"));
  }

  void ratesAndLossesFromTheRegisters_data() {
    QTest::addColumn<int>("throughputCount");
    QTest::addColumn<int>("incomingCount");
    QTest::addColumn<int>("throughputGate");
    QTest::addColumn<int>("incomingGate");
    QTest::addColumn<double>("periodUs");
    QTest::addColumn<QString>("throughput");
    QTest::addColumn<QString>("incoming");
    QTest::addColumn<int>("losses");
    // 61035 gates of 2048 samples of 8 ns are 0.99999744 s.
    QTest::newRow("losses truncated") << 3000 << 3900 << 61035 << 61035 << 0.008 << "3000" << "3900" << 23;
    QTest::newRow("5 cps or less: no losses") << 1 << 4 << 61035 << 61035 << 0.008 << "1" << "4" << 0;
    QTest::newRow("no throughput gate") << 3000 << 3900 << 0 << 61035 << 0.008 << "0" << "3900" << 100;
    QTest::newRow("twice the period, half the rate") << 3000 << 3900 << 61035 << 61035 << 0.016 << "1500" << "1950" << 23;
  }
  void ratesAndLossesFromTheRegisters() {
    QFETCH(int, throughputCount);
    QFETCH(int, incomingCount);
    QFETCH(int, throughputGate);
    QFETCH(int, incomingGate);
    QFETCH(double, periodUs);
    RegisterImage registers;
    registers[kRegThroughputCount] = static_cast<std::uint16_t>(throughputCount);
    registers[kRegIncomingCount] = static_cast<std::uint16_t>(incomingCount);
    registers[kRegThroughputGate] = static_cast<std::uint16_t>(throughputGate);
    registers[kRegIncomingGate] = static_cast<std::uint16_t>(incomingGate);
    samplePeriodUs_ = periodUs;
    info_->RefreshRates(registers);
    QTEST(InfoField("InfoThroughput")->text(), "throughput");
    QTEST(InfoField("InfoIncoming")->text(), "incoming");
    QTEST(info_->LossesBar()->value(), "losses");
  }

  void timesWrittenByTheAcquisitionPanelShowAtTheNextRefresh() {
    info_->Info().SetTimes("  125.30", "  120.10", "    4.15");
    info_->Refresh();
    QCOMPARE(InfoField("InfoReal")->text(), QString("  125.30"));
    QCOMPARE(InfoField("InfoLive")->text(), QString("  120.10"));
    QCOMPARE(InfoField("InfoDead")->text(), QString("    4.15"));
  }

  void twoPointCalibrationThroughTheButtonsShowsEnergies() {
    SpectrumPlot& plot = TriangleUnderTheCursor(1);
    info_->Tick();

    AddPoint("100", "50");
    AddPoint("200", "150");
    QCOMPARE(ShownRows(), QStringList({"200.00 150.0000", "100.00 50.0000"}));
    QCOMPARE(CalControl("CalChannel")->text(), QString());
    QCOMPARE(CalControl("CalEnergy")->text(), QString());

    // With nothing ticked the selected-points fit refuses and keeps the coefficients.
    Click("CalCalibrateSelected");
    QCOMPARE(dialog_.messages, std::vector<std::string>{kTooFewPointsMessage});
    QCOMPARE(CalControl<QGroupBox>("CalCoefficients")->title(), QString("CALIBRATION"));

    TickRow(0, true);
    TickRow(1, true);
    Click("CalCalibrateSelected");
    QCOMPARE(dialog_.messages.size(), std::size_t{1});
    QCOMPARE(Coefficients(), QStringList({"a =   0.0000", "b =   1.0000", "c = -50.0000"}));
    QCOMPARE(CalControl<QGroupBox>("CalCoefficients")->title(), QString("CALIBRATION w/ SELECTED"));
    QCOMPARE(plot.Record().working.b, 1.0);
    QCOMPARE(plot.Record().stored.pointCount, 2);

    auto* unit = CalControl<QComboBox>("CalUnit");
    unit->setCurrentIndex(2);
    emit unit->activated(2);
    QCOMPARE(plot.Record().stored.unitIndex, 2);

    QTest::mouseClick(CalControl<QCheckBox>("CalEnable"), Qt::LeftButton);
    QVERIFY(info_->CalBox()->isChecked());
    QCOMPARE(plot.Record().working.enabled, 1);
    info_->Tick();
    QCOMPARE(InfoField("InfoPosition")->text(), QString("   53.00"));
    QCOMPARE(InfoField("InfoCentroid")->text(), QString("   53.00"));
    QCOMPARE(InfoField("InfoFwhm")->text(), QString("    2.00"));
    QCOMPARE(InfoField("InfoResolution")->text(), QString("    3.77"));
    for (int i = 0; i < 4; ++i) QCOMPARE(InfoField<QLabel>(qPrintable(QString("InfoUnit%1").arg(i)))->text(), QString("keV"));

    // CAL on the info form switches the calibration off as ENABLE CALIBRATION would.
    QTest::mouseClick(info_->CalBox(), Qt::LeftButton);
    QVERIFY(!CalControl<QCheckBox>("CalEnable")->isChecked());
    QCOMPARE(plot.Record().stored.enabled, 0);
    info_->Tick();
    QCOMPARE(InfoField("InfoPosition")->text(), QString("     103"));
    QCOMPARE(InfoField<QLabel>("InfoUnit0")->text(), QString("chn"));
  }

  void listButtonsEditAndRemovePoints() {
    Activate(1);
    AddPoint("10", "1");
    AddPoint("20", "2");
    AddPoint("30", "3");
    QCOMPARE(ShownRows(), QStringList({"30.00 3.0000", "20.00 2.0000", "10.00 1.0000"}));

    TickRow(1, true);
    Click("CalRemoveSelected");
    QCOMPARE(ShownRows(), QStringList({"30.00 3.0000", "10.00 1.0000"}));
    QCOMPARE(sets_->BufferPlot(1).Record().stored.pointCount, 2);

    // Edit Selected moves the first ticked row back into the edits and deletes it.
    TickRow(1, true);
    Click("CalEditSelected");
    QCOMPARE(CalControl("CalChannel")->text(), QString("   10.00"));
    QCOMPARE(CalControl("CalEnergy")->text(), QString("  1.0000"));
    QCOMPARE(ShownRows(), QStringList({"30.00 3.0000"}));
    Click("CalAddPoint");
    QCOMPARE(ShownRows(), QStringList({"10.00 1.0000", "30.00 3.0000"}));

    // With no tick it only empties the edits.
    Type("CalChannel", "77");
    Click("CalEditSelected");
    QCOMPARE(CalControl("CalChannel")->text(), QString());
    QCOMPARE(ShownRows().size(), 2);

    Click("CalRemoveAll");
    QCOMPARE(ShownRows(), QStringList());
    QCOMPARE(sets_->BufferPlot(1).Record().working.pointCount, 0);
    QVERIFY(dialog_.messages.empty());
  }

  void ticksReachTheRecordsWhenTheListLosesFocus() {
    Activate(1);
    AddPoint("10", "1");
    auto* list = CalControl<QTreeWidget>("CalPoints");
    cal_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(cal_.get()));
    list->setFocus();
    TickRow(0, true);
    QCOMPARE(sets_->BufferPlot(1).Record().stored.ticked[0], 0);
    CalControl("CalChannel")->setFocus();
    QTRY_COMPARE(sets_->BufferPlot(1).Record().stored.ticked[0], 1);
  }

  void anEleventhPointIsRefused() {
    Activate(1);
    for (int i = 1; i <= 10; ++i) AddPoint(QString::number(i * 10), QString::number(i));
    AddPoint("999", "99");
    QCOMPARE(dialog_.messages, std::vector<std::string>{"Maximum number of 10 points has been reached"});
    QCOMPARE(ShownRows().size(), 10);
    QCOMPARE(ShownRows().first(), QString("100.00 10.0000"));
    QCOMPARE(CalControl("CalChannel")->text(), QString());
  }

  void fomButtonsOfBothFormsTakeAndMarkRanges() {
    PutGaussian(0, 210.0, 4.0, 500.0);
    PutGaussian(0, 260.0, 5.0, 300.0);
    MarkRoi(0, 195, 225);
    SpectrumPlot& s0 = Activate(0);
    s0.MoveCursor(210);
    QTest::mouseClick(info_->FomButton(1), Qt::LeftButton);
    QCOMPARE(CalControl("CalFomFirst1")->text(), QString("195"));
    QCOMPARE(CalControl("CalFomLast1")->text(), QString("225"));
    QCOMPARE(s0.Record().stored.fomPeak1First, 195);

    // PK2 outside a ROI: the message, nothing stored.
    s0.MoveCursor(260);
    QTest::mouseClick(info_->FomButton(2), Qt::LeftButton);
    QCOMPARE(dialog_.messages, std::vector<std::string>{kFomOutsideRoiMessage});
    QCOMPARE(s0.Record().stored.fomPeak2Last, 0);

    // MARK 2 marks the typed range; PEAK 2 then takes it.
    Type("CalFomFirst2", "240");
    Type("CalFomLast2", "280");
    Click("CalFomMark2");
    QVERIFY(s0.SoftRoi(240) && s0.SoftRoi(280) && !s0.SoftRoi(281));
    Click("CalFomPeak2");
    QCOMPARE(s0.Record().stored.fomPeak2Last, 280);

    // The FOM field shows what the core computes for the two ranges.
    info_->Tick();
    const FomResult fom = ComputeFom(s0);
    QCOMPARE(fom.status, 0);
    QCOMPARE(InfoField("InfoFom")->text(), QString::fromStdString(fom.text));

    // MARK 1 onto the ROI that is already there: the message, nothing marked.
    Type("CalFomFirst1", "190");
    Click("CalFomMark1");
    QCOMPARE(dialog_.messages.back(), std::string(kFomOverlapMessage));
    QVERIFY(!s0.SoftRoi(190));
  }

  void reloadAfterASoftSizeChangeShowsHalfTheChannels() {
    SpectrumPlot& plot = Activate(1);
    AddPoint("1000", "330");
    AddPoint("2000", "660");
    TickRow(0, true);
    TickRow(1, true);
    Click("CalCalibrateAll");
    QCOMPARE(Coefficients(), QStringList({"a =   0.0000", "b =   0.3300", "c =   0.0000"}));
    QCOMPARE(sets_->SetSoftSize(2048), 0);
    cal_->Reload(plot);
    QCOMPARE(ShownRows(), QStringList({"1000.00 660.0000 x", "500.00 330.0000 x"}));
    QCOMPARE(Coefficients(), QStringList({"a =   0.0000", "b =   0.6600", "c =   0.0000"}));
    QCOMPARE(CalControl<QGroupBox>("CalCoefficients")->title(), QString("CALIBRATION w/ ALL"));
  }

  void messageBoxesCarryTheExactTextsAndButtons() {
    QtUserDialog dialog(cal_.get());
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    const auto answer = [&](QMessageBox::StandardButton press) {
      QTimer::singleShot(0, this, [&, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = box->standardButtons();
        box->button(press)->click();
      });
    };
    answer(QMessageBox::Ok);
    dialog.ShowMessage(kFomOverlapMessage);
    QCOMPARE(title, QString("mirvo-PSD"));
    QCOMPARE(text, QString(kFomOverlapMessage));
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    answer(QMessageBox::Cancel);
    QVERIFY(!dialog.AskOkCancel("Overwrite?", "Save Spectrum As"));
    QCOMPARE(title, QString("Save Spectrum As"));
    QCOMPARE(buttons, QMessageBox::Ok | QMessageBox::Cancel);
    answer(QMessageBox::Ok);
    QVERIFY(dialog.AskOkCancel("Overwrite?"));
  }

  // A Cs-137-like spectrum with a ROI on the photopeak, a two-point calibration and a FOM: every
  // text fits its field and button in a 420-pixel column and in a 340-pixel one. With MIRVO_PANE_PICTURES set to a
  // folder the two forms are saved there as PNGs.
  void realisticContentFitsTheColumn() {
    SampleSpectrumShape shape;
    FillSampleSpectrum(memory_->Spectrum(1), kMaxChannels, shape);
    sets_->BufferPlot(1).RebuildSoftSpectrum();
    MarkRoi(1, shape.peakChannel - 110, shape.peakChannel + 110);
    PutGaussian(0, 1200.0, 30.0, 4000.0);
    PutGaussian(0, 1500.0, 45.0, 900.0);
    MarkRoi(0, 1080, 1320);
    MarkRoi(0, 1320 + 2, 1680);
    SpectrumPlot& s0 = Activate(0);
    s0.MoveCursor(1200);
    QTest::mouseClick(info_->FomButton(1), Qt::LeftButton);
    s0.MoveCursor(1500);
    QTest::mouseClick(info_->FomButton(2), Qt::LeftButton);

    SpectrumPlot& plot = Activate(1);
    plot.MoveCursor(shape.peakChannel);
    AddPoint(QString::number(shape.peakChannel), "661.657");
    AddPoint("1425.6", "477.334");
    TickRow(0, true);
    TickRow(1, true);
    Click("CalCalibrateSelected");
    auto* unit = CalControl<QComboBox>("CalUnit");
    unit->setCurrentIndex(2);
    emit unit->activated(2);
    QTest::mouseClick(CalControl<QCheckBox>("CalEnable"), Qt::LeftButton);
    RegisterImage registers;
    registers[kRegThroughputCount] = 48211;
    registers[kRegIncomingCount] = 52977;
    registers[kRegThroughputGate] = 61035;
    registers[kRegIncomingGate] = 61035;
    info_->RefreshRates(registers);
    info_->Info().SetTimes("  125.30", "  114.87", "    8.32");
    // A room background of a tenth of the counts, measured for half the live time: the net fields show.
    ScaledBackground background;
    background.scale = 2.0;
    for (int i = 0; i < plot.SoftSize(); ++i) background.counts.push_back(plot.SoftCount(i) / 20.0 + 3.0);
    info_->Info().SetBackground(background);
    info_->Tick();
    QVERIFY(dialog_.messages.empty());
    QVERIFY(InfoField("InfoNetArea")->isVisible());
    QCOMPARE(InfoField<QLabel>("InfoUnit1")->text(), QString("keV"));
    QVERIFY(InfoField("InfoFom")->text() != QString(kBlankValue));

    // 420 pixels: the right-hand column of a 1920-pixel window; 340: a quarter of a 1366-pixel one.
    const QString folder = qEnvironmentVariable("MIRVO_PANE_PICTURES");
    for (QWidget* form : {static_cast<QWidget*>(info_.get()), static_cast<QWidget*>(cal_.get())}) {
      auto* scroll = form->findChild<QScrollArea*>();
      QVERIFY(scroll->widget()->minimumSizeHint().width() <= 340);
      for (int width : {420, 340}) {
        form->resize(width, scroll->widget()->sizeHint().height());
        QApplication::processEvents();
        for (QLineEdit* field : form->findChildren<QLineEdit*>()) {
          const int room = field->contentsRect().width() - 8;
          QVERIFY2(field->fontMetrics().horizontalAdvance(field->text()) <= room, qPrintable(field->objectName()));
        }
        for (QPushButton* button : form->findChildren<QPushButton*>())
          QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()), qPrintable(button->objectName()));
        if (!folder.isEmpty())
          QVERIFY(form->grab().save(QDir(folder).filePath(QString("%1-%2.png").arg(form->objectName()).arg(width))));
      }
    }
  }
};

QTEST_MAIN(InfoPanesTest)
#include "info_panes_test.moc"
