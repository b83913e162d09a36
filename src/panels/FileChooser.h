// The open and save file dialogs as the core asks for them: a title, a filter in the
// "Description|patterns|...||" form and a default extension. The GUI shows the platform's dialog,
// the command-line tool and the tests answer with a path of their own.
#pragma once

#include <string>
#include <vector>

namespace mirvo {

struct FileDialogRequest {
  bool save = false;              // a save dialog (the caller asks the overwrite question itself)
  std::string title;
  std::string filter;             // "Register Files (*.rgv)|*.rgv|All Files (*.*)|*.*||"
  std::string defaultExtension;   // without the dot; empty for none
};

class IFileChooser {
 public:
  virtual ~IFileChooser() = default;
  // True with the chosen path; false when the user cancelled.
  virtual bool ChooseFile(const FileDialogRequest& request, std::string& chosen) = 0;
};

// One entry of a dialog filter: the text the user sees and its patterns separated by ';'.
struct FileFilterEntry {
  std::string description;
  std::string patterns;
  bool operator==(const FileFilterEntry&) const = default;
};
// The entries of a "Description|patterns|...||" filter, in order; a trailing entry without
// patterns is dropped.
std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter);

}  // namespace mirvo
