#include "display/gui/QtUserDialog.h"

#include <QMessageBox>

namespace mirvo {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Texts may carry file paths, which are UTF-8 here.
QString FromText(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

int Run(QWidget* parent, const std::string& text, const std::string& caption, MessageIcon icon,
        QMessageBox::StandardButtons buttons) {
  QMessageBox box(ToQt(icon), caption.empty() ? QString(QtUserDialog::kProgramName) : FromText(caption),
                  FromText(text), buttons, parent);
  box.setObjectName("UserDialogMessage");
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec();
}

}  // namespace

void QtUserDialog::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  Run(parent_, text, caption, icon, QMessageBox::Ok);
}

bool QtUserDialog::AskOkCancel(const std::string& text, const std::string& caption, MessageIcon icon) {
  return Run(parent_, text, caption, icon, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace mirvo
