#include "shell/gui/COutputWnd.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QListWidget>

#include "shell/OutputLog.h"

namespace mirvo {

COutputWnd::COutputWnd(OutputLog& log, QWidget* parent)
    : QDockWidget(tr("Events"), parent), log_(log), list_(new QListWidget(this)) {
  setObjectName(kObjectName);
  list_->setObjectName("EventsList");
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list_->setUniformItemSizes(true);
  setWidget(list_);

  const QFontMetrics metrics(list_->font());
  log_.SetWidthMeasure([metrics](const std::string& text) {
    return metrics.horizontalAdvance(QString::fromLocal8Bit(text.data(), static_cast<int>(text.size())));
  });
  log_.SetChangeListener([this] { Sync(); });
  shownTrimmed_ = log_.TrimmedCount();
  for (const auto& entry : log_.Entries()) list_->addItem(QString::fromLocal8Bit(entry.text.c_str()));
  list_->scrollToBottom();
}

COutputWnd::~COutputWnd() {
  log_.SetChangeListener({});
  log_.SetWidthMeasure({});
}

void COutputWnd::Sync() {
  // Drop what the log trimmed, then append what it gained since the last look.
  for (; shownTrimmed_ < log_.TrimmedCount() && list_->count() > 0; ++shownTrimmed_) delete list_->takeItem(0);
  shownTrimmed_ = log_.TrimmedCount();
  const auto& entries = log_.Entries();
  for (std::size_t i = static_cast<std::size_t>(list_->count()); i < entries.size(); ++i)
    list_->addItem(QString::fromLocal8Bit(entries[i].text.c_str()));
  if (list_->count() > 0) {
    list_->setCurrentRow(list_->count() - 1, QItemSelectionModel::NoUpdate);
    list_->scrollToBottom();
  }
}

}  // namespace mirvo
