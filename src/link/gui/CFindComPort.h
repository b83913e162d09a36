// The "Mirvo Port Finder" dialog: found-instruments list, status text, progress bar, FIND, OK and
// Cancel over the core PortFinder; the search starts at the first paint.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "link/PortFinder.h"
#include "link/gui/QtMessageTarget.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace mirvo {

class CFindComPort : public QDialog, private IPortFinderHost {
  Q_OBJECT
 public:
  // `serialNumber` reads the serial number of the last accepted status block (the live record's).
  CFindComPort(LinkLifecycle& lifecycle, ILinkHost& linkHost, std::function<std::uint16_t()> serialNumber,
               QWidget* parent = nullptr);
  ~CFindComPort() override;

  PortFinder& Finder() { return *finder_; }
  // After OK: the device that opens the chosen port.
  const std::string& ChosenDevice() const { return finder_->ChosenDevice(); }
  // The port list to probe instead of this machine's (tests).
  void SetPortSource(std::function<std::vector<PortListEntry>()> ports) { portSource_ = std::move(ports); }
  // Whether FIND runs by itself at the first paint.
  void SetSearchOnFirstPaint(bool search) { searchOnFirstPaint_ = search; }

  QComboBox* FoundList() const { return found_; }
  QLabel* StatusLabel() const { return status_; }
  QProgressBar* Progress() const { return progress_; }
  QPushButton* FindButton() const { return find_; }
  QPushButton* OkButton() const { return ok_; }

  void accept() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void RunFind();
  void ShowValues();
  // IPortFinderHost
  std::vector<PortListEntry> Ports() override;
  bool StartTickTimer(int periodMs) override;
  void StopTickTimer() override;
  void ProcessPendingMessages() override;
  void PumpUntil(const std::function<bool()>& done) override;
  std::uint16_t SerialNumber() override { return serialNumber_(); }
  void FinderChanged() override { ShowValues(); }

  std::function<std::uint16_t()> serialNumber_;
  std::function<std::vector<PortListEntry>()> portSource_;
  QtMessageTarget events_;
  std::unique_ptr<PortFinder> finder_;
  QTimer* timer_;
  QComboBox* found_;
  QLabel* status_;
  QProgressBar* progress_;
  QPushButton* find_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool searchOnFirstPaint_ = true;
  bool firstPaintDone_ = false;
};

}  // namespace mirvo
