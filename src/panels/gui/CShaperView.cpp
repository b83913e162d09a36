#include "panels/gui/CShaperView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "acquisition/gui/CAcquisitionView.h"
#include "panels/ShaperPanel.h"

namespace mirvo {
namespace {

using List = ShaperPanel::List;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* ReadOnlyEdit(QWidget* parent, int chars) {
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly(true);
  edit->setAlignment(Qt::AlignRight);
  edit->setFocusPolicy(Qt::NoFocus);
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 14);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 10);
  return edit;
}

AcceleratingSpinBox* Spin(QWidget* parent, int low, int high, const QString& name) {
  auto* spin = new AcceleratingSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(low, high);
  spin->setKeyboardTracking(false);
  spin->setAlignment(Qt::AlignRight);
  spin->setMinimumWidth(spin->fontMetrics().horizontalAdvance(QString::number(high)) + 34);
  return spin;
}

QCheckBox* Check(const QString& text, QWidget* parent, const QString& name) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  return box;
}

void SetText(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

void SetValue(QSpinBox* spin, int value) {
  const QSignalBlocker block(spin);
  if (spin->value() != value) spin->setValue(value);
}

void SetChecked(QCheckBox* box, bool on) {
  const QSignalBlocker block(box);
  box->setChecked(on);
}

void SetIndex(QComboBox* list, int index) {
  const QSignalBlocker block(list);
  if (list->currentIndex() != index) list->setCurrentIndex(index);
}

}  // namespace

void PanelComboBox::showPopup() {
  open_ = true;
  emit Dropped();
  QComboBox::showPopup();
}

// Only a popup that was shown closes: a list hidden with its window (also while the window is
// destroyed, after the panel) tells nobody.
void PanelComboBox::hidePopup() {
  QComboBox::hidePopup();
  if (!open_) return;
  open_ = false;
  emit Closed();
}

