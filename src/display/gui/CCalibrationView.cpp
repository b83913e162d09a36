#include "display/gui/CCalibrationView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "display/RecordSets.h"
#include "display/gui/CSpectrumInfoView.h"
#include "records/CalibrationRecord.h"

namespace mirvo {

namespace {

QLineEdit* MakeEdit(const QString& objectName, QWidget* parent, const QString& placeholder) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(objectName);
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit->setPlaceholderText(placeholder);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("0000.0000") + 12);
  return edit;
}

bool SameRows(const std::vector<CalibrationRow>& a, const std::vector<CalibrationRow>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].channelText != b[i].channelText || a[i].energyText != b[i].energyText || a[i].ticked != b[i].ticked)
      return false;
  return true;
}

}  // namespace

CCalibrationView::CCalibrationView(RecordSets& sets, IUserDialog& dialog, CSpectrumInfoView* info, QWidget* parent)
    : QWidget(parent), info_(info), panel_(sets, dialog, info != nullptr ? &info->Info() : nullptr) {
  setObjectName("CalibrationView");
  BuildForm();
  panel_.Initialise();
  if (info != nullptr) {
    connect(info, &CSpectrumInfoView::CalClicked, this, &CCalibrationView::OnEnableClicked);
    connect(info, &CSpectrumInfoView::FomPeakClicked, this, [this](int n) { Run([this, n] { panel_.FomPeak(n); }); });
  }
  Refresh();
}

CCalibrationView::~CCalibrationView() { points_->removeEventFilter(this); }

template <typename Action>
void CCalibrationView::Run(Action action) {
  action();
  Refresh();
  if (info_) info_->Refresh();
}

void CCalibrationView::BuildForm() {
  // The form scrolls inside its pane, so that a short pane on a small screen keeps every control.
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("CalibrationScroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  outer->addWidget(scroll);
  auto* form = new QWidget(scroll);
  form->setObjectName("CalibrationForm");
  scroll->setWidget(form);
  auto* column = new QVBoxLayout(form);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);

  const auto button = [this](const QString& text, const QString& objectName, QWidget* parent, auto slot) {
    QPushButton* b = MakeButton(text, objectName, parent);
    connect(b, &QPushButton::clicked, this, [this, slot] { Run(slot); });
    return b;
  };

  // ENABLE CALIBRATION; CHANNEL with PEAK and CURSOR; ENERGY with the unit and ADD POINT.
  auto* entry = new QGridLayout;
  entry->setHorizontalSpacing(4);
  entry->setVerticalSpacing(3);
  enable_ = new QCheckBox("ENABLE CALIBRATION", form);
  enable_->setObjectName("CalEnable");
  connect(enable_, &QCheckBox::clicked, this, &CCalibrationView::OnEnableClicked);
  entry->addWidget(enable_, 0, 0, 1, 4, Qt::AlignLeft);
  channel_ = MakeEdit("CalChannel", form, "channel");
  connect(channel_, &QLineEdit::textEdited, this, [this](const QString& text) { panel_.SetChannelText(text.toStdString()); });
  entry->addWidget(new QLabel("CHANNEL", form), 1, 0);
  entry->addWidget(channel_, 1, 1);
  entry->addWidget(button("PEAK", "CalPeak", form, [this] { panel_.Peak(); }), 1, 2);
  entry->addWidget(button("CURSOR", "CalCursor", form, [this] { panel_.Cursor(); }), 1, 3);
  energy_ = MakeEdit("CalEnergy", form, "energy");
  connect(energy_, &QLineEdit::textEdited, this, [this](const QString& text) { panel_.SetEnergyText(text.toStdString()); });
  unit_ = new QComboBox(form);
  unit_->setObjectName("CalUnit");
  for (const char* name : kUnitNames) unit_->addItem(QString::fromLatin1(name));
  connect(unit_, &QComboBox::activated, this, [this](int index) { Run([this, index] { panel_.SelectUnit(index); }); });
  entry->addWidget(new QLabel("ENERGY", form), 2, 0);
  entry->addWidget(energy_, 2, 1);
  entry->addWidget(unit_, 2, 2);
  entry->addWidget(button("ADD POINT", "CalAddPoint", form, [this] { panel_.AddPoint(); }), 2, 3);
  entry->setColumnStretch(1, 1);
  column->addLayout(entry);

  // CALIBRATION POINTS: Channel and Energy, half the width each, a tick box per row.
  QGroupBox* list = new QGroupBox("CALIBRATION POINTS", form);
  auto* listGrid = new QGridLayout(list);
  listGrid->setContentsMargins(6, 4, 6, 4);
  listGrid->setSpacing(3);
  points_ = new QTreeWidget(list);
  points_->setObjectName("CalPoints");
  points_->setColumnCount(2);
  points_->setHeaderLabels({"Channel", "Energy"});
  points_->setRootIsDecorated(false);
  points_->setUniformRowHeights(true);
  points_->setSelectionMode(QAbstractItemView::SingleSelection);
  points_->header()->setSectionResizeMode(QHeaderView::Stretch);
  points_->header()->setStretchLastSection(true);
  points_->setMinimumHeight(points_->fontMetrics().height() * 7);
  points_->installEventFilter(this);
  connect(points_, &QTreeWidget::itemChanged, this, [this] { OnPointTicked(); });
  listGrid->addWidget(points_, 0, 0, 1, 2);
  listGrid->addWidget(button("Edit Selected Points", "CalEditSelected", list, [this] { panel_.EditSelectedPoints(); }), 1, 0);
  listGrid->addWidget(button("Remove Selected Points", "CalRemoveSelected", list, [this] { panel_.RemoveSelectedPoints(); }),
                      1, 1);
  listGrid->addWidget(button("Remove All Points", "CalRemoveAll", list, [this] { panel_.RemoveAllPoints(); }), 2, 1);
  column->addWidget(list, 1);

  // The formula, and the coefficients beside the two fits under a caption that tells the state.
  coefficients_ = new QGroupBox(form);
  coefficients_->setObjectName("CalCoefficients");
  auto* fitGrid = new QGridLayout(coefficients_);
  fitGrid->setContentsMargins(6, 4, 6, 4);
  fitGrid->setHorizontalSpacing(8);
  fitGrid->setVerticalSpacing(3);
  auto* formula = new QLabel("EN = a\u00B7CH<sup>2</sup> + b\u00B7CH + c", coefficients_);
  formula->setObjectName("CalFormula");
  formula->setTextFormat(Qt::RichText);
  fitGrid->addWidget(formula, 0, 0, 1, 2);
  for (std::size_t i = 0; i < coefficientTexts_.size(); ++i) {
    coefficientTexts_[i] = new QLabel(coefficients_);
    coefficientTexts_[i]->setObjectName(QString("CalCoefficient%1").arg(QChar('A' + static_cast<int>(i))));
    coefficientTexts_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fitGrid->addWidget(coefficientTexts_[i], static_cast<int>(i) + 1, 0);
  }
  fitGrid->addWidget(button("Calibrate with Selected Points", "CalCalibrateSelected", coefficients_,
                            [this] { panel_.Calibrate(false); }),
                     1, 1);
  fitGrid->addWidget(button("Calibrate with All Points", "CalCalibrateAll", coefficients_, [this] { panel_.Calibrate(true); }),
                     2, 1);
  fitGrid->setColumnStretch(0, 1);
  column->addWidget(coefficients_);

  // FOM SETTINGS: per peak, the first channel above PEAK n and the last channel above MARK n.
  QGroupBox* fom = new QGroupBox("FOM SETTINGS", form);
  auto* fomGrid = new QGridLayout(fom);
  fomGrid->setContentsMargins(6, 4, 6, 4);
  fomGrid->setHorizontalSpacing(4);
  fomGrid->setVerticalSpacing(3);
  for (int n = 1; n <= 2; ++n) {
    const int left = (n - 1) * 2;
    for (int end = 0; end < 2; ++end) {
      const auto index = static_cast<std::size_t>(left + end);
      QLineEdit* edit = MakeEdit(QString("CalFom%1%2").arg(end == 0 ? "First" : "Last").arg(n), fom,
                                 end == 0 ? "first" : "last");
      edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("0000") + 12);
      connect(edit, &QLineEdit::textEdited, this,
              [this, index](const QString& text) { panel_.SetFomText(static_cast<int>(index), text.toStdString()); });
      fomEdits_[index] = edit;
      fomGrid->addWidget(edit, 0, left + end);
    }
    fomGrid->addWidget(button(QString("PEAK %1").arg(n), QString("CalFomPeak%1").arg(n), fom, [this, n] { panel_.FomPeak(n); }),
                       1, left);
    fomGrid->addWidget(button(QString("MARK %1").arg(n), QString("CalFomMark%1").arg(n), fom, [this, n] { panel_.FomMark(n); }),
                       1, left + 1);
  }
  column->addWidget(fom);
}

