// Message boxes for the core's IUserDialog on the desktop: modal QMessageBoxes with the exact texts,
// the program's name as the caption when none is given, and the icon the core asks for.
#pragma once

#include <QString>

#include "display/UserDialog.h"

class QWidget;

namespace mirvo {

class QtUserDialog final : public IUserDialog {
 public:
  static constexpr const char* kProgramName = "mirvo-PSD";

  // The boxes are modal over `parent` (the main window); parent may be null.
  explicit QtUserDialog(QWidget* parent = nullptr) : parent_(parent) {}

  void ShowMessage(const std::string& text, const std::string& caption = "",
                   MessageIcon icon = MessageIcon::Warning) override;
  bool AskOkCancel(const std::string& text, const std::string& caption = "",
                   MessageIcon icon = MessageIcon::Warning) override;

 private:
  QWidget* parent_;
};

}  // namespace mirvo
