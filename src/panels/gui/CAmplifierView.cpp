#include "panels/gui/CAmplifierView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "acquisition/gui/AcceleratingSpinBox.h"
#include "panels/AmplifierPanel.h"

namespace mirvo {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

void SetText(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

template <std::size_t N>
QComboBox* List(const std::array<const char*, N>& texts, QWidget* parent) {
  auto* list = new QComboBox(parent);
  for (const char* text : texts) list->addItem(QString::fromLatin1(text));
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

void Select(QComboBox* list, int index) {
  if (list->currentIndex() != index) list->setCurrentIndex(index);
}

void SetValue(QSpinBox* spin, int value) {
  if (spin->value() != value) spin->setValue(value);
}

QLabel* Caption(const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); }

}  // namespace

CAmplifierView::CAmplifierView(AmplifierPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
  setObjectName(QStringLiteral("AmplifierView"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 4, 2, 4);
  layout->setSpacing(6);
  groups_ = new QGridLayout;
  groups_->setSpacing(6);
  groupBoxes_ = {BuildGainGroup(), BuildOffsetGroup(), BuildStabilizerGroup(), BuildDigitalIoGroup()};
  layout->addLayout(groups_);
  layout->addStretch(1);
  Arrange(false);
  panel_.Initialise();  // the controls exist
  // Spin ranges and positions as the panel starts them.
  fineSpin_->setRange(0, amp::kFineCodeMax);
  adc_->setRange(0, amp::kAdcOffsetMax);
  amp_->setRange(0, amp::kAmpOffsetMax);
  ShowValues();
}

QWidget* CAmplifierView::BuildGainGroup() {
  auto* group = new QGroupBox(QStringLiteral("GAIN"), this);
  auto* grid = new QGridLayout(group);
  coarse_ = new QComboBox(group);
  for (int i = 0; i < 4; ++i) coarse_->addItem(Text(CoarseText(1.0)).trimmed());
  fine_ = new QLineEdit(group);
  fine_->setObjectName(QStringLiteral("FineEdit"));
  fine_->setAlignment(Qt::AlignRight);
  fine_->installEventFilter(this);
  // The code behind the FINE text: only its arrows show.
  fineSpin_ = new SpinArrows(group);
  fineSpin_->setObjectName(QStringLiteral("FineSpin"));
  total_ = new QLineEdit(group);
  total_->setReadOnly(true);
  total_->setAlignment(Qt::AlignRight);
  auto* fineRow = new QHBoxLayout;
  fineRow->setSpacing(0);
  fineRow->addWidget(fine_, 1);
  fineRow->addWidget(fineSpin_);

  grid->addWidget(Caption("COARSE", group), 0, 0);
  grid->addWidget(coarse_, 0, 1);
  grid->addWidget(Caption("FINE", group), 1, 0);
  grid->addLayout(fineRow, 1, 1);
  grid->addWidget(Caption("TOTAL", group), 2, 0);
  grid->addWidget(total_, 2, 1);
  grid->setColumnStretch(1, 1);

  connect(coarse_, &QComboBox::activated, this, [this](int index) { panel_.OnCoarseSelected(index); });
  connect(fineSpin_, &QSpinBox::valueChanged, this, [this](int code) {
    if (!showing_) panel_.OnFineCodeChanged(code);
  });
  connect(fine_, &QLineEdit::textEdited, this, [this](const QString& text) {
    panel_.OnFineTextChanged(text.toStdString());
  });
  return group;
}

QWidget* CAmplifierView::BuildOffsetGroup() {
  auto* group = new QGroupBox(QStringLiteral("OFFSET"), this);
  auto* grid = new QGridLayout(group);
  adc_ = new AcceleratingSpinBox(group);
  adc_->setObjectName(QStringLiteral("AdcOffsetSpin"));
  adc_->setKeyboardTracking(false);
  adc_->setAlignment(Qt::AlignRight);
  amp_ = new AcceleratingSpinBox(group);
  amp_->setObjectName(QStringLiteral("AmpOffsetSpin"));
  amp_->setKeyboardTracking(false);
  amp_->setAlignment(Qt::AlignRight);
  adcDefault_ = new QCheckBox(QStringLiteral("ADC DEFAULT"), group);
  auto_ = new QCheckBox(QStringLiteral("AUTO"), group);
  sar_ = new QPushButton(QStringLiteral("SAR"), group);
  plus_ = new QPushButton(QStringLiteral("++"), group);
  minus_ = new QPushButton(QStringLiteral("--"), group);
  auto* search = new QHBoxLayout;
  search->addWidget(sar_);
  search->addWidget(plus_);
  search->addWidget(minus_);

  grid->addWidget(Caption("ADC", group), 0, 0);
  grid->addWidget(adc_, 0, 1);
  grid->addWidget(adcDefault_, 0, 2);
  grid->addWidget(Caption("AMPLIFIER", group), 1, 0);
  grid->addWidget(amp_, 1, 1);
  grid->addWidget(auto_, 1, 2);
  grid->addLayout(search, 2, 1, 1, 2);
  grid->setColumnStretch(1, 1);

  connect(adc_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) panel_.OnAdcOffsetChanged(value);
  });
  connect(amp_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!showing_) panel_.OnAmpOffsetChanged(value);
  });
  connect(adcDefault_, &QCheckBox::clicked, this, [this](bool ticked) {
    panel_.OnAdcDefaultToggled(ticked);
    TakeFocusRequest();
  });
  connect(auto_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnAutoToggled(on); });
  connect(sar_, &QPushButton::clicked, this, [this] {
    panel_.OnSar();
    TakeFocusRequest();
  });
  connect(plus_, &QPushButton::clicked, this, [this] { panel_.OnPlus(); });
  connect(minus_, &QPushButton::clicked, this, [this] { panel_.OnMinus(); });
  return group;
}

