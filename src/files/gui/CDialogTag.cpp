#include "files/gui/CDialogTag.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mirvo {

CDialogTag::CDialogTag(QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)), ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QString::fromLatin1(kObjectName));
  setWindowTitle(QStringLiteral("Spectrum Tag"));
  edit_->setMaxLength(static_cast<int>(kMaxTagLength));
  edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * 60);
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Tag:"), this));
  layout->addWidget(edit_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CDialogTag::Prepare(const std::string& tag) {
  edit_->setText(QString::fromLocal8Bit(tag.c_str()));
  edit_->selectAll();
  edit_->setFocus();
}

std::string CDialogTag::Text() const { return edit_->text().toLocal8Bit().toStdString(); }

bool CDialogTag::EditTag(std::string& tag) {
  Prepare(tag);
  if (exec() != QDialog::Accepted) return false;
  tag = Text();
  return true;
}

}  // namespace mirvo
