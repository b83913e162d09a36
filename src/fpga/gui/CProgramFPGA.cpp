#include "fpga/gui/CProgramFPGA.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <climits>

#include "acquisition/LinkLifecycle.h"

namespace mirvo {

CProgramFPGA::CProgramFPGA(fpga::DesignToolSession& session, PathMemory memory, QWidget* parent)
    : QDialog(parent),
      session_(session),
      memory_(std::move(memory)),
      timer_(new QTimer(this)),
      path_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("Browse"), this)),
      messages_(new QListWidget(this)),
      progress_(new QProgressBar(this)),
      upload_(new QPushButton(QStringLiteral("Upload"), this)),
      verify_(new QPushButton(QStringLiteral("Verify"), this)),
      config_(new QPushButton(QStringLiteral("Config FPGA"), this)),
      stop_(new QPushButton(QStringLiteral("Stop"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
  fpga::IFpgaListener& listener = *this;
  port_ = std::make_unique<fpga::SerialFlashPort>(session_.Port());
  programmer_ = std::make_unique<fpga::FpgaProgrammer>(*port_, listener);
  setWindowTitle(QStringLiteral("FPGA"));
  setObjectName(QStringLiteral("ProgramFPGA"));

  const int row = messages_->fontMetrics().height() + 2;
  messages_->setMinimumHeight(row * static_cast<int>(fpga::FpgaMessageList::kShownLines) + 6);
  messages_->setMinimumWidth(messages_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 38);
  messages_->setUniformItemSizes(true);
  progress_->setOrientation(Qt::Vertical);
  progress_->setTextVisible(false);
  progress_->setRange(0, 100);
  progress_->setValue(0);

  auto* layout = new QGridLayout(this);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(new QLabel(QStringLiteral("File:"), this));
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse_);
  layout->addLayout(pathRow, 0, 0, 1, 3);
  layout->addWidget(messages_, 1, 0);
  layout->addWidget(progress_, 1, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {upload_, verify_, config_, stop_}) buttons->addWidget(button);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  layout->addLayout(buttons, 1, 2);
  layout->setColumnStretch(0, 1);
  close_->setAutoDefault(false);
  for (QPushButton* button : {browse_, upload_, verify_, config_, stop_}) button->setAutoDefault(false);

  if (memory_.load) path_->setText(QString::fromStdString(memory_.load()));
  connect(browse_, &QPushButton::clicked, this, &CProgramFPGA::Browse);
  connect(upload_, &QPushButton::clicked, this, [this] { RunTransfer(true); });
  connect(verify_, &QPushButton::clicked, this, [this] { RunTransfer(false); });
  connect(config_, &QPushButton::clicked, this, [this] { programmer_->Configure(); });
  connect(stop_, &QPushButton::clicked, this, [this] { programmer_->Stop(); });
  connect(close_, &QPushButton::clicked, this, &CProgramFPGA::reject);
  connect(timer_, &QTimer::timeout, this, &CProgramFPGA::Tick);
  timer_->start(fpga::FpgaProgrammer::kTimerPeriodMs);
  Tick();  // takes the port at once when the engine is idle
}

CProgramFPGA::~CProgramFPGA() = default;

void CProgramFPGA::Tick() {
  if (!session_.Holding()) {
    const bool held = session_.TryTakePort([this](std::uintptr_t events) { programmer_->OnPortEvent(events); });
    // Until the engine has finished its last transaction the port is not the dialog's.
    EnableOperations(held && !transferRunning_);
    return;
  }
  programmer_->OnTimerTick();
}

void CProgramFPGA::EnableOperations(bool enable) {
  for (QPushButton* button : {upload_, verify_, config_, browse_}) button->setEnabled(enable);
}

void CProgramFPGA::Browse() {
  QString initial = path_->text();
  QString chosen;
  if (chooser_) {
    chosen = chooser_(initial);
  } else {
    const QFileInfo info(initial);
    const QString folder = info.isDir() ? initial : info.absolutePath();
    chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), initial.isEmpty() ? QString() : folder,
                                          QStringLiteral("Mirvo Binary (*.mbf);;All Files (*)"));
  }
  if (!chosen.isEmpty()) path_->setText(chosen);
}

void CProgramFPGA::RunTransfer(bool upload) {
  const std::string path = path_->text().toStdString();
  if (upload)
    programmer_->Upload(path);
  else
    programmer_->Verify(path);
}

void CProgramFPGA::done(int result) {
  if (programmer_->Busy()) programmer_->Stop();
  timer_->stop();
  if (memory_.save) memory_.save(path_->text().toStdString());
  QDialog::done(result);
}

void CProgramFPGA::OnMessage(const std::string& line) {
  messages_->addItem(QString::fromStdString(line));
  while (messages_->count() > static_cast<int>(fpga::FpgaMessageList::kKeptLines)) delete messages_->takeItem(0);
  messages_->scrollToBottom();
}

void CProgramFPGA::ShowError(const std::string& text) {
  if (errorSink_)
    errorSink_(QString::fromStdString(text));
  else
    QMessageBox::critical(this, QStringLiteral("FPGA"), QString::fromStdString(text));
}

void CProgramFPGA::OnProgressRange(std::uint64_t length, std::uint64_t step) {
  (void)step;  // the bar moves by position; the step of a stepping bar is not used
  progressShift_ = 0;
  while ((length >> progressShift_) > static_cast<std::uint64_t>(INT_MAX)) ++progressShift_;
  progress_->setRange(0, static_cast<int>(length >> progressShift_));
}

void CProgramFPGA::OnProgress(std::uint64_t position) {
  progress_->setValue(static_cast<int>(std::min<std::uint64_t>(position >> progressShift_,
                                                               static_cast<std::uint64_t>(progress_->maximum()))));
}

void CProgramFPGA::OnBusyChanged(bool busy) {
  // Upload and Verify hold the four buttons; Config FPGA leaves them (a second press is refused).
  const bool transfer = programmer_->Operation() != fpga::FpgaOperation::kConfigure;
  if (busy && transfer) {
    transferRunning_ = true;
    EnableOperations(false);
  } else if (!busy) {
    transferRunning_ = false;
    EnableOperations(session_.Holding());
  }
}

void RunDesignTool(LinkLifecycle& lifecycle, CProgramFPGA::PathMemory memory, QWidget* parent) {
  fpga::DesignToolSession session(lifecycle);
  if (!session.Begin()) return;
  {
    CProgramFPGA dialog(session, std::move(memory), parent);
    dialog.exec();
  }
  session.Reconnect();
}

}  // namespace mirvo
