// Message boxes as the core asks for them: the GUI shows them modally with the exact texts, the
// tests script and record them.
#pragma once

#include <string>

namespace mirvo {

enum class MessageIcon { None, Information, Warning, Stop };

class IUserDialog {
 public:
  virtual ~IUserDialog() = default;
  // A message box with an OK button; an empty caption means the program's name.
  virtual void ShowMessage(const std::string& text, const std::string& caption = "",
                           MessageIcon icon = MessageIcon::Warning) = 0;
  // A question with OK and Cancel; true for OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption = "",
                           MessageIcon icon = MessageIcon::Warning) = 0;
};

}  // namespace mirvo
