// The "Spectrum Tag" dialog of Save Spectrum As and the CSV exports: one edit of at most 100
// characters, pre-filled with the settings record's tag, with OK and Cancel.
#pragma once

#include <QDialog>

#include "files/SpectrumFileCommands.h"

class QLineEdit;
class QPushButton;

namespace mirvo {

class CDialogTag final : public QDialog, public ITagDialog {
  Q_OBJECT
 public:
  static constexpr const char* kObjectName = "SpectrumTagDialog";

  explicit CDialogTag(QWidget* parent = nullptr);

  // Runs the dialog modally; OK puts the edit's text into `tag`.
  bool EditTag(std::string& tag) override;
  // The start of EditTag without the modal loop.
  void Prepare(const std::string& tag);
  std::string Text() const;

  QLineEdit* TagEdit() const { return edit_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QLineEdit* edit_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace mirvo
