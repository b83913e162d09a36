// The "Port" dialog: choose the port of the instrument from the ports present and a baud rate.
// Data bits, parity, stop bits and handshake are kept hidden: the link always runs 8N1 with RTS/CTS.
#pragma once

#include <QDialog>
#include <string>

#include "link/PortSettings.h"

class QComboBox;

namespace mirvo {

class CComPortDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CComPortDlg(QWidget* parent = nullptr);

  // After OK: the device that opens the chosen port and the chosen baud rate.
  const std::string& DeviceName() const { return deviceName_; }
  unsigned BaudRate() const { return baudRate_; }
  QComboBox* PortCombo() const { return port_; }

  void accept() override;

 private:
  void FillPorts();

  QComboBox* port_;
  QComboBox* baud_;
  QComboBox* dataBits_;
  QComboBox* parity_;
  QComboBox* stopBits_;
  QComboBox* handshake_;
  std::string deviceName_;
  unsigned baudRate_ = kPortDialogBaudRate;
};

}  // namespace mirvo
