// A dockable pane holding one panel form, filling the pane. Panels that are not built yet show
// what will be there, so the layout is final.
#pragma once

#include <QDockWidget>

namespace mirvo {

class PanelPane : public QDockWidget {
  Q_OBJECT
 public:
  PanelPane(const QString& title, const QString& objectName, QWidget* form, QWidget* parent = nullptr);
  // A pane whose form is still to come: a short note in place of the form.
  static PanelPane* Placeholder(const QString& title, const QString& objectName, const QString& note,
                                QWidget* parent = nullptr);
};

}  // namespace mirvo
