// The "Events" pane: shows the output log, newest line at the bottom and kept in view.
#pragma once

#include <QDockWidget>

class QListWidget;

namespace mirvo {

class OutputLog;

class COutputWnd : public QDockWidget {
  Q_OBJECT
 public:
  static constexpr const char* kObjectName = "EventsPane";

  COutputWnd(OutputLog& log, QWidget* parent = nullptr);
  ~COutputWnd() override;

  QListWidget* List() const { return list_; }

 private:
  void Sync();

  OutputLog& log_;
  QListWidget* list_;
  std::size_t shownTrimmed_ = 0;  // entries of the log already dropped from the front of the list
};

}  // namespace mirvo
