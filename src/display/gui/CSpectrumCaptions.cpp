#include "display/gui/CSpectrumCaptions.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "display/RecordSets.h"
#include "records/Captions.h"

namespace mirvo {

CSpectrumCaptions::CSpectrumCaptions(RecordSets& sets, QWidget* parent) : QDialog(parent), sets_(sets) {
  setObjectName("SpectrumCaptionsDialog");
  setWindowTitle("SPECTRUM WINDOW CAPTIONS");
  auto* form = new QFormLayout;
  const std::array<std::string, 4> captions = sets.BufferCaptions();
  for (int k = 0; k < 4; ++k) {
    auto* edit = new QLineEdit(QString::fromStdString(captions[static_cast<std::size_t>(k)]), this);
    edit->setObjectName(QString("CaptionS%1").arg(k));
    // Room for a caption of the full 36 characters in capitals, as the default captions are written.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(36, QChar('N'))) + 12);
    form->addRow(QString("S%1").arg(k), edit);
    edits_[static_cast<std::size_t>(k)] = edit;
  }
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QDialogButtonBox::Ok);
  cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
  default_ = buttons->addButton("Default", QDialogButtonBox::ResetRole);
  default_->setObjectName("CaptionsDefault");
  connect(buttons, &QDialogButtonBox::accepted, this, &CSpectrumCaptions::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(default_, &QPushButton::clicked, this, [this] {
    for (std::size_t k = 0; k < 4; ++k) edits_[k]->setText(kDefaultCaptions[k]);
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void CSpectrumCaptions::accept() {
  std::array<std::string, 4> captions;
  for (std::size_t k = 0; k < 4; ++k) captions[k] = edits_[k]->text().toStdString();
  sets_.ApplyCaptions(captions);
  QDialog::accept();
}

}  // namespace mirvo
