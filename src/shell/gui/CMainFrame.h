// The main window: owns the long-lived objects of the program and wires core objects to widgets.
// It computes nothing itself.
#pragma once

#include <QMainWindow>
#include <memory>

namespace mirvo {

class COutputLog;
class COutputWnd;
class IClock;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(const IClock& clock, QWidget* parent = nullptr);
  ~CMainFrame() override;

  COutputLog& OutputLog() { return *outputLog_; }
  COutputWnd* OutputPane() const { return outputPane_; }

 private:
  std::unique_ptr<COutputLog> outputLog_;
  COutputWnd* outputPane_;
};

// The one process-wide pointer to the main window (null before it exists and after it is gone).
CMainFrame* MainFrame();

}  // namespace mirvo
