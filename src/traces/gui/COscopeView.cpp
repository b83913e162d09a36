#include "traces/gui/COscopeView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "traces/TraceViewer.h"

namespace mirvo {
namespace {

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QIcon Swatch(const QColor& colour) {
  QPixmap pixmap(10, 10);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

QRect AreaRect(const TraceArea& a) { return {a.left, a.top, a.width, a.height}; }

TraceArea AreaOf(const QWidget& widget) {
  constexpr int kMargin = 8;
  TraceArea area = FitTraceArea(kMargin, kMargin, widget.width() - 2 * kMargin, widget.height() - 2 * kMargin);
  area.left = kMargin;
  return area;
}

}  // namespace

// --- the trace area

TraceScreen::TraceScreen(TraceViewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("TraceScreen"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QColor TraceScreen::LaneColour(int lane) {
  static const std::array<QColor, 9> kColours = {
      QColor(255, 230, 60),  QColor(80, 200, 255), QColor(120, 255, 120), QColor(255, 120, 120), QColor(255, 170, 60),
      QColor(220, 120, 255), QColor(160, 160, 160), QColor(60, 230, 200), QColor(255, 110, 200)};
  return kColours[static_cast<std::size_t>(std::clamp(lane, 0, 8))];
}

void TraceScreen::paintEvent(QPaintEvent*) {
  const TraceArea area = AreaOf(*this);
  if (grid_.size() != size()) {
    grid_ = QPixmap(size());
    QPainter background(&grid_);
    background.fillRect(rect(), QColor(24, 24, 24));
    background.fillRect(AreaRect(area), Qt::black);
    background.setPen(QColor(70, 70, 70));
    for (const Segment& s : GridSegments(area)) background.drawLine(s.x1, s.y1, s.x2, s.y2);
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, grid_);
  if (!viewer_.HasBlock()) return;
  const TraceTraces traces = viewer_.Points(area);
  painter.setClipRect(AreaRect(area).adjusted(0, 0, 1, 1));
  // The lanes first, the analog trace on top.
  for (int t = 8; t >= 0; --t) {
    const auto& points = traces[static_cast<std::size_t>(t)];
    if (points.empty()) continue;
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const ScreenPoint& p : points) polygon << QPoint(p.x, p.y);
    painter.setPen(QPen(LaneColour(t), t == 0 ? 1.5 : 1.0));
    painter.drawPolyline(polygon);
  }
}

// --- the form

COscopeView::COscopeView(TraceViewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("OscopeView"));
  // The chosen signal and trigger stand out whatever the application look.
  setStyleSheet(QStringLiteral("QPushButton:checked { background-color: #2f6db5; color: white; }"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  screen_ = new TraceScreen(viewer, this);
  layout->addWidget(screen_, 1);

  auto* controls = new QVBoxLayout;
  controls->setSpacing(4);
  layout->addLayout(controls);

  auto* runRow = new QHBoxLayout;
  run_ = Button("RUN", "TraceRun", this);
  run_->setCheckable(true);
  mode_ = Button("NRM", "TraceMode", this);
  runRow->addWidget(run_);
  runRow->addWidget(mode_);
  controls->addLayout(runRow);

  auto* horizontal = new QGroupBox("HORIZONTAL", this);
  auto* hGrid = new QGridLayout(horizontal);
  hGrid->setContentsMargins(4, 2, 4, 2);
  auto* hMinus = Button("-", "TimeMinus", horizontal);
  auto* hPlus = Button("+", "TimePlus", horizontal);
  timeLabel_ = new QLabel(horizontal);
  timeLabel_->setObjectName("TimeLabel");
  timeLabel_->setAlignment(Qt::AlignCenter);
  timeLabel_->setMinimumWidth(timeLabel_->fontMetrics().horizontalAdvance("1.28ms/div") + 8);
  delay_ = new QSlider(Qt::Horizontal, horizontal);
  delay_->setObjectName("TraceDelay");
  delay_->setRange(0, kDelayMax);
  delay_->setPageStep(16);
  hGrid->addWidget(hMinus, 0, 0);
  hGrid->addWidget(timeLabel_, 0, 1);
  hGrid->addWidget(hPlus, 0, 2);
  hGrid->addWidget(new QLabel("DELAY", horizontal), 1, 0);
  hGrid->addWidget(delay_, 1, 1, 1, 2);
  controls->addWidget(horizontal);

  auto* vertical = new QGroupBox("VERTICAL", this);
  auto* vGrid = new QGridLayout(vertical);
  vGrid->setContentsMargins(4, 2, 4, 2);
  auto* vMinus = Button("-", "VerticalMinus", vertical);
  auto* vPlus = Button("+", "VerticalPlus", vertical);
  verticalLabel_ = new QLabel(vertical);
  verticalLabel_->setObjectName("VerticalLabel");
  verticalLabel_->setAlignment(Qt::AlignCenter);
  offset_ = new QSlider(Qt::Horizontal, vertical);
  offset_->setObjectName("TraceOffset");
  offset_->setRange(kOffsetSliderMin, kOffsetSliderMax);
  offset_->setPageStep(32);
  auto* zero = Button("0", "OffsetZero", vertical);
  vGrid->addWidget(vMinus, 0, 0);
  vGrid->addWidget(verticalLabel_, 0, 1);
  vGrid->addWidget(vPlus, 0, 2);
  vGrid->addWidget(offset_, 1, 0, 1, 2);
  vGrid->addWidget(zero, 1, 2);
  controls->addWidget(vertical);

  auto* signalBox = new QGroupBox("SIGNAL", this);
  auto* sGrid = new QGridLayout(signalBox);
  sGrid->setContentsMargins(4, 2, 4, 2);
  auto* signalGroup = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* button = Button(AnalogSignalName(i), QString("Signal%1").arg(AnalogSignalName(i)), signalBox);
    button->setCheckable(true);
    signalGroup->addButton(button, i);
    sGrid->addWidget(button, i / 2, i % 2);
    analog_[static_cast<std::size_t>(i)] = button;
  }
  controls->addWidget(signalBox);

  auto* triggerBox = new QGroupBox("TRIGGER", this);
  auto* tGrid = new QGridLayout(triggerBox);
  tGrid->setContentsMargins(4, 2, 4, 2);
  for (int i = 0; i < 8; ++i) {
    auto* button = Button(DigitalSignalName(i, false), QString("Trigger%1").arg(i), triggerBox);
    button->setCheckable(true);
    button->setIcon(Swatch(TraceScreen::LaneColour(i + 1)));
    tGrid->addWidget(button, i / 2, i % 2);
    triggers_[static_cast<std::size_t>(i)] = button;
    connect(button, &QPushButton::clicked, this, [this, i] { viewer_.OnTrigger(i); });
  }
  controls->addWidget(triggerBox);

  auto* options = new QHBoxLayout;
  invert_ = new QCheckBox("INVERT", this);
  invert_->setObjectName("TraceInvert");
  peak_ = new QCheckBox("PEAK", this);
  peak_->setObjectName("TracePeak");
  options->addWidget(invert_);
  options->addWidget(peak_);
  controls->addLayout(options);

  auto* roiBox = new QGroupBox("ROI-SCA", this);
  auto* rGrid = new QGridLayout(roiBox);
  rGrid->setContentsMargins(4, 2, 4, 2);
  roiStart_ = new QLabel(roiBox);
  roiStart_->setObjectName("RoiScaStart");
  roiEnd_ = new QLabel(roiBox);
  roiEnd_->setObjectName("RoiScaEnd");
  rGrid->addWidget(new QLabel("FROM", roiBox), 0, 0);
  rGrid->addWidget(roiStart_, 0, 1);
  rGrid->addWidget(new QLabel("TO", roiBox), 1, 0);
  rGrid->addWidget(roiEnd_, 1, 1);
  controls->addWidget(roiBox);
  controls->addStretch(1);

  connect(run_, &QPushButton::clicked, this, [this] { viewer_.OnRun(); });
  connect(mode_, &QPushButton::clicked, this, [this] { viewer_.OnMode(); });
  connect(hMinus, &QPushButton::clicked, this, [this] { viewer_.OnHorizontalMinus(); });
  connect(hPlus, &QPushButton::clicked, this, [this] { viewer_.OnHorizontalPlus(); });
  connect(delay_, &QSlider::valueChanged, this, [this](int value) { viewer_.OnDelay(value); });
  connect(vMinus, &QPushButton::clicked, this, [this] { viewer_.OnVerticalMinus(); });
  connect(vPlus, &QPushButton::clicked, this, [this] { viewer_.OnVerticalPlus(); });
  connect(offset_, &QSlider::valueChanged, this, [this](int value) { viewer_.OnOffsetSlider(value); });
  connect(zero, &QPushButton::clicked, this, [this] { viewer_.OnOffsetZero(); });
  connect(signalGroup, &QButtonGroup::idClicked, this, [this](int id) { viewer_.OnSignal(id); });
  connect(invert_, &QCheckBox::clicked, this, [this](bool on) { viewer_.OnInvert(on); });
  connect(peak_, &QCheckBox::clicked, this, [this](bool on) { viewer_.OnPeak(on); });
  ShowValues();
}

void COscopeView::ShowValues() {
  {
    const QSignalBlocker block(run_);
    run_->setChecked(viewer_.RunPressed());
  }
  run_->setText(QString::fromStdString(viewer_.RunCaption()));
  mode_->setText(viewer_.ModeText());
  timeLabel_->setText(QString::fromStdString(viewer_.TimeLabel()));
  verticalLabel_->setText(QString::fromStdString(viewer_.VerticalText()));
  {
    const QSignalBlocker block(delay_);
    delay_->setValue(viewer_.DelayPosition());
  }
  {
    const QSignalBlocker block(offset_);
    offset_->setValue(viewer_.OffsetSlider());
  }
  for (int i = 0; i < 4; ++i) analog_[static_cast<std::size_t>(i)]->setChecked(viewer_.Signal() == i);
  for (int i = 0; i < 8; ++i) {
    QPushButton* button = triggers_[static_cast<std::size_t>(i)];
    button->setText(viewer_.TriggerText(i));
    button->setChecked(viewer_.Trigger() == i);
  }
  invert_->setChecked(viewer_.Invert());
  peak_->setChecked(viewer_.Peak());
  roiStart_->setText(QString::fromStdString(viewer_.RoiStartText()));
  roiEnd_->setText(QString::fromStdString(viewer_.RoiEndText()));
}

void COscopeView::ShowTrace() { screen_->update(); }

}  // namespace mirvo