void CCalibrationView::OnEnableClicked(bool checked) {
  Run([this, checked] { panel_.SetEnabled(checked); });
}

void CCalibrationView::OnPointTicked() {
  for (int row = 0; row < points_->topLevelItemCount(); ++row) {
    const bool ticked = points_->topLevelItem(row)->checkState(0) == Qt::Checked;
    panel_.SetRowTicked(row, ticked);
    if (static_cast<std::size_t>(row) < shownRows_.size()) shownRows_[static_cast<std::size_t>(row)].ticked = ticked;
  }
}

bool CCalibrationView::eventFilter(QObject* watched, QEvent* event) {
  // Leaving the list captures changed ticks in the records.
  if (watched == points_ && event->type() == QEvent::FocusOut) Run([this] { panel_.ListLostFocus(); });
  return QWidget::eventFilter(watched, event);
}

void CCalibrationView::ShowRows() {
  const std::vector<CalibrationRow>& rows = panel_.Rows();
  if (SameRows(rows, shownRows_)) return;
  const QSignalBlocker blocker(points_);
  points_->clear();
  for (const CalibrationRow& row : rows) {
    auto* item = new QTreeWidgetItem(points_, {QString::fromStdString(row.channelText).trimmed(),
                                               QString::fromStdString(row.energyText).trimmed()});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  }
  shownRows_ = rows;
}

void CCalibrationView::Refresh() {
  if (enable_->isChecked() != panel_.EnableChecked()) enable_->setChecked(panel_.EnableChecked());
  ShowText(channel_, panel_.ChannelText());
  ShowText(energy_, panel_.EnergyText());
  if (unit_->currentIndex() != panel_.UnitIndex()) unit_->setCurrentIndex(panel_.UnitIndex());
  ShowRows();
  const QString caption = QString::fromStdString(panel_.GroupCaption());
  if (coefficients_->title() != caption) coefficients_->setTitle(caption);
  for (std::size_t i = 0; i < coefficientTexts_.size(); ++i) {
    const QString text = QString::fromStdString(panel_.CoefficientTexts()[i]);
    if (coefficientTexts_[i]->text() != text) coefficientTexts_[i]->setText(text);
  }
  for (std::size_t i = 0; i < fomEdits_.size(); ++i) ShowText(fomEdits_[i], panel_.FomTexts()[i]);
}

void CCalibrationView::Reload(SpectrumPlot& plot) {
  panel_.Reload(plot);
  Refresh();
  if (info_) info_->Refresh();
}

}  // namespace mirvo
