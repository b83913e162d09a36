#include "acquisition/gui/CAcquisitionView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "acquisition/AcquisitionPanel.h"

namespace mirvo {
namespace {

QLineEdit* ReadOnlyEdit(QWidget* parent, int minimumChars = 10) {
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly(true);
  edit->setAlignment(Qt::AlignRight);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * minimumChars + 12);
  return edit;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

void SetText(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

}  // namespace

CAcquisitionView::CAcquisitionView(AcquisitionPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
  setObjectName(QStringLiteral("AcquisitionView"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(6);
  autoUpdate_ = new QCheckBox(QStringLiteral("AUTO UPDATE"), this);
  layout->addWidget(autoUpdate_);
  layout->addWidget(BuildAcquisitionGroup());
  layout->addWidget(BuildStartTimeGroup());
  layout->addWidget(BuildCoincidenceGroup());
  layout->addWidget(BuildStatusGroup());
  layout->addWidget(BuildLoggerGroup());
  layout->addStretch(1);

  connect(autoUpdate_, &QCheckBox::clicked, this, [this](bool checked) { panel_.OnAutoUpdateClicked(checked); });
  panel_.Initialise();  // the controls exist
  ShowValues();
  UpdateEnabling();
}

QWidget* CAcquisitionView::BuildAcquisitionGroup() {
  auto* group = new QGroupBox(QStringLiteral("ACQUISITION [s]"), this);
  auto* grid = new QGridLayout(group);
  presetKind_ = new QComboBox(group);
  for (const char* text : kPresetKindTexts) presetKind_->addItem(QString::fromLatin1(text));
  preset_ = new QLineEdit(group);
  preset_->setAlignment(Qt::AlignRight);
  // Whole seconds only; the range check speaks when the edit is left.
  preset_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), preset_));
  real_ = ReadOnlyEdit(group);
  live_ = ReadOnlyEdit(group);
  dead_ = ReadOnlyEdit(group);
  start_ = new QPushButton(QStringLiteral("START"), group);
  stop_ = new QPushButton(QStringLiteral("STOP"), group);
  reset_ = new QPushButton(QStringLiteral("RESET"), group);
  pulser_ = new QCheckBox(QStringLiteral("DIGITAL PULSER"), group);
  pulser_->setVisible(false);
  pulser_->setEnabled(false);

  grid->addWidget(presetKind_, 0, 0, 1, 2);
  grid->addWidget(preset_, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("REAL [s]"), group), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("LIVE [s]"), group), 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("DEAD %"), group), 1, 2);
  grid->addWidget(real_, 2, 0);
  grid->addWidget(live_, 2, 1);
  grid->addWidget(dead_, 2, 2);
  grid->addWidget(start_, 3, 0);
  grid->addWidget(stop_, 3, 1);
  grid->addWidget(reset_, 3, 2);
  grid->addWidget(pulser_, 4, 0, 1, 3);

  connect(presetKind_, &QComboBox::activated, this, [this](int index) { panel_.OnPresetKindSelected(index); });
  connect(preset_, &QLineEdit::editingFinished, this, &CAcquisitionView::OnPresetEdited);
  connect(start_, &QPushButton::clicked, this, [this] { panel_.StartAcquisition(); });
  connect(stop_, &QPushButton::clicked, this, [this] { panel_.StopAcquisition(); });
  connect(reset_, &QPushButton::clicked, this, [this] { panel_.ResetAcquisition(); });
  connect(pulser_, &QCheckBox::clicked, this, [this](bool checked) { panel_.OnPulserClicked(checked); });
  return group;
}

QWidget* CAcquisitionView::BuildStartTimeGroup() {
  auto* group = new QGroupBox(this);
  auto* grid = new QGridLayout(group);
  kind_ = new QLabel(group);
  stamp_ = ReadOnlyEdit(group, 22);
  stamp_->setAlignment(Qt::AlignCenter);
  stamp_->setPlaceholderText(QStringLiteral("DD/MM/YYYY  HH:MM:SS"));
  timeStamp_ = new QPushButton(QStringLiteral("TIME STAMP"), group);
  grid->addWidget(kind_, 0, 0);
  grid->addWidget(timeStamp_, 0, 1);
  grid->addWidget(stamp_, 1, 0, 1, 2);
  connect(timeStamp_, &QPushButton::clicked, this, [this] { panel_.OnTimeStamp(); });
  return group;
}

