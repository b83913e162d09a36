// The ADJUST COLORS dialog: picks S0..S3 or ALL plots of the shown record set, changes their
// background, spectrum, ROI, cursor and background-overlay colours at once, and previews a sample
// spectrum in them.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "display/ColourTargets.h"

class QPushButton;
class QRadioButton;

namespace mirvo {

class RecordSets;
class ColourPreview;

class CColorDlg final : public QDialog {
  Q_OBJECT
 public:
  // Asks the user for a colour; an invalid colour means the chooser was cancelled.
  using ColourChooser = std::function<QColor(const QColor& initial, const QString& title, QWidget* parent)>;

  explicit CColorDlg(RecordSets& sets, QWidget* parent = nullptr);
  ~CColorDlg() override;
  // Replaces the standard colour chooser (tests script it).
  void SetColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }

  int Target() const { return target_; }
  QRadioButton* TargetButton(int target) const;
  QPushButton* ColourButton(ColourRole role) const;
  QPushButton* DefaultButton() const { return default_; }
  QWidget* Preview() const;

 signals:
  // Colours of the target plots changed; they repaint in full at their next redraw.
  void ColoursChanged();

 private:
  void ChooseColour(ColourRole role);
  void RestoreDefaults();
  void ShowTargetColours();

  RecordSets& sets_;
  ColourChooser chooser_;
  int target_ = 0;
  std::array<QRadioButton*, 5> targets_{};
  std::array<QPushButton*, 5> colourButtons_{};
  QPushButton* default_;
  ColourPreview* preview_;
};

}  // namespace mirvo
