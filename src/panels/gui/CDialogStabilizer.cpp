#include "panels/gui/CDialogStabilizer.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "panels/gui/StabilizerPicture.h"

namespace mirvo {

CDialogStabilizer::CDialogStabilizer(StabilizerSettings& settings, std::function<StabilizerPeak()> peak,
                                     QWidget* parent)
    : QDialog(parent), settings_(settings), peak_(std::move(peak)) {
  setObjectName(QStringLiteral("DialogStabilizer"));
  setWindowTitle(QString::fromLatin1(kStabilizerTitle));
  setModal(false);

  auto* windows = new QGroupBox(QStringLiteral("Stabilizer windows"), this);
  auto* grid = new QGridLayout(windows);
  grid->addWidget(new StabilizerPicture(StabilizerPicture::Kind::kWindows, windows), 0, 0, 1, 4);
  // Edit positions: left lower 0x40, left upper 0x41, right upper 0x42, right lower 0x43.
  const char* captions[4] = {"C-2w", "C-w", "C+w", "C+2w"};
  const int rows[4] = {2, 1, 1, 2};
  const int columns[4] = {0, 0, 2, 2};
  for (int k = 0; k < 4; ++k) {
    auto* edit = new QLineEdit(windows);
    edit->setObjectName(QStringLiteral("StabilizerEdge%1").arg(k));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaxLength(8);
    edits_[static_cast<std::size_t>(k)] = edit;
    grid->addWidget(new QLabel(QString::fromLatin1(captions[k]), windows), rows[k], columns[k]);
    grid->addWidget(edit, rows[k], columns[k] + 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  auto* recommended = new QGroupBox(QStringLiteral("Recommended placement"), this);
  auto* right = new QVBoxLayout(recommended);
  right->addWidget(new StabilizerPicture(StabilizerPicture::Kind::kRecommended, recommended), 1);
  recommend_ = new QPushButton(QString::fromLatin1(kRecommendButtonText), recommended);
  right->addWidget(recommend_);

  auto* pictures = new QHBoxLayout;
  pictures->addWidget(windows, 1);
  pictures->addWidget(recommended, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pictures, 1);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogStabilizer::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDialogStabilizer::reject);
  connect(recommend_, &QPushButton::clicked, this, [this] {
    TakeTexts();
    settings_.Recommend(peak_());
    ShowTexts();
  });
  settings_.Open();
  ShowTexts();
}

void CDialogStabilizer::ShowTexts() {
  for (std::size_t k = 0; k < 4; ++k) edits_[k]->setText(QString::fromStdString(settings_.Texts()[k]));
}

void CDialogStabilizer::TakeTexts() {
  for (std::size_t k = 0; k < 4; ++k) settings_.SetText(static_cast<int>(k), edits_[k]->text().toStdString());
}

void CDialogStabilizer::accept() {
  TakeTexts();
  if (settings_.Ok()) QDialog::accept();
}

}  // namespace mirvo
