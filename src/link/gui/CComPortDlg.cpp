#include "link/gui/CComPortDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "link/PortEnumerator.h"

namespace mirvo {
namespace {

QComboBox* MakeCombo(QWidget* parent, const QStringList& items, int preset) {
  auto* combo = new QComboBox(parent);
  combo->addItems(items);
  combo->setCurrentIndex(preset);
  return combo;
}

}  // namespace

CComPortDlg::CComPortDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Communications Port");
  setObjectName("ComPortDialog");
  port_ = new QComboBox(this);
  port_->setMinimumWidth(320);
  baud_ = MakeCombo(this, {"460800", "230400", "115200", "57600", "19200", "9600", "2400"}, 0);
  dataBits_ = MakeCombo(this, {"8", "7", "6", "5", "4"}, 0);
  parity_ = MakeCombo(this, {"None", "Even", "Odd", "Mark", "Space"}, 0);
  stopBits_ = MakeCombo(this, {"1", "1.5", "2"}, 0);
  handshake_ = MakeCombo(this, {"OFF", "CTS/RTS", "DSR/DTR"}, 1);
  for (QComboBox* hidden : {baud_, dataBits_, parity_, stopBits_, handshake_}) hidden->hide();

  auto* form = new QFormLayout;
  form->addRow("Port", port_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CComPortDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CComPortDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  FillPorts();
}

void CComPortDlg::FillPorts() {
  port_->clear();
  for (const PortListEntry& entry : EnumeratePorts())
    port_->addItem(QString::fromStdString(entry.friendlyName), QString::fromStdString(entry.devicePath));
  port_->setCurrentIndex(0);
}

void CComPortDlg::accept() {
  const std::string display = port_->currentText().toStdString();
  const QString device = port_->currentData().toString();
  deviceName_ = device.isEmpty() ? DeviceNameForPort(PortNameFromDisplayText(display)) : device.toStdString();
  baudRate_ = baud_->currentText().toUInt();
  QDialog::accept();
}

}  // namespace mirvo
