// The "SPECTRUM WINDOW CAPTIONS" dialog: edits the captions of the four BUFFER records; OK applies
// them (cut to 36 characters) and retitles the panes, Default fills in the default captions.
#pragma once

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;

namespace mirvo {

class RecordSets;

class CSpectrumCaptions final : public QDialog {
  Q_OBJECT
 public:
  explicit CSpectrumCaptions(RecordSets& sets, QWidget* parent = nullptr);

  QLineEdit* CaptionEdit(int spectrum) const { return edits_[static_cast<std::size_t>(spectrum & 3)]; }
  QPushButton* DefaultButton() const { return default_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void accept() override;

 private:
  RecordSets& sets_;
  std::array<QLineEdit*, 4> edits_{};
  QPushButton* default_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace mirvo
