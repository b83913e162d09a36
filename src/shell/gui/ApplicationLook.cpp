#include "shell/gui/ApplicationLook.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "shell/Commands.h"

namespace mirvo {
namespace {

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
  const QColor disabled = text.lightness() > 128 ? text.darker(180) : text.lighter(250);
  p.setColor(QPalette::Disabled, QPalette::Text, disabled);
  p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
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
