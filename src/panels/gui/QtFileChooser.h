// The core's file dialogs (IFileChooser) on the desktop: QFileDialog with the title, the filter
// entries and the default extension asked for; the overwrite question stays the core's.
#pragma once

#include <QString>

#include "panels/FileChooser.h"

class QWidget;

namespace mirvo {

class QtFileChooser final : public IFileChooser {
 public:
  explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  bool ChooseFile(const FileDialogRequest& request, std::string& chosen) override;
  // The filter in QFileDialog's form ("Description (patterns);;..."); "*.*" matches every file.
  static QString QtFilter(const std::string& filter);

 private:
  QWidget* parent_;
  QString folder_;  // the folder of the last file chosen
};

}  // namespace mirvo
