#include "panels/gui/CPSDView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "acquisition/gui/CAcquisitionView.h"
#include "panels/PulseShapePanel.h"

namespace mirvo {
namespace {

using End = PulseShapePanel::End;

constexpr const char* kGroupCaptions[4] = {"Pule-Height for TIPS", "TIPS Range for S1", "TIPS Range for S2",
                                           "TIPS Range  for S3"};

void SetValue(QSpinBox* spin, int value) {
  const QSignalBlocker block(spin);
  if (spin->value() != value) spin->setValue(value);
}

QPushButton* Button(const QString& text, QWidget* parent, const QString& name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

CPSDView::CPSDView(PulseShapePanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
  setObjectName(QStringLiteral("PSDView"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(6);
  for (int w = 0; w < PulseShapePanel::kWindows; ++w) {
    const bool height = w == 0;
    const QString suffix = height ? QStringLiteral("Height") : QStringLiteral("S%1").arg(w);
    auto* group = new QGroupBox(kGroupCaptions[w], this);
    group->setObjectName("Group" + suffix);
    groups_[static_cast<std::size_t>(w)] = group;
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    auto* from = new AcceleratingSpinBox(group);
    auto* to = new AcceleratingSpinBox(group);
    from->setObjectName("From" + suffix);
    to->setObjectName("To" + suffix);
    for (QSpinBox* spin : {static_cast<QSpinBox*>(from), static_cast<QSpinBox*>(to)}) {
      spin->setRange(0, 4095);
      spin->setKeyboardTracking(false);
      spin->setAlignment(Qt::AlignRight);
      spin->setMinimumWidth(spin->fontMetrics().horizontalAdvance("0000") + 36);
    }
    from_[static_cast<std::size_t>(w)] = from;
    to_[static_cast<std::size_t>(w)] = to;
    const QString source = height ? "S1" : "TIPS";
    roi_[static_cast<std::size_t>(w)] = Button(source + ":ROI", group, "Roi" + suffix);
    all_[static_cast<std::size_t>(w)] = Button("ALL", group, "All" + suffix);
    auto* mark = Button("MARK BACK " + source + ":ROI", group, "MarkBack" + suffix);
    auto* erase = Button("ERASE ALL ROI in " + source, group, "Erase" + suffix);

    grid->addWidget(new QLabel(height ? "FROM [chn]" : "TIPS:FROM", group), 0, 0);
    grid->addWidget(from, 0, 1);
    grid->addWidget(new QLabel(height ? "TO [chn]" : "TIPS:TO", group), 1, 0);
    grid->addWidget(to, 1, 1);
    int column = 2;
    if (height) {
      calibratedFrom_ = new QLineEdit(group);
      calibratedTo_ = new QLineEdit(group);
      for (QLineEdit* edit : {calibratedFrom_, calibratedTo_}) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("0000.00") + 10);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("00000.00") + 16);
      }
      calibratedFrom_->setObjectName("CalibratedFrom");
      calibratedTo_->setObjectName("CalibratedTo");
      units_ = new QLabel("[chn]", group);
      units_->setObjectName("UnitsCaption");
      units_->setMinimumWidth(units_->fontMetrics().horizontalAdvance("[Volt]") + 4);
      grid->addWidget(calibratedFrom_, 0, 2);
      grid->addWidget(calibratedTo_, 1, 2);
      grid->addWidget(units_, 2, 2, Qt::AlignHCenter);
      column = 3;
    }
    const int below = height ? 3 : 2;
    grid->addWidget(roi_[static_cast<std::size_t>(w)], 0, column);
    grid->addWidget(all_[static_cast<std::size_t>(w)], 1, column);
    grid->addWidget(mark, below, 0, 1, column + 1);
    grid->addWidget(erase, below + 1, 0, 1, column + 1);
    grid->setColumnStretch(column + 1, 1);
    layout->addWidget(group);

    connect(from, &QSpinBox::valueChanged, this, [this, w, from](int v) {
      SetValue(from, panel_.OnTyped(w, End::kFrom, v));
    });
    connect(to, &QSpinBox::valueChanged, this, [this, w, to](int v) { SetValue(to, panel_.OnTyped(w, End::kTo, v)); });
    connect(roi_[static_cast<std::size_t>(w)], &QPushButton::clicked, this, [this, w] { panel_.OnFromRoi(w); });
    connect(all_[static_cast<std::size_t>(w)], &QPushButton::clicked, this, [this, w] { panel_.OnAll(w); });
    connect(mark, &QPushButton::clicked, this, [this, w] { panel_.OnMarkBack(w); });
    connect(erase, &QPushButton::clicked, this, [this, w] { panel_.OnEraseAll(w); });
  }
  layout->addStretch(1);
  ShowValues();
}

void CPSDView::ShowValues() {
  for (int w = 0; w < PulseShapePanel::kWindows; ++w) {
    SetValue(from_[static_cast<std::size_t>(w)], panel_.From(w));
    SetValue(to_[static_cast<std::size_t>(w)], panel_.To(w));
  }
  calibratedFrom_->setText(QString::fromStdString(panel_.CalibratedFromText()));
  calibratedTo_->setText(QString::fromStdString(panel_.CalibratedToText()));
  units_->setText(QString::fromStdString(panel_.UnitsCaption()));
}

void CPSDView::UpdateEnabling() {
  const bool enabled = panel_.RoiButtonsEnabled();
  for (std::size_t w = 0; w < roi_.size(); ++w) {
    roi_[w]->setEnabled(enabled);
    all_[w]->setEnabled(enabled);
  }
}

}  // namespace mirvo
