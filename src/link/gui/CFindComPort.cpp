#include "link/gui/CFindComPort.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace mirvo {

CFindComPort::CFindComPort(LinkLifecycle& lifecycle, ILinkHost& linkHost,
                           std::function<std::uint16_t()> serialNumber, QWidget* parent)
    : QDialog(parent),
      serialNumber_(std::move(serialNumber)),
      events_(this, [this](unsigned, std::uintptr_t wParam, std::intptr_t) { finder_->OnSerialEvent(wParam); }),
      timer_(new QTimer(this)),
      found_(new QComboBox(this)),
      status_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      find_(new QPushButton(QStringLiteral("FIND"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  IPortFinderHost& host = *this;  // the private base, named where it is accessible
  finder_ = std::make_unique<PortFinder>(lifecycle, linkHost, host, events_);
  setWindowTitle(QStringLiteral("Mirvo Port Finder"));
  setObjectName(QStringLiteral("FindComPort"));
  found_->setMinimumWidth(found_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);
  status_->setWordWrap(true);
  status_->setMinimumHeight(status_->fontMetrics().height() * 2 + 4);
  progress_->setTextVisible(false);
  ok_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(found_);
  layout->addWidget(status_);
  layout->addWidget(progress_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(find_);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  connect(timer_, &QTimer::timeout, this, [this] { finder_->OnTick(); });
  connect(find_, &QPushButton::clicked, this, &CFindComPort::RunFind);
  connect(ok_, &QPushButton::clicked, this, &CFindComPort::accept);
  connect(cancel_, &QPushButton::clicked, this, &CFindComPort::reject);
  connect(found_, &QComboBox::activated, this, [this](int index) { finder_->Select(index); });
  ShowValues();
}

CFindComPort::~CFindComPort() = default;

void CFindComPort::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (firstPaintDone_) return;
  firstPaintDone_ = true;
  // The search pumps events itself; it starts once this paint has finished.
  if (searchOnFirstPaint_) QTimer::singleShot(0, this, &CFindComPort::RunFind);
}

void CFindComPort::RunFind() {
  if (finder_->Searching()) return;
  finder_->Find();
  if (finder_->Accepted()) QDialog::accept();  // exactly one instrument
}

void CFindComPort::accept() {
  if (finder_->Searching()) return;
  finder_->Select(found_->currentIndex());
  if (finder_->Accept()) QDialog::accept();
}

void CFindComPort::ShowValues() {
  const auto& found = finder_->Found();
  if (found_->count() != static_cast<int>(found.size())) {
    found_->clear();
    for (const auto& instrument : found) found_->addItem(QString::fromStdString(instrument.text));
  }
  if (finder_->Selected() >= 0) found_->setCurrentIndex(finder_->Selected());
  status_->setText(QString::fromStdString(finder_->StatusText()));
  progress_->setRange(0, std::max(1, finder_->ProgressRange()));
  progress_->setValue(finder_->Progress());
  ok_->setEnabled(finder_->OkEnabled());
  find_->setEnabled(finder_->FindEnabled());
  cancel_->setEnabled(!finder_->Searching());
}

std::vector<PortListEntry> CFindComPort::Ports() { return portSource_ ? portSource_() : EnumeratePorts(); }

bool CFindComPort::StartTickTimer(int periodMs) {
  timer_->start(periodMs);
  return timer_->isActive();
}

void CFindComPort::StopTickTimer() { timer_->stop(); }

void CFindComPort::ProcessPendingMessages() { QCoreApplication::processEvents(); }

void CFindComPort::PumpUntil(const std::function<bool()>& done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace mirvo
