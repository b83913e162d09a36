#include "acquisition/gui/QtFolderChooser.h"

#include <QFileDialog>

namespace mirvo {

bool QtFolderChooser::ChooseFolder(const std::string& title, const std::string& startFolder, std::string& chosen) {
  const QString folder = QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title),
                                                           QString::fromStdString(startFolder));
  if (folder.isEmpty()) return false;
  chosen = folder.toStdString();
  return true;
}

}  // namespace mirvo
