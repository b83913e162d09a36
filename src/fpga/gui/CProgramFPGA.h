// The "FPGA" dialog: path box, Browse, message list, vertical progress bar, Upload, Verify,
// Config FPGA, Stop and Close over the core FpgaProgrammer, on the port the design-tool session
// has paused. Replies come from the port's events, time-outs from the dialog's 100 ms timer.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "fpga/DesignToolSession.h"
#include "fpga/FpgaProgrammer.h"
#include "fpga/SerialFlashPort.h"

class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace mirvo {

class LinkLifecycle;

class CProgramFPGA : public QDialog, private fpga::IFpgaListener {
  Q_OBJECT
 public:
  // The remembered design path ("FPGAFile" under LastPath): read when the dialog opens, written
  // when it closes.
  struct PathMemory {
    std::function<std::string()> load;
    std::function<void(const std::string&)> save;
  };

  CProgramFPGA(fpga::DesignToolSession& session, PathMemory memory, QWidget* parent = nullptr);
  ~CProgramFPGA() override;

  fpga::FpgaProgrammer& Programmer() { return *programmer_; }
  // Tests: the file box and the message boxes answered without a window.
  void SetFileChooser(std::function<QString(const QString& initial)> chooser) { chooser_ = std::move(chooser); }
  void SetErrorSink(std::function<void(const QString&)> sink) { errorSink_ = std::move(sink); }

  QLineEdit* PathBox() const { return path_; }
  QListWidget* MessageList() const { return messages_; }
  QProgressBar* Progress() const { return progress_; }
  QPushButton* UploadButton() const { return upload_; }
  QPushButton* VerifyButton() const { return verify_; }
  QPushButton* ConfigButton() const { return config_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* BrowseButton() const { return browse_; }
  QPushButton* CloseButton() const { return close_; }

  // Closing stops a running operation first (its lines are listed) and remembers the path.
  void done(int result) override;

 private:
  void Browse();
  void Tick();
  void RunTransfer(bool upload);
  void EnableOperations(bool enable);
  // IFpgaListener
  void OnMessage(const std::string& line) override;
  void ShowError(const std::string& text) override;
  void OnProgressRange(std::uint64_t length, std::uint64_t step) override;
  void OnProgress(std::uint64_t position) override;
  void OnBusyChanged(bool busy) override;
  void KeepPortInUse() override { session_.KeepPortInUse(); }

  fpga::DesignToolSession& session_;
  PathMemory memory_;
  std::unique_ptr<fpga::SerialFlashPort> port_;
  std::unique_ptr<fpga::FpgaProgrammer> programmer_;
  std::function<QString(const QString&)> chooser_;
  std::function<void(const QString&)> errorSink_;
  int progressShift_ = 0;  // the bar counts in units of 2^shift bytes (its range is an int)
  bool transferRunning_ = false;
  QTimer* timer_;
  QLineEdit* path_;
  QPushButton* browse_;
  QListWidget* messages_;
  QProgressBar* progress_;
  QPushButton* upload_;
  QPushButton* verify_;
  QPushButton* config_;
  QPushButton* stop_;
  QPushButton* close_;
};

// The design-tool command of the Utility menu: pauses the link (or refuses when no instrument
// answers), runs the dialog modally, and reconnects.
void RunDesignTool(LinkLifecycle& lifecycle, CProgramFPGA::PathMemory memory, QWidget* parent);

}  // namespace mirvo
