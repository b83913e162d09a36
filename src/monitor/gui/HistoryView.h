// The "History" pane's form: the strip charts of the running acquisition or of the logged series,
// and Copy Picture, Export CSV... and Clear (buttons and the charts' context menu).
#pragma once

#include <QWidget>
#include <cstdint>

class QComboBox;

namespace mirvo {

class HistoryRecorder;
class HistoryCharts;
class IFileChooser;
class IUserDialog;

class HistoryView : public QWidget {
  Q_OBJECT
 public:
  HistoryView(HistoryRecorder& recorder, IFileChooser& files, IUserDialog& dialogs, QWidget* parent = nullptr);
  // The window's tick: redraws when new samples came.
  void Tick();
  // 0 the running acquisition, 1 the logged series.
  void ShowSeries(bool series);
  void CopyPicture();
  void ExportCsv();
  void ClearHistory();
  HistoryCharts* Charts() const { return charts_; }

 private:
  void ShowChosen();
  std::uint64_t Stamp() const;

  HistoryRecorder& recorder_;
  IFileChooser& files_;
  IUserDialog& dialogs_;
  QComboBox* choice_ = nullptr;
  HistoryCharts* charts_ = nullptr;
  std::uint64_t shownStamp_ = ~0ull;
};

}  // namespace mirvo
