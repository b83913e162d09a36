#include "shell/gui/PanelPane.h"

#include <QLabel>

namespace mirvo {

PanelPane::PanelPane(const QString& title, const QString& objectName, QWidget* form, QWidget* parent)
    : QDockWidget(title, parent) {
  setObjectName(objectName);
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable | QDockWidget::DockWidgetClosable);
  setWidget(form);
}

PanelPane* PanelPane::Placeholder(const QString& title, const QString& objectName, const QString& note,
                                  QWidget* parent) {
  auto* label = new QLabel(note);
  label->setObjectName(objectName + "Placeholder");
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  label->setEnabled(false);
  label->setMargin(12);
  label->setMinimumWidth(360);
  return new PanelPane(title, objectName, label, parent);
}

}  // namespace mirvo
