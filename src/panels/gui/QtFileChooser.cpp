#include "panels/gui/QtFileChooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace mirvo {

QString QtFileChooser::QtFilter(const std::string& filter) {
  QStringList entries;
  for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
    QString description = QString::fromStdString(entry.description);
    QString patterns = QString::fromStdString(entry.patterns).replace(';', ' ');
    if (patterns == "*.*") patterns = "*";
    // QFileDialog reads the patterns from the last parentheses of an entry.
    const qsizetype open = description.lastIndexOf('(');
    if (open > 0 && description.endsWith(')')) description = description.left(open).trimmed();
    entries << QString("%1 (%2)").arg(description, patterns);
  }
  return entries.join(";;");
}

bool QtFileChooser::ChooseFile(const FileDialogRequest& request, std::string& chosen) {
  QFileDialog dialog(parent_, QString::fromStdString(request.title), folder_, QtFilter(request.filter));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString path = dialog.selectedFiles().first();
  folder_ = QFileInfo(path).absolutePath();
  chosen = path.toStdString();
  return true;
}

}  // namespace mirvo
