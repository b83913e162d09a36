#include "display/gui/CSpectrumInfoView.h"

#include <QCheckBox>
#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

#include "display/BackgroundSet.h"
#include "display/PeakAnalysis.h"
#include "display/RecordSets.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

void ShowText(QLineEdit* field, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (field->text() != shown) field->setText(shown);
}

QLineEdit* MakeValueField(const QString& objectName, QWidget* parent, const char* widestText) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(objectName);
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::ClickFocus);  // values can be selected and copied, tabbing skips them
  field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  const int textWidth = field->fontMetrics().horizontalAdvance(QString::fromLatin1(widestText));
  field->setMinimumWidth(textWidth + 10);
  return field;
}

QPushButton* MakeButton(const QString& text, const QString& objectName, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(objectName);
  // As narrow as the caption allows, so that the forms fit a narrow column.
  button->setMinimumWidth(button->fontMetrics().horizontalAdvance(text) + 20);
  return button;
}

namespace {

constexpr int kLossesTicks[] = {0, 20, 40, 60, 80, 100};

// The scale under the losses bar: 0, 20 ... 100 centred under the matching points of the bar,
// which is inset by half the end labels' widths so that they fit.
class LossesScale final : public QWidget {
 public:
  explicit LossesScale(QWidget* parent) : QWidget(parent) {
    setObjectName("InfoLossesScale");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  int LeftInset() const { return (fontMetrics().horizontalAdvance("0") + 1) / 2; }
  int RightInset() const { return (fontMetrics().horizontalAdvance("100") + 1) / 2; }
  QSize minimumSizeHint() const override {
    // The widest neighbours, 80 and 100, keep a gap of half a digit.
    const int step = (fontMetrics().horizontalAdvance("80") + fontMetrics().horizontalAdvance("100") + 1) / 2 +
                     fontMetrics().horizontalAdvance('0') / 2;
    return {5 * step + LeftInset() + RightInset() + 1, fontMetrics().height()};
  }
  QSize sizeHint() const override { return minimumSizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int span = width() - LeftInset() - RightInset() - 1;
    for (int tick : kLossesTicks) {
      const QString label = QString::number(tick);
      const int labelWidth = fontMetrics().horizontalAdvance(label);
      const int x = LeftInset() + tick * span / 100;
      painter.drawText(QRect(x - labelWidth / 2, 0, labelWidth, height()), Qt::AlignCenter, label);
    }
  }
};

QLabel* Caption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

QGroupBox* Group(const QString& title, QWidget* parent) {
  auto* group = new QGroupBox(title, parent);
  return group;
}

QGridLayout* GridOf(QGroupBox* group) {
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setHorizontalSpacing(3);
  grid->setVerticalSpacing(3);
  return grid;
}

}  // namespace

CSpectrumInfoView::CSpectrumInfoView(RecordSets& sets, SamplePeriodSource samplePeriodUs, QWidget* parent)
    : QWidget(parent), sets_(sets), samplePeriodUs_(std::move(samplePeriodUs)) {
  setObjectName("SpectrumInfoView");
  // The background record set, when one is loaded, bound to the analysed plot for the net area.
  info_.SetBackgroundProvider([this](const SpectrumPlot& plot) -> const ScaledBackground* {
    shownBackground_ = BackgroundFor(sets_, plot);
    return shownBackground_ ? &*shownBackground_ : nullptr;
  });
  BuildForm();
  Refresh();
}

CSpectrumInfoView::~CSpectrumInfoView() = default;

void CSpectrumInfoView::BuildForm() {
  // The form scrolls inside its pane, so that a short pane on a small screen keeps every field.
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("SpectrumInfoScroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  outer->addWidget(scroll);
  auto* form = new QWidget(scroll);
  form->setObjectName("SpectrumInfoForm");
  scroll->setWidget(form);
  auto* column = new QVBoxLayout(form);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);

  const auto unitLabel = [this](std::size_t i, QWidget* parent) {
    units_[i] = new QLabel("chn", parent);
    units_[i]->setObjectName(QString("InfoUnit%1").arg(i));
    units_[i]->setMinimumWidth(fontMetrics().horizontalAdvance("keV") + 2);
    return units_[i];
  };

  // CURSOR: POSITION with its unit, COUNTS.
  QGroupBox* cursor = Group("CURSOR", form);
  QGridLayout* cursorGrid = GridOf(cursor);
  position_ = MakeValueField("InfoPosition", cursor, "0000.00");
  counts_ = MakeValueField("InfoCounts", cursor, "00000000");
  cursorGrid->addWidget(Caption("POSITION", cursor), 0, 0);
  cursorGrid->addWidget(position_, 0, 1);
  cursorGrid->addWidget(unitLabel(0, cursor), 0, 2);
  cursorGrid->addWidget(Caption("COUNTS", cursor), 0, 3);
  cursorGrid->addWidget(counts_, 0, 4);
  cursorGrid->setColumnStretch(1, 1);
  cursorGrid->setColumnStretch(4, 1);
  column->addWidget(cursor);

  // PEAK INFO: positions and widths with their units on the left, the sums and CAL on the right.
  QGroupBox* peak = Group("PEAK INFO", form);
  QGridLayout* peakGrid = GridOf(peak);
  centroid_ = MakeValueField("InfoCentroid", peak, "0000.00");
  fwhm_ = MakeValueField("InfoFwhm", peak, "0000.00");
  fwtm_ = MakeValueField("InfoFwtm", peak, "0000.00");
  integral_ = MakeValueField("InfoIntegral", peak, "0000000");
  area_ = MakeValueField("InfoArea", peak, "0000000");
  resolution_ = MakeValueField("InfoResolution", peak, "000.00");
  const std::array<std::pair<const char*, QLineEdit*>, 3> widths = {
      {{"CENTROID", centroid_}, {"FWHM", fwhm_}, {"FWTM", fwtm_}}};
  for (std::size_t row = 0; row < widths.size(); ++row) {
    const int r = static_cast<int>(row);
    peakGrid->addWidget(Caption(widths[row].first, peak), r, 0);
    peakGrid->addWidget(widths[row].second, r, 1);
    peakGrid->addWidget(unitLabel(row + 1, peak), r, 2);
  }
  peakGrid->addWidget(Caption("INTEGRAL", peak), 0, 3);
  peakGrid->addWidget(integral_, 0, 4);
  peakGrid->addWidget(Caption("AREA", peak), 1, 3);
  peakGrid->addWidget(area_, 1, 4);
  peakGrid->addWidget(Caption("RESOLUTION %", peak), 2, 3);
  peakGrid->addWidget(resolution_, 2, 4);
  cal_ = new QCheckBox("CAL", peak);
  cal_->setObjectName("InfoCal");
  cal_->setToolTip("Show positions and widths in the calibration's energy unit");
  peakGrid->addWidget(cal_, 3, 4, Qt::AlignRight);
  peakGrid->setColumnStretch(1, 1);
  peakGrid->setColumnStretch(4, 1);
  column->addWidget(peak);
  connect(cal_, &QCheckBox::clicked, this, &CSpectrumInfoView::CalClicked);

  // COUNTING RATE: THROUGHPUT and INCOMING in cps beside the losses bar with its scale.
  QGroupBox* rate = Group("COUNTING RATE", form);
  QGridLayout* rateGrid = GridOf(rate);
  throughput_ = MakeValueField("InfoThroughput", rate, "0000000");
  incoming_ = MakeValueField("InfoIncoming", rate, "0000000");
  rateGrid->addWidget(Caption("THROUGHPUT", rate), 0, 0);
  rateGrid->addWidget(throughput_, 0, 1);
  rateGrid->addWidget(new QLabel("cps", rate), 0, 2);
  rateGrid->addWidget(Caption("INCOMING", rate), 1, 0);
  rateGrid->addWidget(incoming_, 1, 1);
  rateGrid->addWidget(new QLabel("cps", rate), 1, 2);
  losses_ = new QProgressBar(rate);
  losses_->setObjectName("InfoLosses");
  losses_->setRange(0, 100);
  losses_->setValue(0);
  losses_->setTextVisible(false);
  losses_->setMaximumHeight(fontMetrics().height());
  auto* scale = new LossesScale(rate);
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(scale->LeftInset(), 0, scale->RightInset(), 0);
  bar->addWidget(losses_);
  auto* lossesColumn = new QVBoxLayout;
  lossesColumn->setSpacing(1);
  lossesColumn->addWidget(new QLabel("LOSSES %", rate));
  lossesColumn->addLayout(bar);
  lossesColumn->addWidget(scale);
  rateGrid->addLayout(lossesColumn, 0, 3, 2, 1);
  rateGrid->setColumnStretch(1, 1);
  rateGrid->setColumnStretch(3, 2);
  column->addWidget(rate);

  // TIME (REAL, LIVE, DEAD % one above the other) beside FOM (PK1 and PK2 take the two peaks from
  // ROIs of S0; the field shows their separation).
  auto* lowRow = new QHBoxLayout;
  lowRow->setSpacing(6);
  QGroupBox* time = Group("TIME", form);
  QGridLayout* timeGrid = GridOf(time);
  real_ = MakeValueField("InfoReal", time, "00000.00");
  live_ = MakeValueField("InfoLive", time, "00000.00");
  dead_ = MakeValueField("InfoDead", time, "00000.00");
  const std::array<std::pair<const char*, QLineEdit*>, 3> times = {{{"REAL", real_}, {"LIVE", live_}, {"DEAD %", dead_}}};
  for (std::size_t row = 0; row < times.size(); ++row) {
    timeGrid->addWidget(Caption(times[row].first, time), static_cast<int>(row), 0);
    timeGrid->addWidget(times[row].second, static_cast<int>(row), 1);
  }
  timeGrid->setColumnStretch(1, 1);
  lowRow->addWidget(time, 1);

  QGroupBox* fom = Group("FOM", form);
  QGridLayout* fomGrid = GridOf(fom);
  pk1_ = MakeButton("PK1", "InfoPk1", fom);
  pk1_->setToolTip("Take FOM peak 1 from the ROI at the cursor of S0");
  pk2_ = MakeButton("PK2", "InfoPk2", fom);
  pk2_->setToolTip("Take FOM peak 2 from the ROI at the cursor of S0");
  fom_ = MakeValueField("InfoFom", fom, "-----------");
  fomGrid->addWidget(pk1_, 0, 0);
  fomGrid->addWidget(pk2_, 0, 1);
  fomGrid->addWidget(fom_, 1, 0, 1, 2);
  fomGrid->setRowStretch(2, 1);
  lowRow->addWidget(fom, 1);
  column->addLayout(lowRow);
  connect(pk1_, &QPushButton::clicked, this, [this] { emit FomPeakClicked(1); });
  connect(pk2_, &QPushButton::clicked, this, [this] { emit FomPeakClicked(2); });

  // The statistics and the fitted peak come after the specified fields, so these keep their places.
  BuildStatistics(form, column);

  column->addStretch(1);
}

void CSpectrumInfoView::BuildStatistics(QWidget* form, QVBoxLayout* column) {
  // STATISTICS: one-sigma counting uncertainties of the ROI's fields above, Currie's limits of its
  // area, and with a background the net area.
  QGroupBox* stats = Group("STATISTICS (1 SIGMA)", form);
  stats->setObjectName("InfoStatistics");
  QGridLayout* statsGrid = GridOf(stats);
  const auto field = [](const char* name, QWidget* parent, const char* widest, const char* tip) {
    QLineEdit* f = MakeValueField(name, parent, widest);
    f->setToolTip(tip);
    return f;
  };
  integralSigma_ = field("InfoIntegralSigma", stats, "000000", "One-sigma uncertainty of INTEGRAL: the square root of the gross counts");
  areaSigma_ = field("InfoAreaSigma", stats, "000000",
                     "One-sigma uncertainty of AREA: the gross counts and the estimated continuum under the peak");
  centroidSigma_ = field("InfoCentroidSigma", stats, "000.00",
                         "One-sigma uncertainty of CENTROID: FWHM / (2.355 x square root of the area)");
  aboveCritical_ = field("InfoAboveCritical", stats, "YES",
                         "Whether the area (the net area with a background) exceeds the critical level LC");
  criticalLevel_ = field("InfoCriticalLevel", stats, "000000",
                         "Critical level LC of the area (Currie, 5 % false positives): a smaller area is not a peak");
  detectionLimit_ = field("InfoDetectionLimit", stats, "000000",
                          "Detection limit LD of the area (Currie, 5 % false negatives): the smallest area "
                          "detected reliably over this continuum");
  netArea_ = field("InfoNetArea", stats, "0000000", "AREA minus the background's area scaled by the live times");
  netAreaSigma_ = field("InfoNetAreaSigma", stats, "000000", "One-sigma uncertainty of the net area");
  statsGrid->addWidget(Caption("INTEGRAL ±", stats), 0, 0);
  statsGrid->addWidget(integralSigma_, 0, 1);
  statsGrid->addWidget(Caption("AREA ±", stats), 0, 2);
  statsGrid->addWidget(areaSigma_, 0, 3);
  statsGrid->addWidget(Caption("CENTROID ±", stats), 1, 0);
  statsGrid->addWidget(centroidSigma_, 1, 1);
  statsGrid->addWidget(Caption("ABOVE LC", stats), 1, 2);
  statsGrid->addWidget(aboveCritical_, 1, 3);
  statsGrid->addWidget(Caption("LC", stats), 2, 0);
  statsGrid->addWidget(criticalLevel_, 2, 1);
  statsGrid->addWidget(Caption("LD", stats), 2, 2);
  statsGrid->addWidget(detectionLimit_, 2, 3);
  netAreaCaption_ = Caption("NET AREA", stats);
  netAreaSigmaCaption_ = Caption("NET ±", stats);
  statsGrid->addWidget(netAreaCaption_, 3, 0);
  statsGrid->addWidget(netArea_, 3, 1);
  statsGrid->addWidget(netAreaSigmaCaption_, 3, 2);
  statsGrid->addWidget(netAreaSigma_, 3, 3);
  statsGrid->setColumnStretch(1, 1);
  statsGrid->setColumnStretch(3, 1);
  column->addWidget(stats);

  // FITTED PEAK: a Gaussian fitted to the ROI, beside the fields of PEAK INFO it checks.
  QGroupBox* fit = Group("FITTED PEAK", form);
  fit->setObjectName("InfoFit");
  fit->setToolTip("Least-squares fit of the ROI: a Gaussian on a linear or a stepped continuum, "
                  "Poisson weights; uncertainties are one sigma");
  QGridLayout* fitGrid = GridOf(fit);
  fitCentroid_ = field("InfoFitCentroid", fit, "0000.00", "Fitted centroid");
  fitCentroidSigma_ = field("InfoFitCentroidSigma", fit, "000.00", "One-sigma uncertainty of the fitted centroid");
  fitFwhm_ = field("InfoFitFwhm", fit, "0000.00", "Fitted FWHM");
  fitFwhmSigma_ = field("InfoFitFwhmSigma", fit, "000.00", "One-sigma uncertainty of the fitted FWHM");
  fitArea_ = field("InfoFitArea", fit, "0000000", "Fitted peak area (counts)");
  fitAreaSigma_ = field("InfoFitAreaSigma", fit, "000000", "One-sigma uncertainty of the fitted area");
  fitChiSquare_ = field("InfoFitChiSquare", fit, "0000.00", "Reduced chi-square of the fit");
  fitStatus_ = field("InfoFitStatus", fit, "POOR", "");
  fitStatus_->setAlignment(Qt::AlignCenter);
  const std::array<std::pair<const char*, std::pair<QLineEdit*, QLineEdit*>>, 3> rows = {
      {{"CENTROID", {fitCentroid_, fitCentroidSigma_}}, {"FWHM", {fitFwhm_, fitFwhmSigma_}}, {"AREA", {fitArea_, fitAreaSigma_}}}};
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const int r = static_cast<int>(row);
    fitGrid->addWidget(Caption(rows[row].first, fit), r, 0);
    fitGrid->addWidget(rows[row].second.first, r, 1);
    fitGrid->addWidget(Caption("±", fit), r, 2);
    fitGrid->addWidget(rows[row].second.second, r, 3);
    if (row < fitUnits_.size()) {
      fitUnits_[row] = new QLabel("chn", fit);
      fitUnits_[row]->setObjectName(QString("InfoFitUnit%1").arg(row));
      fitUnits_[row]->setMinimumWidth(fontMetrics().horizontalAdvance("keV") + 2);
      fitGrid->addWidget(fitUnits_[row], r, 4);
    }
  }
  fitGrid->addWidget(Caption("CHI2/NDF", fit), 3, 0);
  fitGrid->addWidget(fitChiSquare_, 3, 1);
  fitGrid->addWidget(fitStatus_, 3, 3);
  fitGrid->setColumnStretch(1, 2);
  fitGrid->setColumnStretch(3, 1);
  column->addWidget(fit);
}