CShaperView::CShaperView(ShaperPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
  setObjectName(QStringLiteral("ShaperView"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(6);

  // --- the two shapers
  static constexpr const char* kTimeNames[4] = {"SlowRise", "SlowFlatTop", "FastRise", "FastFlatTop"};
  static constexpr int kTimeMax[4] = {2040, 511, 1020, 255};
  for (int shaper = 0; shaper < 2; ++shaper) {
    auto* group = new QGroupBox(shaper == 0 ? "SLOW SHAPER" : "FAST SHAPER", this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    for (int row = 0; row < 2; ++row) {
      const int i = 2 * shaper + row;
      times_[static_cast<std::size_t>(i)] = Spin(group, 1, kTimeMax[i], kTimeNames[i]);
      timesUs_[static_cast<std::size_t>(i)] = ReadOnlyEdit(group, 7);
      grid->addWidget(new QLabel(row == 0 ? "RISE TIME [sa]" : "FLAT TOP [sa]", group), row, 0);
      grid->addWidget(times_[static_cast<std::size_t>(i)], row, 1);
      grid->addWidget(timesUs_[static_cast<std::size_t>(i)], row, 2);
      grid->addWidget(new QLabel("[us]", group), row, 3);
      connect(times_[static_cast<std::size_t>(i)], &QSpinBox::valueChanged, this, [this, i](int value) {
        SetValue(times_[static_cast<std::size_t>(i)], panel_.OnTimeChanged(static_cast<ShaperPanel::TimeField>(i), value));
      });
    }
    grid->setColumnStretch(4, 1);
    layout->addWidget(group);
  }

  // --- unfolding
  {
    auto* group = new QGroupBox("UNFOLDING", this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    longTc_ = Spin(group, 0, 8191, "LongTc");
    shortTc_ = Spin(group, 0, 511, "ShortTc");
    longTcUs_ = ReadOnlyEdit(group, 7);
    shortTcUs_ = ReadOnlyEdit(group, 7);
    grid->addWidget(new QLabel("LONG TC [rel]", group), 0, 0);
    grid->addWidget(longTc_, 0, 1);
    grid->addWidget(longTcUs_, 0, 2);
    grid->addWidget(new QLabel("[us]", group), 0, 3);
    grid->addWidget(new QLabel("SHORT TC [rel]", group), 1, 0);
    grid->addWidget(shortTc_, 1, 1);
    grid->addWidget(shortTcUs_, 1, 2);
    grid->addWidget(new QLabel("[us]", group), 1, 3);
    grid->setColumnStretch(4, 1);
    connect(longTc_, &QSpinBox::valueChanged, this, [this](int v) { SetValue(longTc_, panel_.OnLongTcChanged(v)); });
    connect(shortTc_, &QSpinBox::valueChanged, this, [this](int v) { SetValue(shortTc_, panel_.OnShortTcChanged(v)); });
    layout->addWidget(group);
  }

  // --- thresholds
  {
    auto* group = new QGroupBox("THRESHOLD (0 = AUTO)", this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    marginCaption_ = new QLabel("Auto Margin", group);
    marginCaption_->setObjectName("AutoMarginCaption");
    grid->addWidget(marginCaption_, 0, 2, 1, 2);
    auto* estimated = new QLabel("EST. THRESH.\n[chn]", group);
    estimated->setAlignment(Qt::AlignCenter);
    grid->addWidget(estimated, 0, 4);
    for (int row = 0; row < 2; ++row) {
      const bool slow = row == 0;
      auto* spin = Spin(group, 0, kThresholdMax, slow ? "ThresholdSlow" : "ThresholdFast");
      spin->setSpecialValueText("AUTO");  // at 0 the number gives way to AUTO; the arrows raise it
      thresholds_[static_cast<std::size_t>(row)] = spin;
      auto* list = new PanelComboBox(group);
      list->setObjectName(slow ? "AutoMarginSlow" : "AutoMarginFast");
      for (int i = 0; i < kAutoMarginEntries; ++i) list->addItem(Text(AutoMarginText(i)));
      margins_[static_cast<std::size_t>(row)] = list;
      marginX_[static_cast<std::size_t>(row)] = new QLabel("X", group);
      estimates_[static_cast<std::size_t>(row)] = ReadOnlyEdit(group, 5);
      estimates_[static_cast<std::size_t>(row)]->setObjectName(slow ? "EstThreshSlow" : "EstThreshFast");
      grid->addWidget(new QLabel(slow ? "SLOW" : "FAST", group), row + 1, 0);
      grid->addWidget(spin, row + 1, 1);
      grid->addWidget(list, row + 1, 2);
      grid->addWidget(marginX_[static_cast<std::size_t>(row)], row + 1, 3);
      grid->addWidget(estimates_[static_cast<std::size_t>(row)], row + 1, 4);
      connect(spin, &QSpinBox::valueChanged, this, [this, spin, slow](int v) {
        SetValue(spin, slow ? panel_.OnThresholdSlowChanged(v) : panel_.OnThresholdFastChanged(v));
        ShowValues();
      });
      const List which = slow ? List::kSlowMargin : List::kFastMargin;
      connect(list, &PanelComboBox::Dropped, this, [this, which] { panel_.OnListDropped(which); });
      connect(list, &PanelComboBox::Closed, this, [this, which] { panel_.OnListClosed(which); });
      connect(list, &QComboBox::activated, this, [this, which](int index) { panel_.OnListSelected(which, index); });
    }
    grid->setColumnStretch(5, 1);
    layout->addWidget(group);
  }

  // --- baseline restorer and pile-up rejector
  {
    auto* row = new QHBoxLayout;
    auto* blr = new QGroupBox("BLR RESPONSE", this);
    auto* grid = new QGridLayout(blr);
    grid->setContentsMargins(6, 4, 6, 4);
    blrSlow_ = Spin(blr, 0, 1023, "BlrSlow");
    blrFast_ = Spin(blr, 0, 255, "BlrFast");
    slowSym_ = Check("SYM", blr, "BlrSlowSym");
    acc_ = Check("ACC", blr, "BlrAcc");
    fastSym_ = Check("SYM", blr, "BlrFastSym");
    grid->addWidget(new QLabel("SLOW [rel]", blr), 0, 0);
    grid->addWidget(blrSlow_, 0, 1);
    grid->addWidget(slowSym_, 0, 2);
    grid->addWidget(acc_, 0, 3);
    grid->addWidget(new QLabel("FAST", blr), 1, 0);
    grid->addWidget(blrFast_, 1, 1);
    grid->addWidget(fastSym_, 1, 2);
    connect(blrSlow_, &QSpinBox::valueChanged, this, [this](int v) { SetValue(blrSlow_, panel_.OnBlrSlowChanged(v)); });
    connect(blrFast_, &QSpinBox::valueChanged, this, [this](int v) { SetValue(blrFast_, panel_.OnBlrFastChanged(v)); });
    connect(slowSym_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnSlowSymToggled(on); });
    connect(acc_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnAccToggled(on); });
    connect(fastSym_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnFastSymToggled(on); });
    row->addWidget(blr);

    layout->addLayout(row);
    auto* pileUp = new QGroupBox("PILE-UP REJECTOR", this);
    auto* column = new QHBoxLayout(pileUp);
    column->setContentsMargins(6, 4, 6, 4);
    pileUpOn_ = Check("ON", pileUp, "PileUpOn");
    enhanced_ = Check("ENHANCED", pileUp, "PileUpEnhanced");
    column->addWidget(pileUpOn_);
    column->addWidget(enhanced_);
    connect(pileUpOn_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnPileUpOnToggled(on); });
    connect(enhanced_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnEnhancedToggled(on); });
    column->addStretch(1);
    layout->addWidget(pileUp);
  }

  // --- gain normalisation and TIPS
  {
    auto* group = new QGroupBox("GAIN NORMALIZATION", this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    auto_ = Check("AUTO", group, "NormAuto");
    fine_ = Check("FINE", group, "NormFine");
    factor_ = Spin(group, 1, static_cast<int>(kFactorMax), "NormFactor");
    bdc_ = new PanelComboBox(group);
    bdc_->setObjectName("NormBdc");
    for (int i = 0; i < kBdcEntries; ++i) bdc_->addItem(Text(BdcText(i)));
    grid->addWidget(auto_, 0, 0);
    grid->addWidget(fine_, 0, 1);
    grid->addWidget(new QLabel("BDC", group), 0, 2, Qt::AlignRight);
    grid->addWidget(bdc_, 0, 3);
    grid->addWidget(new QLabel("FACTOR", group), 1, 0);
    grid->addWidget(factor_, 1, 1, 1, 3);
    grid->setColumnStretch(4, 1);
    connect(auto_, &QCheckBox::clicked, this, [this](bool on) {
      panel_.OnAutoToggled(on);
      ShowValues();
    });
    connect(fine_, &QCheckBox::clicked, this, [this](bool on) { panel_.OnFineToggled(on); });
    connect(factor_, &QSpinBox::valueChanged, this,
            [this](int v) { SetValue(factor_, static_cast<int>(panel_.OnFactorChanged(v))); });
    connect(bdc_, &PanelComboBox::Dropped, this, [this] { panel_.OnListDropped(List::kBdc); });
    connect(bdc_, &PanelComboBox::Closed, this, [this] { panel_.OnListClosed(List::kBdc); });
    connect(bdc_, &QComboBox::activated, this, [this](int index) { panel_.OnListSelected(List::kBdc, index); });
    layout->addWidget(group);

    auto* tips = new QGroupBox("TIPS", this);
    auto* tipsGrid = new QGridLayout(tips);
    tipsGrid->setContentsMargins(6, 4, 6, 4);
    tipsGain_ = new QLineEdit(tips);
    tipsGain_->setObjectName("TipsGain");
    tipsGain_->setAlignment(Qt::AlignRight);
    tipsGain_->setMaximumWidth(tipsGain_->fontMetrics().horizontalAdvance("000000") + 14);
    symmetry_ = new QLineEdit(tips);
    symmetry_->setObjectName("Symmetry");
    symmetry_->setAlignment(Qt::AlignRight);
    symmetry_->setMaximumWidth(symmetry_->fontMetrics().horizontalAdvance("-0000000") + 14);
    tipsGrid->addWidget(new QLabel("TIPS GAIN", tips), 0, 0);
    tipsGrid->addWidget(tipsGain_, 0, 1);
    tipsGrid->addWidget(new QLabel("SYMMETRY", tips), 0, 2);
    tipsGrid->addWidget(symmetry_, 0, 3);
    tipsGrid->setColumnStretch(4, 1);
    connect(tipsGain_, &QLineEdit::editingFinished, this, [this] {
      bool ok = false;
      const long long gain = tipsGain_->text().trimmed().toLongLong(&ok);
      panel_.OnTipsGainTyped(ok ? gain : 0);
      ShowValues();
    });
    connect(symmetry_, &QLineEdit::textEdited, this, [this](const QString& text) {
      if (panel_.OnSymmetryText(text.toStdString())) SetText(symmetry_, Text(panel_.SymmetryText()));
    });
    layout->addWidget(tips);
  }
  layout->addStretch(1);
  ShowValues();
}

QSpinBox* CShaperView::TimeSpin(int field) const { return times_[static_cast<std::size_t>(field & 3)]; }
QSpinBox* CShaperView::ThresholdSpin(bool slow) const { return thresholds_[slow ? 0 : 1]; }
QSpinBox* CShaperView::FactorSpin() const { return factor_; }

void CShaperView::ShowValues() {
  for (int i = 0; i < 4; ++i) {
    const auto field = static_cast<ShaperPanel::TimeField>(i);
    SetValue(times_[static_cast<std::size_t>(i)], panel_.Time(field));
    SetText(timesUs_[static_cast<std::size_t>(i)], Text(panel_.TimeUsText(field)));
  }
  SetValue(longTc_, panel_.LongTc());
  SetValue(shortTc_, panel_.ShortTc());
  SetText(longTcUs_, Text(panel_.LongTcUsText()));
  SetText(shortTcUs_, Text(panel_.ShortTcUsText()));

  SetValue(thresholds_[0], panel_.ThresholdSlow());
  SetValue(thresholds_[1], panel_.ThresholdFast());
  const bool autoShown[2] = {panel_.SlowAutoShown(), panel_.FastAutoShown()};
  for (std::size_t row = 0; row < 2; ++row) {
    margins_[row]->setVisible(autoShown[row]);
    marginX_[row]->setVisible(autoShown[row]);
    if (!panel_.ListOpen(row == 0 ? List::kSlowMargin : List::kFastMargin))
      SetIndex(margins_[row], panel_.MarginIndex(row == 0 ? List::kSlowMargin : List::kFastMargin));
  }
  marginCaption_->setVisible(panel_.AutoMarginCaptionShown());
  SetText(estimates_[0], Text(panel_.EstimatedSlowText()));
  SetText(estimates_[1], Text(panel_.EstimatedFastText()));

  SetValue(blrSlow_, panel_.BlrSlow());
  SetValue(blrFast_, panel_.BlrFast());
  SetChecked(slowSym_, panel_.SlowSym());
  SetChecked(acc_, panel_.Acc());
  SetChecked(fastSym_, panel_.FastSym());
  SetChecked(pileUpOn_, panel_.PileUpOn());
  SetChecked(enhanced_, panel_.Enhanced());

  SetChecked(auto_, panel_.AutoNormalisation());
  SetChecked(fine_, panel_.Fine());
  SetValue(factor_, static_cast<int>(std::min<std::uint32_t>(panel_.Factor(), kFactorMax)));
  factor_->setEnabled(panel_.FactorEditable());
  fine_->setEnabled(panel_.FineAndBdcUsable());
  bdc_->setEnabled(panel_.FineAndBdcUsable());
  if (!panel_.ListOpen(List::kBdc)) SetIndex(bdc_, panel_.MarginIndex(List::kBdc));

  if (!tipsGain_->hasFocus()) SetText(tipsGain_, QString::number(panel_.TipsGain()));
  if (!symmetry_->hasFocus()) SetText(symmetry_, Text(panel_.SymmetryText()));
}

}  // namespace mirvo
