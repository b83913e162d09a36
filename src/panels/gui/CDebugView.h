// The register debugger's form (pane "Debug"): the register list, the value as hexadecimal and
// decimal edits and as 16 bit buttons (bit 15 on the left), READ, WRITE, AUTO READ, AUTO WRITE,
// LOAD FILE and SAVE FILE. It shows the panel's fields and forwards the user's actions.
#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace mirvo {

class RegisterDebuggerPanel;

class CDebugView : public QWidget {
  Q_OBJECT
 public:
  explicit CDebugView(RegisterDebuggerPanel& panel, QWidget* parent = nullptr);
  void ShowValues();

  QComboBox* RegisterList() const { return registers_; }
  QLineEdit* HexEdit() const { return hex_; }
  QLineEdit* DecEdit() const { return dec_; }
  QPushButton* BitButton(int bit) const { return bits_[static_cast<std::size_t>(bit & 15)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  RegisterDebuggerPanel& panel_;
  QComboBox* registers_ = nullptr;
  QLineEdit* hex_ = nullptr;
  QLineEdit* dec_ = nullptr;
  std::array<QPushButton*, 16> bits_{};  // [bit]
  QCheckBox* autoRead_ = nullptr;
  QCheckBox* autoWrite_ = nullptr;
};

}  // namespace mirvo
