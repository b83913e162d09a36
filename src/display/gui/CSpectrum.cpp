#include "display/gui/CSpectrum.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace mirvo {

namespace {

PlotKey ToPlotKey(int key) {
  switch (key) {
    case Qt::Key_Left: return PlotKey::Left;
    case Qt::Key_Right: return PlotKey::Right;
    case Qt::Key_Up: return PlotKey::Up;
    case Qt::Key_Down: return PlotKey::Down;
    case Qt::Key_Home: return PlotKey::Home;
    case Qt::Key_I: return PlotKey::ZoomIn;
    case Qt::Key_O: return PlotKey::ZoomOut;
    case Qt::Key_Space: return PlotKey::Space;
    default: return PlotKey::Other;
  }
}

ScrollAction ToScrollAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineBack;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineForward;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageBack;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageForward;
    default: return ScrollAction::Thumb;
  }
}

}  // namespace

CSpectrum::CSpectrum(SpectrumPlot& plot, QWidget* parent) : QAbstractScrollArea(parent), plot_(plot) {
  setObjectName(QString("Spectrum%1S%2").arg(plot.IsBuffer() ? "Buffer" : "File").arg(plot.SpectrumIndex()));
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setContextMenuPolicy(Qt::PreventContextMenu);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CSpectrum::OnHorizontalAction);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CSpectrum::OnVerticalAction);
  SyncScrollBars();
}

PlotGeometry CSpectrum::CurrentGeometry() const {
  const QSize size = viewport()->size();
  return PlotGeometry::From(ClientRect{0, 0, size.width(), size.height()}, plot_.ViewWidth());
}

int CSpectrum::ChannelAt(const QMouseEvent* event) const {
  return CurrentGeometry().XToChannel(event->position().toPoint().x(), plot_.First(), plot_.ViewWidth());
}

QRegion CSpectrum::RenderFrame(QSize size, bool full) {
  const PlotBackground background = backgroundSource_ ? backgroundSource_(plot_) : PlotBackground{};
  if (!PrepareFrame(plot_, ClientRect{0, 0, size.width(), size.height()}, frame_, &background)) {
    painter_.Invalidate();
    return {};
  }
  return painter_.Render(frame_, size, devicePixelRatioF(), full);
}

void CSpectrum::Redraw(RedrawKind least) {
  RedrawKind kind = plot_.TakeRedraw();
  if (static_cast<int>(least) > static_cast<int>(kind)) kind = least;
  plot_.TakeCursorMoved();
  lastRepaint_ = QRegion();
  if (!isVisible()) {
    // Shown again later: the first paint renders everything.
    if (kind != RedrawKind::None) painter_.Invalidate();
    return;
  }
  const QSize size = viewport()->size();
  if (kind != RedrawKind::None || !painter_.Valid(size)) {
    lastRepaint_ = RenderFrame(size, kind == RedrawKind::Full);
    viewport()->update(lastRepaint_);
  }
  UpdateCursorLine();
  SyncScrollBars();
}

void CSpectrum::SetColours(const PlotColours& colours) {
  plot_.SetColours(colours);
  plot_.SetPlotColours(false);
  Redraw();
}

void CSpectrum::UpdateCursorLine() {
  const QRect now = painter_.CursorRect(plot_.Cursor());
  if (now == cursorRect_) return;
  viewport()->update(cursorRect_);
  viewport()->update(now);
  lastRepaint_ += cursorRect_;
  lastRepaint_ += now;
  cursorRect_ = now;
}

void CSpectrum::SyncScrollBars() {
  QScrollBar* horizontal = horizontalScrollBar();
  const int width = plot_.ViewWidth();
  horizontal->setRange(0, std::max(plot_.SoftSize() - width, 0));
  horizontal->setPageStep(width);
  horizontal->setSingleStep(std::max(width >> 4, 1));
  horizontal->setValue(plot_.HorizontalScrollPosition());
  QScrollBar* vertical = verticalScrollBar();
  vertical->setRange(0, plot_.VerticalScrollMaximum());
  vertical->setPageStep(1);
  vertical->setSingleStep(1);
  vertical->setValue(plot_.VerticalScrollPosition());
}

void CSpectrum::OnHorizontalAction(int action) {
  plot_.HorizontalScroll(ToScrollAction(action), horizontalScrollBar()->sliderPosition());
  Redraw();
}

void CSpectrum::OnVerticalAction(int action) {
  plot_.VerticalScroll(ToScrollAction(action), verticalScrollBar()->sliderPosition());
  Redraw();
}

void CSpectrum::scrollContentsBy(int, int) {}  // the plot decides what to repaint

void CSpectrum::paintEvent(QPaintEvent*) {
  const QSize size = viewport()->size();
  if (!painter_.Valid(size)) {
    RenderFrame(size, true);
    cursorRect_ = painter_.CursorRect(plot_.Cursor());
    SyncScrollBars();
  }
  QPainter painter(viewport());
  painter_.PaintTo(painter, plot_.Cursor(), plot_.Colours().cursor);
}

void CSpectrum::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  painter_.Invalidate();
}

void CSpectrum::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  painter_.Invalidate();
}

// ---------------------------------------------------------------- mouse

void CSpectrum::mousePressEvent(QMouseEvent* event) {
  const int channel = ChannelAt(event);
  if (event->button() == Qt::LeftButton)
    plot_.LeftPress(channel);
  else if (event->button() == Qt::RightButton)
    plot_.RightPress(channel);
  else
    return QAbstractScrollArea::mousePressEvent(event);
  // The pointer stays with the control (Qt grabs it while a button is held) and is hidden.
  if (plot_.PointerCaptured()) viewport()->setCursor(Qt::BlankCursor);
  Redraw();
}

void CSpectrum::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    plot_.LeftRelease();
  else if (event->button() == Qt::RightButton)
    plot_.RightRelease();
  else
    return QAbstractScrollArea::mouseReleaseEvent(event);
  if (!plot_.PointerCaptured()) viewport()->unsetCursor();
  Redraw();
}

void CSpectrum::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    plot_.LeftDoubleClick();
  else if (event->button() == Qt::RightButton)
    plot_.RightDoubleClick();
  else
    return QAbstractScrollArea::mouseDoubleClickEvent(event);
  Redraw();
}

void CSpectrum::mouseMoveEvent(QMouseEvent* event) {
  if (!plot_.PointerCaptured()) return;
  plot_.PointerMove(event->position().toPoint().x(), CurrentGeometry());
  Redraw();
}

void CSpectrum::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return event->ignore();
  // A notched wheel sends 120 a notch; finer devices send parts of it, which add up to notches.
  wheelDelta_ += delta;
  if (wheelDelta_ / 120 == 0) return;
  plot_.Wheel(wheelDelta_);
  wheelDelta_ %= 120;
  Redraw();
}

// ---------------------------------------------------------------- keyboard and focus

void CSpectrum::keyPressEvent(QKeyEvent* event) {
  const PlotKey key = ToPlotKey(event->key());
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  plot_.KeyPress(key, modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier));
  if (key == PlotKey::Other) return event->ignore();
  Redraw();
}

void CSpectrum::keyReleaseEvent(QKeyEvent* event) {
  // A held key repeats as press/release pairs on some platforms; only the real release ends the
  // series (the key repeat counter and the marking that follows the arrows).
  if (event->isAutoRepeat()) return;
  plot_.KeyRelease();
  event->ignore();
}

void CSpectrum::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  plot_.GainFocus();
  emit Activated(plot_.SpectrumIndex(), plot_.IsBuffer());
  Redraw();
}

}  // namespace mirvo