QWidget* CAmplifierView::BuildStabilizerGroup() {
  auto* group = new QGroupBox(QStringLiteral("STABILIZER"), this);
  auto* row = new QHBoxLayout(group);
  enable_ = new QCheckBox(QStringLiteral("Enable"), group);
  set_ = new QPushButton(QStringLiteral("SET"), group);
  row->addWidget(enable_);
  row->addStretch(1);
  row->addWidget(set_);
  connect(enable_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnEnableToggled(on); });
  connect(set_, &QPushButton::clicked, this, [this] { panel_.OnStabilizerSet(); });
  return group;
}

QWidget* CAmplifierView::BuildDigitalIoGroup() {
  auto* group = new QGroupBox(QStringLiteral("DIGITAL I/O"), this);
  auto* grid = new QGridLayout(group);
  grid->setHorizontalSpacing(4);
  din_ = List(kDinFunctionTexts, group);
  rin_ = List(kRinFunctionTexts, group);
  grid->addWidget(Caption("DRIVE", group), 0, 1, Qt::AlignHCenter);
  grid->addWidget(Caption("FUNC", group), 0, 2, Qt::AlignHCenter);
  grid->addWidget(Caption("Din:", group), 1, 0);
  grid->addWidget(din_, 1, 2);
  grid->addWidget(Caption("Rin:", group), 2, 0);
  grid->addWidget(rin_, 2, 2);
  const char* outputs[3] = {"Rout:", "S:", "T:"};
  function_ = {List(kRoutFunctionTexts, group), List(kSFunctionTexts, group), List(kTFunctionTexts, group)};
  for (int o = 0; o < 3; ++o) {
    drive_[static_cast<std::size_t>(o)] = List(kDriveTexts, group);
    grid->addWidget(Caption(outputs[o], group), o + 3, 0);
    grid->addWidget(drive_[static_cast<std::size_t>(o)], o + 3, 1);
    grid->addWidget(function_[static_cast<std::size_t>(o)], o + 3, 2);
    const Output output = static_cast<Output>(o);
    connect(drive_[static_cast<std::size_t>(o)], &QComboBox::activated, this,
            [this, output](int index) { panel_.OnDriveSelected(output, index); });
    connect(function_[static_cast<std::size_t>(o)], &QComboBox::activated, this,
            [this, output](int index) { panel_.OnFunctionSelected(output, index); });
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  connect(din_, &QComboBox::activated, this, [this](int index) { panel_.OnDinSelected(index); });
  connect(rin_, &QComboBox::activated, this, [this](int index) { panel_.OnRinSelected(index); });
  return group;
}

bool CAmplifierView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fine_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
    panel_.OnFineFocus(event->type() == QEvent::FocusIn);
  return QWidget::eventFilter(watched, event);
}

