// The FOLDER button's picker on the desktop: a modal folder chooser with the title and start folder
// the logger asks for.
#pragma once

#include "acquisition/SpectrumLogger.h"

class QWidget;

namespace mirvo {

class QtFolderChooser final : public IFolderChooser {
 public:
  explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}
  bool ChooseFolder(const std::string& title, const std::string& startFolder, std::string& chosen) override;

 private:
  QWidget* parent_;
};

}  // namespace mirvo