QWidget* CAcquisitionView::BuildCoincidenceGroup() {
  auto* group = new QGroupBox(QStringLiteral("COINCIDENCE"), this);
  auto* grid = new QGridLayout(group);
  coincidence_ = new QComboBox(group);
  for (const char* text : kCoincidenceTexts) coincidence_->addItem(QString::fromLatin1(text));
  grid->addWidget(coincidence_, 0, 0, 1, 3);
  const char* captions[3] = {"Src Delay", "Win Width", "Store Delay"};
  for (int i = 0; i < 3; ++i) {
    delays_[i] = new AcceleratingSpinBox(group);
    delays_[i]->setRange(0, 99999);  // typed values are corrected by the panel, not refused
    delays_[i]->setValue(1);
    delayUs_[i] = ReadOnlyEdit(group, 8);
    grid->addWidget(new QLabel(QString::fromLatin1(captions[i]), group), i + 1, 0);
    grid->addWidget(delays_[i], i + 1, 1);
    auto* us = new QHBoxLayout;
    us->addWidget(delayUs_[i]);
    us->addWidget(new QLabel(QStringLiteral("us"), group));
    grid->addLayout(us, i + 1, 2);
    connect(delays_[i], &QSpinBox::valueChanged, this, [this, i](int value) { OnDelayChanged(i, value); });
  }
  connect(coincidence_, &QComboBox::activated, this, [this](int index) { panel_.OnCoincidenceSelected(index); });
  return group;
}

QWidget* CAcquisitionView::BuildStatusGroup() {
  auto* group = new QGroupBox(this);
  auto* grid = new QGridLayout(group);
  temperature_ = ReadOnlyEdit(group, 6);
  voltage_ = ReadOnlyEdit(group, 6);
  grid->addWidget(new QLabel(QStringLiteral("Internal Temp [C]"), group), 0, 0);
  grid->addWidget(temperature_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Slow ADC Voltage [V]"), group), 1, 0);
  grid->addWidget(voltage_, 1, 1);
  return group;
}

QWidget* CAcquisitionView::BuildLoggerGroup() {
  auto* group = new QGroupBox(QStringLiteral("SPECTRUM LOGGER"), this);
  auto* grid = new QGridLayout(group);
  runs_ = new QLineEdit(group);
  runs_->setAlignment(Qt::AlignRight);
  runs_->setValidator(new QIntValidator(0, 2147483647, runs_));
  completed_ = ReadOnlyEdit(group, 6);
  folder_ = ReadOnlyEdit(group, 24);
  folder_->setAlignment(Qt::AlignLeft);
  folderButton_ = new QPushButton(QStringLiteral("FOLDER"), group);
  base_ = new QLineEdit(group);
  enable_ = new QCheckBox(QStringLiteral("ENABLE"), group);
  grid->addWidget(new QLabel(QStringLiteral("RUNS"), group), 0, 0);
  grid->addWidget(runs_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("COMPLETED"), group), 0, 2);
  grid->addWidget(completed_, 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("STORAGE FOLDER"), group), 1, 0, 1, 3);
  grid->addWidget(folderButton_, 1, 3);
  grid->addWidget(folder_, 2, 0, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("FILE NAME (BASE)"), group), 3, 0, 1, 4);
  grid->addWidget(base_, 4, 0, 1, 3);
  grid->addWidget(enable_, 4, 3);
  // Below the specified controls: whether each run is also (or only) saved as N42.42.
  auto* n42 = new QComboBox(group);
  n42->addItems({QStringLiteral("NO"), QStringLiteral("BESIDE .MPS"), QStringLiteral("INSTEAD OF .MPS")});
  n42->setObjectName(QStringLiteral("loggerN42"));
  n42->setCurrentIndex(static_cast<int>(panel_.Logger().N42()));
  grid->addWidget(new QLabel(QStringLiteral("SAVE AS N42.42"), group), 5, 0, 1, 2);
  grid->addWidget(n42, 5, 2, 1, 2);
  connect(n42, &QComboBox::currentIndexChanged, this,
          [this](int index) { panel_.Logger().SetN42(static_cast<LoggedN42>(index)); });

  connect(runs_, &QLineEdit::textEdited, this, [this](const QString& text) {
    panel_.OnLoggerRunsChanged(text.toInt());
  });
  connect(base_, &QLineEdit::textEdited, this, [this](const QString& text) {
    panel_.OnLoggerBaseEdited(text.toStdString());
  });
  connect(folderButton_, &QPushButton::clicked, this, [this] { panel_.OnLoggerFolderClicked(); });
  connect(enable_, &QCheckBox::clicked, this, [this](bool checked) { panel_.OnLoggerEnableClicked(checked); });
  return group;
}