void CSpectrumInfoView::RefreshStatistics() {
  const SpectrumInfoTexts& all = info_.Texts();
  const PeakStatisticsTexts& t = all.statistics;
  ShowText(integralSigma_, t.integralSigma);
  ShowText(areaSigma_, t.areaSigma);
  ShowText(centroidSigma_, t.centroidSigma);
  ShowText(aboveCritical_, t.aboveCritical);
  ShowText(criticalLevel_, t.criticalLevel);
  ShowText(detectionLimit_, t.detectionLimit);
  // Without a background the net fields are absent.
  const bool net = !t.netArea.empty();
  for (QWidget* w : std::initializer_list<QWidget*>{netAreaCaption_, netArea_, netAreaSigmaCaption_, netAreaSigma_}) {
    if (w->isVisibleTo(w->parentWidget()) != net) w->setVisible(net);
  }
  ShowText(netArea_, t.netArea);
  ShowText(netAreaSigma_, t.netAreaSigma);
  ShowText(fitCentroid_, t.fitCentroid);
  ShowText(fitCentroidSigma_, t.fitCentroidSigma);
  ShowText(fitFwhm_, t.fitFwhm);
  ShowText(fitFwhmSigma_, t.fitFwhmSigma);
  ShowText(fitArea_, t.fitArea);
  ShowText(fitAreaSigma_, t.fitAreaSigma);
  ShowText(fitChiSquare_, t.fitChiSquare);
  ShowText(fitStatus_, t.fitStatus);
  const QString detail = QString::fromStdString(t.fitDetail);
  if (fitStatus_->toolTip() != detail) fitStatus_->setToolTip(detail);
  const bool poor = t.fitPoor;
  if (fitStatus_->property("poor").toBool() != poor || !fitStatus_->property("poor").isValid()) {
    fitStatus_->setProperty("poor", poor);
    QPalette palette = fitStatus_->palette();
    palette.setColor(QPalette::Text, poor ? QColor(0xB0, 0x00, 0x00) : this->palette().color(QPalette::Text));
    fitStatus_->setPalette(palette);
  }
  for (std::size_t i = 0; i < fitUnits_.size(); ++i) {
    const QString unit = QString::fromStdString(all.unitLabels[i + 1]).trimmed();
    if (fitUnits_[i]->text() != unit) fitUnits_[i]->setText(unit);
  }
}