void CAmplifierView::Arrange(bool wide) {
  const int columns = wide ? 2 : 1;
  if (columns == columns_) return;
  columns_ = columns;
  for (QWidget* box : groupBoxes_) groups_->removeWidget(box);
  auto [gain, offset, stabilizer, digitalIo] = groupBoxes_;
  if (wide) {
    groups_->addWidget(gain, 0, 0);
    groups_->addWidget(stabilizer, 1, 0);
    groups_->addWidget(offset, 0, 1, 2, 1);
    groups_->addWidget(digitalIo, 2, 0, 1, 2);
  } else {
    for (int row = 0; QWidget* box : {gain, offset, stabilizer, digitalIo}) groups_->addWidget(box, row++, 0);
  }
  for (int c = 0; c < 2; ++c) groups_->setColumnStretch(c, c < columns ? 1 : 0);
}

void CAmplifierView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Wide enough for both columns side by side at their natural widths.
  const int needed = groupBoxes_[0]->sizeHint().width() + groupBoxes_[1]->sizeHint().width() + 24;
  Arrange(event->size().width() >= std::max(needed, groupBoxes_[3]->sizeHint().width() + 12));
}

void CAmplifierView::TakeFocusRequest() {
  switch (panel_.TakeFocusRequest()) {
    case AmplifierPanel::Focus::kAdcOffset: adc_->setFocus(); break;
    case AmplifierPanel::Focus::kAmpOffset: amp_->setFocus(); break;
    case AmplifierPanel::Focus::kNone: break;
  }
}

void CAmplifierView::ShowValues() {
  if (showing_) return;
  showing_ = true;
  Select(coarse_, panel_.CoarseIndex());
  SetValue(fineSpin_, panel_.FineCode());
  if (!fine_->hasFocus()) SetText(fine_, Text(panel_.FineText()));
  SetText(total_, Text(panel_.TotalText()));
  if (!adc_->hasFocus() || !adc_->isEnabled()) SetValue(adc_, panel_.AdcOffset());
  if (!amp_->hasFocus() || panel_.StepButtonsEnabled()) SetValue(amp_, panel_.AmpOffset());
  auto_->setChecked(panel_.AutoOffset());
  adcDefault_->setChecked(panel_.AdcDefault());
  enable_->setChecked(panel_.StabilizerEnabled());
  Select(din_, panel_.DinSelection());
  Select(rin_, panel_.RinSelection());
  for (int o = 0; o < 3; ++o) {
    Select(drive_[static_cast<std::size_t>(o)], panel_.DriveSelection(static_cast<Output>(o)));
    Select(function_[static_cast<std::size_t>(o)], panel_.FunctionSelection(static_cast<Output>(o)));
  }
  fine_->setEnabled(panel_.FineEnabled());
  fineSpin_->setEnabled(panel_.FineEnabled());
  adc_->setEnabled(panel_.AdcEditEnabled());
  amp_->setEnabled(panel_.AmpEditEnabled());
  sar_->setEnabled(panel_.SarEnabled());
  plus_->setEnabled(panel_.StepButtonsEnabled());
  minus_->setEnabled(panel_.StepButtonsEnabled());
  showing_ = false;
}

}  // namespace mirvo