void CAcquisitionView::OnPresetEdited() {
  if (showing_) return;
  const QString text = preset_->text();
  if (text.isEmpty() || text.toLongLong() == panel_.PresetSeconds()) return;
  if (!panel_.OnPresetTyped(text.toLongLong())) SetText(preset_, QString::number(panel_.PresetSeconds()));
}

void CAcquisitionView::OnDelayChanged(int which, int value) {
  if (showing_) return;
  int shown = value;
  if (which == 0) shown = panel_.OnSrcDelayChanged(value);
  if (which == 1) shown = panel_.OnWinWidthChanged(value);
  if (which == 2) shown = panel_.OnStoreDelayChanged(value);
  if (shown != value) {
    const QSignalBlocker block(delays_[which]);
    delays_[which]->setValue(shown);
  }
}

void CAcquisitionView::ShowValues() {
  if (showing_) return;
  showing_ = true;
  autoUpdate_->setChecked(panel_.AutoUpdate());
  presetKind_->setCurrentIndex(panel_.PresetKindIndex());
  if (!preset_->hasFocus()) SetText(preset_, QString::number(panel_.PresetSeconds()));
  SetText(real_, Text(panel_.RealText()));
  SetText(live_, Text(panel_.LiveText()));
  SetText(dead_, Text(panel_.DeadText()));
  pulser_->setChecked(panel_.Pulser());
  kind_->setText(Text(panel_.StartKindText()));
  SetText(stamp_, Text(panel_.StartStampText()));
  coincidence_->setCurrentIndex(panel_.CoincidenceListIndex());
  const int values[3] = {panel_.SrcDelay(), panel_.WinWidth(), panel_.StoreDelay()};
  const std::string* texts[3] = {&panel_.SrcDelayUsText(), &panel_.WinWidthUsText(), &panel_.StoreDelayUsText()};
  for (int i = 0; i < 3; ++i) {
    if (delays_[i]->value() != values[i]) delays_[i]->setValue(values[i]);
    SetText(delayUs_[i], Text(*texts[i]));
  }
  for (int i = 0; i < 2; ++i) {  // Src Delay and Win Width follow the mode; Store Delay stays enabled
    delays_[i]->setEnabled(panel_.DelaysEnabled());
    delayUs_[i]->setEnabled(panel_.DelaysEnabled());
  }
  SetText(temperature_, Text(panel_.InternalTemperatureText()));
  SetText(voltage_, Text(panel_.SlowAdcVoltageText()));

  const SpectrumLogger& logger = panel_.Logger();
  if (!runs_->hasFocus()) SetText(runs_, QString::number(logger.Runs()));
  SetText(completed_, QString::number(logger.Completed()));
  SetText(folder_, Text(logger.StorageFolder()));
  SetText(base_, Text(logger.FileNameBase()));
  enable_->setChecked(logger.Enabled());
  showing_ = false;
}

void CAcquisitionView::UpdateEnabling() {
  setEnabled(panel_.PanelEnabled());
  start_->setEnabled(panel_.StartEnabled());
  stop_->setEnabled(panel_.StopEnabled());
  timeStamp_->setEnabled(panel_.TimeStampEnabled());
}

}  // namespace mirvo