void CSpectrumInfoView::Tick() {
  if (!isVisible()) return;
  info_.UpdatePeakInfo(sets_.ActivePlot());
  info_.UpdateFom(sets_.ActivePlot(0));
  Refresh();
}

void CSpectrumInfoView::PeakInfoDue(SpectrumPlot& plot) {
  info_.UpdatePeakInfo(plot);
  Refresh();
}

void CSpectrumInfoView::RefreshRates(const RegisterImage& registers) {
  info_.SetRates(ComputeRates(registers, samplePeriodUs_ ? samplePeriodUs_() : 0.008));
  Refresh();
}

QString CSpectrumInfoView::CursorStatusText() const { return QString::fromStdString(info_.Texts().cursorStatus); }
QString CSpectrumInfoView::RoiStatusText() const { return QString::fromStdString(info_.Texts().roiStatus); }

void CSpectrumInfoView::Refresh() {
  const SpectrumInfoTexts& t = info_.Texts();
  ShowText(position_, t.position);
  ShowText(counts_, t.counts);
  for (std::size_t i = 0; i < units_.size(); ++i) {
    const QString unit = QString::fromStdString(t.unitLabels[i]).trimmed();
    if (units_[i]->text() != unit) units_[i]->setText(unit);
  }
  ShowText(centroid_, t.centroid);
  ShowText(fwhm_, t.fwhm);
  ShowText(fwtm_, t.fwtm);
  ShowText(resolution_, t.resolution);
  ShowText(integral_, t.integral);
  ShowText(area_, t.area);
  ShowText(fom_, t.fom);
  ShowText(real_, t.real);
  ShowText(live_, t.live);
  ShowText(dead_, t.dead);
  ShowText(throughput_, std::to_string(t.throughput));
  ShowText(incoming_, std::to_string(t.incoming));
  if (losses_->value() != t.losses) losses_->setValue(t.losses);
  if (cal_->isChecked() != t.calChecked) cal_->setChecked(t.calChecked);
  RefreshStatistics();

  const QString cursorText = CursorStatusText();
  const QString roiText = RoiStatusText();
  if (cursorText != shownCursorStatus_ || roiText != shownRoiStatus_) {
    shownCursorStatus_ = cursorText;
    shownRoiStatus_ = roiText;
    emit StatusTextsChanged(cursorText, roiText);
  }
}

}  // namespace mirvo
