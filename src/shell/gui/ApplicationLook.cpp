#include "shell/gui/ApplicationLook.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>

#include "shell/Commands.h"

namespace mirvo {
namespace {

// A grey between two colours (weight of `a` in 0..1): disabled texts are grey, never a tint that
// could pass for the highlight or for an enabled control.
QColor GreyBetween(const QColor& a, const QColor& b, double weightOfA) {
  const int lightness = static_cast<int>(a.lightness() * weightOfA + b.lightness() * (1.0 - weightOfA));
  return QColor::fromHsl(0, 0, std::clamp(lightness, 0, 255));
}

QPalette MakePalette(QColor window, QColor base, QColor text, QColor button, QColor highlight) {
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window.lighter(110));
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, button);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Highlight, highlight);
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, highlight.lighter(130));
  // The 3-D shades of the bevelled styles follow the button colour.
  p.setColor(QPalette::Light, button.lighter(150));
  p.setColor(QPalette::Midlight, button.lighter(115));
  p.setColor(QPalette::Mid, button.darker(130));
  p.setColor(QPalette::Dark, button.darker(200));
  p.setColor(QPalette::Shadow, button.darker(300));
  // Disabled: grey text halfway to the background, and edit fields that take the window colour,
  // so that nothing disabled looks editable or pressable.
  const QColor disabledText = GreyBetween(text, window, 0.45);
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText, QPalette::ToolTipText})
    p.setColor(QPalette::Disabled, role, disabledText);
  p.setColor(QPalette::Disabled, QPalette::Base, window);
  p.setColor(QPalette::Disabled, QPalette::Button, window);
  p.setColor(QPalette::Disabled, QPalette::Highlight, GreyBetween(highlight, window, 0.5));
  p.setColor(QPalette::Disabled, QPalette::Light, window);
  return p;
}

}  // namespace

QString ApplicationLookName(int command) {
  static const char* names[] = {"Style 1", "Style 2", "Style 3", "Style 4", "Style 5",
                                "Blue",    "Black",   "Silver",  "Aqua"};
  if (command < cmd::kLookFirst || command > cmd::kLookLast) return {};
  return names[command - cmd::kLookFirst];
}

bool ApplyApplicationLook(int command) {
  const int index = command - cmd::kLookFirst;
  if (index < 0 || index > 8) return false;
  QStyle* style = QStyleFactory::create(index == 1 ? "Windows" : "Fusion");
  if (style == nullptr) style = QStyleFactory::create("Fusion");
  QApplication::setStyle(style);
  QPalette palette;
  switch (index) {
    case 0: palette = QApplication::style()->standardPalette(); break;                                  // Style 1
    case 1: palette = MakePalette("#d4d0c8", Qt::white, Qt::black, "#d4d0c8", "#0a246a"); break;        // Style 2
    case 2: palette = MakePalette("#ececec", Qt::white, "#202020", "#f4f4f4", "#3d7fc1"); break;        // Style 3
    case 3: palette = MakePalette("#e8e4dc", "#fffdf8", "#2a2418", "#efe9de", "#8a5a2b"); break;        // Style 4
    case 4: palette = MakePalette("#dfe6e9", Qt::white, "#1b262c", "#e9eef0", "#2d6a4f"); break;        // Style 5
    case 5: palette = MakePalette("#c9d9ee", "#f4f8fd", "#0c1d33", "#d6e3f3", "#2f6db5"); break;        // Blue
    case 6: palette = MakePalette("#2b2b2e", "#1e1e20", "#e6e6e6", "#3a3a3e", "#3d7fc1"); break;        // Black
    case 7: palette = MakePalette("#d9dadc", "#f7f7f8", "#1a1a1a", "#e4e5e7", "#6b7b8c"); break;        // Silver
    case 8: palette = MakePalette("#cfe8ef", "#f5fcfe", "#0b2b33", "#dcf0f5", "#1d8fa8"); break;        // Aqua
  }
  QApplication::setPalette(palette);
  return true;
}

}  // namespace mirvo
