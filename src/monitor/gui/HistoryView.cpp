#include "monitor/gui/HistoryView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "display/UserDialog.h"
#include "monitor/HistoryCsv.h"
#include "monitor/HistoryRecorder.h"
#include "monitor/gui/HistoryCharts.h"
#include "panels/FileChooser.h"

namespace mirvo {

HistoryView::HistoryView(HistoryRecorder& recorder, IFileChooser& files, IUserDialog& dialogs, QWidget* parent)
    : QWidget(parent), recorder_(recorder), files_(files), dialogs_(dialogs) {
  setObjectName("HistoryView");
  choice_ = new QComboBox;
  choice_->setObjectName("HistoryChoice");
  choice_->addItems({"Running acquisition", "Logged series (one point per run)"});
  auto* copy = new QPushButton("Copy Picture");
  copy->setObjectName("HistoryCopy");
  auto* exportCsv = new QPushButton("Export CSV...");
  exportCsv->setObjectName("HistoryExport");
  auto* clear = new QPushButton("Clear");
  clear->setObjectName("HistoryClear");
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(4, 4, 4, 0);
  bar->addWidget(choice_);
  bar->addStretch(1);
  bar->addWidget(copy);
  bar->addWidget(exportCsv);
  bar->addWidget(clear);

  charts_ = new HistoryCharts;
  charts_->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(charts_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addLayout(bar);
  layout->addWidget(scroll, 1);

  connect(choice_, &QComboBox::currentIndexChanged, this, [this] { ShowChosen(); });
  connect(copy, &QPushButton::clicked, this, &HistoryView::CopyPicture);
  connect(exportCsv, &QPushButton::clicked, this, &HistoryView::ExportCsv);
  connect(clear, &QPushButton::clicked, this, &HistoryView::ClearHistory);
  connect(charts_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction("Copy Picture", this, &HistoryView::CopyPicture);
    menu.addAction("Export CSV...", this, &HistoryView::ExportCsv);
    menu.addSeparator();
    menu.addAction("Clear", this, &HistoryView::ClearHistory);
    menu.exec(charts_->mapToGlobal(at));
  });
  ShowChosen();
}

std::uint64_t HistoryView::Stamp() const {
  const HistoryBuffer& shown = choice_->currentIndex() == 1 ? recorder_.Series() : recorder_.Run();
  return shown.SamplesAdded() * 2 + static_cast<std::uint64_t>(choice_->currentIndex());
}

void HistoryView::ShowChosen() {
  const bool series = choice_->currentIndex() == 1;
  charts_->SetBuffer(series ? &recorder_.Series() : &recorder_.Run(), series);
  shownStamp_ = Stamp();
}

void HistoryView::ShowSeries(bool series) { choice_->setCurrentIndex(series ? 1 : 0); }

void HistoryView::Tick() {
  if (!isVisible() || Stamp() == shownStamp_) return;
  shownStamp_ = Stamp();
  charts_->update();
}

void HistoryView::CopyPicture() { QApplication::clipboard()->setImage(charts_->grab().toImage()); }

void HistoryView::ExportCsv() {
  const bool series = choice_->currentIndex() == 1;
  std::string chosen;
  const FileDialogRequest request{true, "Export History", "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||", "csv"};
  if (!files_.ChooseFile(request, chosen)) return;
  if (series)
    ExportHistoryAs(chosen, recorder_.Series(), HistoryKind::kSeries, recorder_.SeriesOriginMs(), dialogs_);
  else
    ExportHistoryAs(chosen, recorder_.Run(), HistoryKind::kRun, recorder_.RunOriginMs(), dialogs_);
}

void HistoryView::ClearHistory() {
  recorder_.Clear();
  ShowChosen();
}

}  // namespace mirvo
