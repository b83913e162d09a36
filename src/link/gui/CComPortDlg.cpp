#include "link/gui/CComPortDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "link/PortEnumerator.h"
#include "link/PortSettings.h"

namespace mirvo {
namespace {

QComboBox* MakeCombo(QWidget* parent, const PortSettingList& list) {
  auto* combo = new QComboBox(parent);
  for (const char* item : list.items) combo->addItem(QString::fromLatin1(item));
  combo->setCurrentIndex(list.preset);
  return combo;
}

}  // namespace

CComPortDlg::CComPortDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Port");
  setObjectName("ComPortDialog");
  port_ = new QComboBox(this);
  port_->setMinimumWidth(320);
  baud_ = MakeCombo(this, kBaudRateList);
  dataBits_ = MakeCombo(this, kDataBitsList);
  parity_ = MakeCombo(this, kParityList);
  stopBits_ = MakeCombo(this, kStopBitsList);
  handshake_ = MakeCombo(this, kHandshakeList);
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
  deviceName_ = PortDialogDeviceName(port_->currentText().toStdString(), port_->currentData().toString().toStdString());
  baudRate_ = BaudRateAt(baud_->currentIndex());
  QDialog::accept();
}

}  // namespace mirvo
