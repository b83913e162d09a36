#include "timesvc/gui/CTimeUTC.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "timesvc/TimeUtcModel.h"

namespace mirvo {
namespace {

QPushButton* MakeButton(const char* text, const char* objectName, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setObjectName(QString::fromLatin1(objectName));
  button->setAutoDefault(false);
  return button;
}

// Blocks the user interface for the duration of a query, with the busy cursor.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

CTimeUTC::CTimeUTC(TimeUtcModel& model, QWidget* parent)
    : QDialog(parent),
      model_(model),
      servers_(new QComboBox(this)),
      log_(new QListWidget(this)),
      getUtc_(MakeButton("Get UTC", "GetUtcButton", this)),
      synchronize_(MakeButton("Synchonize SYSTEM/LOCAL with NTP", "SynchronizeButton", this)),
      useUtc_(MakeButton("Use UTC", "UseUtcButton", this)),
      useSystem_(MakeButton("Use SYSTEM", "UseSystemButton", this)),
      useLocal_(MakeButton("Use LOCAL", "UseLocalButton", this)) {
  setObjectName(kObjectName);
  setWindowTitle("Measurement Time Stamp");

  servers_->setObjectName("NtpServerList");
  servers_->setEditable(true);
  servers_->setInsertPolicy(QComboBox::NoInsert);
  for (const char* server : TimeUtcModel::kDefaultServers) servers_->addItem(QString::fromLatin1(server));
  servers_->setMinimumContentsLength(24);

  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  auto* header = new QLabel(QString::fromLatin1(TimeUtcModel::kLogHeader), this);
  header->setObjectName("TimeFormatHeader");
  header->setFont(fixed);
  log_->setObjectName("NtpLog");
  log_->setFont(fixed);
  log_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  log_->setUniformItemSizes(true);
  log_->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QString(80, QChar('0'))), 260);

  auto* serverRow = new QHBoxLayout;
  serverRow->addWidget(new QLabel("NTP Server:", this));
  serverRow->addWidget(servers_, 1);
  serverRow->addWidget(getUtc_);

  auto* syncRow = new QHBoxLayout;
  syncRow->addWidget(synchronize_);
  syncRow->addStretch(1);

  auto* choices = new QGroupBox("Start time of the measurements", this);
  auto* choiceRow = new QHBoxLayout(choices);
  choiceRow->addWidget(useUtc_);
  choiceRow->addWidget(useSystem_);
  choiceRow->addWidget(useLocal_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(serverRow);
  layout->addWidget(header);
  layout->addWidget(log_, 1);
  layout->addLayout(syncRow);
  layout->addWidget(choices);

  connect(getUtc_, &QPushButton::clicked, this, &CTimeUTC::OnGetUtc);
  connect(synchronize_, &QPushButton::clicked, this, &CTimeUTC::OnSynchronize);
  connect(useUtc_, &QPushButton::clicked, this, [this] { Choose(StartTimeKind::Utc); });
  connect(useSystem_, &QPushButton::clicked, this, [this] { Choose(StartTimeKind::System); });
  connect(useLocal_, &QPushButton::clicked, this, [this] { Choose(StartTimeKind::Local); });
  connect(servers_, &QComboBox::currentTextChanged, this,
          [this](const QString& text) { model_.SetServerName(text.trimmed().toStdString()); });
  Prepare();
}

void CTimeUTC::Prepare() {
  model_.Open();
  choice_ = StartTimeKind::System;
  servers_->setCurrentIndex(0);
  servers_->setEditText(QString::fromStdString(model_.ServerName()));
  ShowModel();
}

StartTimeKindChoice CTimeUTC::RunModal() {
  Prepare();
  exec();
  return {choice_, model_.MeasuredOffset()};
}

void CTimeUTC::OnGetUtc() {
  model_.SetServerName(servers_->currentText().trimmed().toStdString());
  {
    const BusyCursor busy;
    model_.GetUtc();
  }
  ShowModel();
}

void CTimeUTC::OnSynchronize() {
  model_.Synchronize();
  ShowModel();
}

void CTimeUTC::Choose(StartTimeKind kind) {
  if (kind == StartTimeKind::Utc && !model_.ResultButtonsEnabled()) return;
  choice_ = kind;
  accept();
}

void CTimeUTC::ShowModel() {
  log_->clear();
  for (const std::string& line : model_.Log()) log_->addItem(QString::fromStdString(line));
  log_->scrollToBottom();
  useUtc_->setEnabled(model_.ResultButtonsEnabled());
  synchronize_->setEnabled(model_.ResultButtonsEnabled());
}

}  // namespace mirvo
