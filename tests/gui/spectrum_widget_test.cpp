// The spectrum plot control and its pane on the offscreen platform: keys, mouse, wheel and scroll
// bars reach the plot logic; the picture shows styles, ROI and cursor; redraws stay partial; the
// BUFFER/FILE tabs follow the record tables.
#include <QMainWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "display/RecordSets.h"
#include "display/gui/CSpectrum.h"
#include "display/gui/CSpectrumWnd.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;

namespace {

QRgb Rgb(std::uint32_t plotColour) { return ToQColor(plotColour).rgb(); }

}  // namespace

class SpectrumWidgetTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<SpectrumMemory> memory_;
  std::unique_ptr<RecordSets> sets_;
  std::unique_ptr<QMainWindow> window_;
  std::array<CSpectrumWnd*, 4> panes_{};

  CSpectrumWnd& Pane(int k) { return *panes_[static_cast<std::size_t>(k)]; }
  CSpectrum& BufferWidget(int k) { return *Pane(k).PlotWidget(kBufferSet); }
  SpectrumPlot& BufferPlot(int k) { return sets_->BufferPlot(k); }

  // The main window's tick: SyncShownSet when asked, then every pane.
  void Tick() {
    sets_->SyncIfRequested();
    for (CSpectrumWnd* pane : panes_) pane->Tick();
    QCoreApplication::processEvents();
  }

  // Pixel column of a channel in the current view of a plot control.
  static int XOf(CSpectrum& widget, int channel) {
    const QSize size = widget.viewport()->size();
    const SpectrumPlot& plot = widget.Plot();
    return PlotGeometry::From(ClientRect{0, 0, size.width(), size.height()}, plot.ViewWidth())
        .ChannelToX(channel, plot.First(), plot.ViewWidth());
  }

  // A pixel column whose hit test gives the channel (the one at x(ch) may belong to ch - 1 when a
  // channel is wider than one pixel).
  static int XFor(CSpectrum& widget, int channel) {
    const QSize size = widget.viewport()->size();
    const SpectrumPlot& plot = widget.Plot();
    const PlotGeometry g = PlotGeometry::From(ClientRect{0, 0, size.width(), size.height()}, plot.ViewWidth());
    const int x = g.ChannelToX(channel, plot.First(), plot.ViewWidth());
    for (int dx = 0; dx < 8; ++dx)
      if (g.XToChannel(x + dx, plot.First(), plot.ViewWidth()) == channel) return x + dx;
    return -1;
  }

  // A view of 256 channels around the cursor: every channel is more than a pixel wide.
  static void Zoom256(CSpectrum& widget, int cursor) {
    SpectrumPlot& plot = widget.Plot();
    plot.SetViewWidth(256);
    plot.SetCursorChannel(cursor);
    plot.FitView(1);
    widget.Redraw();
  }

  static void Mouse(CSpectrum& widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x) {
    const QPointF at(x, widget.viewport()->height() / 2);
    QMouseEvent event(type, at, widget.viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget.viewport(), &event);
  }

  static void Key(CSpectrum& widget, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                  bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    QCoreApplication::sendEvent(&widget, &event);
  }

  static QImage Picture(CSpectrum& widget) { return widget.viewport()->grab().toImage(); }

  static void Fill(SpectrumPlot& plot, int from, int to, std::uint32_t count) {
    for (int ch = from; ch <= to; ++ch) plot.Record().hardCounts[ch] = count;
  }

 private slots:
  void init() {
    memory_ = std::make_unique<SpectrumMemory>();
    sets_ = std::make_unique<RecordSets>(*memory_);
    // Two panes a row, as wide as they are on a desktop.
    window_ = std::make_unique<QMainWindow>();
    window_->setCentralWidget(new QWidget(window_.get()));
    window_->centralWidget()->setMaximumHeight(10);
    for (int k = 0; k < 4; ++k) {
      panes_[static_cast<std::size_t>(k)] = new CSpectrumWnd(*sets_, k, window_.get());
      window_->addDockWidget(k < 2 ? Qt::TopDockWidgetArea : Qt::BottomDockWidgetArea, panes_[static_cast<std::size_t>(k)]);
    }
    window_->resize(1800, 800);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    Tick();
  }

  void cleanup() {
    window_.reset();
    sets_.reset();
    memory_.reset();
  }

  void paneHasItsFixedNameTabsAndTitle() {
    CSpectrumWnd& pane = Pane(2);
    QCOMPARE(pane.objectName(), QString("SpectrumPaneS2"));
    QCOMPARE(pane.Tabs()->count(), 2);
    QCOMPARE(pane.Tabs()->tabText(0), QString("BUFFER"));
    QCOMPARE(pane.Tabs()->tabText(1), QString("FILE"));
    QCOMPARE(pane.windowTitle(), QString("S2"));
    sets_->ApplyCaptions({"TIPS", "GAMMA+NEUTRONS", "CS-137 CHECK SOURCE", "NEUTRONS"});
    sets_->SetConnection(true, "ttyUSB0");
    Tick();
    QCOMPARE(pane.windowTitle(), QString("S2: CS-137 CHECK SOURCE @ ttyUSB0"));
  }

  void clickMovesTheCursorAndFocusActivatesThePlot() {
    CSpectrum& widget = BufferWidget(2);
    QSignalSpy activated(&Pane(2), &CSpectrumWnd::PlotActivated);
    Zoom256(widget, 3000);
    const int x = XFor(widget, 3010);
    QTest::mouseClick(widget.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 100));
    QCOMPARE(BufferPlot(2).Cursor(), 3010);
    QCOMPARE(sets_->ActiveSpectrumIndex(), 2);
    QVERIFY(widget.hasFocus());
    QVERIFY(activated.count() >= 1);
    QCOMPARE(activated.last().at(0).toInt(), 2);
  }

  void arrowKeysMoveTheCursorLineWithoutRepaintingTheSpectrum() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    widget.setFocus();
    Fill(plot, 2040, 2060, 512);  // full height at the scale of 512 counts
    Zoom256(widget, 2048);
    QTest::keyClick(&widget, Qt::Key_Right);
    QCOMPARE(plot.Cursor(), 2049);
    // Only the old and the new cursor columns were repainted.
    QVERIFY(!widget.LastRepaint().isEmpty());
    for (const QRect& rect : widget.LastRepaint()) QCOMPARE(rect.width(), 1);

    // The cursor line stays visible over the spectrum (exclusive-or with what lies under it).
    const int y = widget.Painter().Geometry().top + 50;
    QImage picture = Picture(widget);
    QCOMPARE(picture.pixel(XOf(widget, 2049), y), Rgb(PlotColours::kDefaultCursor ^ PlotColours::kDefaultSpectrum));
    QCOMPARE(picture.pixel(XOf(widget, 2048), y), Rgb(PlotColours::kDefaultSpectrum));
    plot.MoveCursor(2100);
    widget.Redraw();
    picture = Picture(widget);
    QCOMPARE(picture.pixel(XOf(widget, 2100), y), Rgb(PlotColours::kDefaultCursor));
    QCOMPARE(picture.pixel(XOf(widget, 2049), y), Rgb(PlotColours::kDefaultSpectrum));
  }

  void zoomKeysAndDoubleClicksWorkAroundTheCursor() {
    CSpectrum& widget = BufferWidget(1);
    SpectrumPlot& plot = BufferPlot(1);
    widget.setFocus();
    plot.MoveCursor(10);

    struct Step {
      const char* what;
      std::function<void()> act;
      int width, first, cursor;
    };
    const std::vector<Step> steps = {
        {"I zooms in; the view cannot start below 0", [&] { QTest::keyClick(&widget, Qt::Key_I); }, 2048, 0, 10},
        {"left double-click zooms in", [&] { Mouse(widget, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, 300); }, 1024, 0, 10},
        {"O zooms out", [&] { QTest::keyClick(&widget, Qt::Key_O); }, 2048, 0, 10},
        {"right double-click zooms out", [&] { Mouse(widget, QEvent::MouseButtonDblClick, Qt::RightButton, Qt::RightButton, 300); }, 4096, 0, 10},
        {"Home shows everything", [&] {
           QTest::keyClick(&widget, Qt::Key_I);
           QTest::keyClick(&widget, Qt::Key_I);
           QTest::keyClick(&widget, Qt::Key_Home);
         }, 4096, 0, 10},
    };
    for (const Step& step : steps) {
      step.act();
      QVERIFY2(plot.ViewWidth() == step.width, step.what);
      QVERIFY2(plot.First() == step.first, step.what);
      QVERIFY2(plot.Cursor() == step.cursor, step.what);
      QCOMPARE(widget.horizontalScrollBar()->pageStep(), plot.ViewWidth());
      QCOMPARE(widget.horizontalScrollBar()->maximum(), 4096 - plot.ViewWidth());
    }

    // Zooming in at the top end keeps the last channel in view and moves the cursor.
    plot.MoveCursor(4091);
    QTest::keyClick(&widget, Qt::Key_I);
    QCOMPARE(plot.ViewWidth(), 2048);
    QCOMPARE(plot.Last(), 4095);
    QCOMPARE(plot.Cursor(), 4095 - 1024);
    QCOMPARE(widget.horizontalScrollBar()->value(), plot.First());
  }

  void scaleFollowsArrowsWheelAndTheVerticalScrollBar() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    widget.setFocus();
    QCOMPARE(plot.LinearScale(), 9);
    QTest::keyClick(&widget, Qt::Key_Up);
    QCOMPARE(plot.LinearScale(), 8);
    QTest::keyClick(&widget, Qt::Key_Down);
    QTest::keyClick(&widget, Qt::Key_Down);
    QCOMPARE(plot.LinearScale(), 10);
    QCOMPARE(widget.verticalScrollBar()->value(), 10);
    QCOMPARE(widget.verticalScrollBar()->maximum(), 31);

    auto wheel = [&](int delta) {
      const QPointF at(200, 100);
      QWheelEvent event(at, widget.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(widget.viewport(), &event);
    };
    wheel(120);
    QCOMPARE(plot.LinearScale(), 11);  // a forward notch compresses
    wheel(-40);
    wheel(-40);
    QCOMPARE(plot.LinearScale(), 11);  // parts of a notch add up
    wheel(-40);
    QCOMPARE(plot.LinearScale(), 10);
    wheel(120);

    widget.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(plot.LinearScale(), 10);
    QCOMPARE(widget.verticalScrollBar()->value(), 10);

    plot.SetLogarithmicScale();
    widget.Redraw();
    QCOMPARE(widget.verticalScrollBar()->maximum(), 1);
    widget.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(plot.LogRange(), 1);
    widget.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(plot.LogRange(), 1);
  }

  void automaticScaleRaisesTheFullScaleUntilThePeakFits() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    plot.ToggleAutomaticScale();
    QVERIFY(plot.AutoScale());
    Fill(plot, 1000, 1010, 5000);  // ten times the full scale of 512
    widget.Redraw(RedrawKind::Partial);
    QCOMPARE(plot.LinearScale(), 13);  // 8k
    QCOMPARE(widget.verticalScrollBar()->value(), 13);
    // The new scale shows at the next redraw, which the plot has asked for.
    QCOMPARE(plot.PendingRedraw(), RedrawKind::Partial);
    widget.Redraw();
    const PlotGeometry g = widget.Painter().Geometry();
    const QImage picture = Picture(widget);
    const int x = XOf(widget, 1005);
    QCOMPARE(picture.pixel(x, g.top + 2) == Rgb(PlotColours::kDefaultSpectrum), false);  // below the top now
    QCOMPARE(picture.pixel(x, g.bottom - g.height / 2 + 5), Rgb(PlotColours::kDefaultSpectrum));
  }

  void horizontalScrollBarMovesTheView() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    plot.SetViewWidth(512);
    plot.FitView(1);  // centred on the cursor at 2048
    widget.Redraw();
    QCOMPARE(widget.horizontalScrollBar()->value(), 1792);
    widget.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(plot.First(), 1792 + 32);
    widget.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(plot.First(), 1792 + 32 - 256);
    QCOMPARE(widget.horizontalScrollBar()->value(), plot.First());
    widget.horizontalScrollBar()->setSliderPosition(3584);  // a thumb drag to the end
    QCOMPARE(plot.First(), 3584);
    QCOMPARE(plot.Last(), 4095);
  }

  void bothButtonsMarkAndUnmarkARegion() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    Zoom256(widget, 128);
    const int a = 100, b = 140;
    Mouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, XFor(widget, a));
    Mouse(widget, QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, XFor(widget, a));
    QVERIFY(plot.Marking());
    QVERIFY(widget.viewport()->cursor().shape() == Qt::BlankCursor);
    Mouse(widget, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, XFor(widget, b));
    Mouse(widget, QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, XFor(widget, b));
    Mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, XFor(widget, b));
    QVERIFY(widget.viewport()->cursor().shape() != Qt::BlankCursor);
    for (int ch = a - 1; ch <= b + 1; ++ch) QCOMPARE(plot.SoftRoi(ch), ch >= a && ch <= b);
    QCOMPARE(plot.Record().hardRoi[b], 1);

    // Right first, then left: unmarking from the cursor.
    const int c = 120;
    Mouse(widget, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, XFor(widget, c));
    Mouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton | Qt::RightButton, XFor(widget, c));
    QVERIFY(plot.Unmarking());
    Mouse(widget, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, XFor(widget, b + 5));
    Mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::RightButton, XFor(widget, b + 5));
    Mouse(widget, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, XFor(widget, b + 5));
    for (int ch = a - 1; ch <= b + 6; ++ch) QCOMPARE(plot.SoftRoi(ch), ch >= a && ch < c);

    // The marked channels are painted in the ROI colour.
    Fill(plot, 0, 4095, 256);
    widget.Redraw(RedrawKind::Partial);
    const QImage picture = Picture(widget);
    const int y = widget.Painter().Geometry().bottom - 5;
    QCOMPARE(picture.pixel(XOf(widget, 110), y), Rgb(PlotColours::kDefaultRoi));
    QCOMPARE(picture.pixel(XOf(widget, 130), y), Rgb(PlotColours::kDefaultSpectrum));
  }

  void draggingPastTheEdgesScrollsTheView() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    Zoom256(widget, 2048);
    QCOMPARE(plot.First(), 1920);
    Mouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, XFor(widget, 2000));
    struct Move {
      int x;
      int first;
    };
    // Each move further out scrolls by N / 64; a move back toward the control does not.
    const int right = widget.viewport()->width();
    for (const Move move : {Move{-5, 1916}, Move{-10, 1912}, Move{-8, 1912}, Move{right + 3, 1916},
                            Move{right + 9, 1920}, Move{right + 2, 1920}}) {
      Mouse(widget, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, move.x);
      QCOMPARE(plot.First(), move.first);
      QCOMPARE(widget.horizontalScrollBar()->value(), move.first);
    }
    Mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, right + 2);
    QVERIFY(!plot.PointerCaptured());
  }

  void shiftAndCtrlArrowsMarkAndUnmarkWhileHeld() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    widget.setFocus();
    plot.MoveCursor(100);
    // Held Shift+Right: five presses, with a platform's auto-repeat release between two of them.
    for (int i = 0; i < 5; ++i) {
      Key(widget, QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier, i > 0);
      if (i == 2) Key(widget, QEvent::KeyRelease, Qt::Key_Right, Qt::ShiftModifier, true);
    }
    QCOMPARE(plot.KeyRepeatCount(), 5);
    Key(widget, QEvent::KeyRelease, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(plot.KeyRepeatCount(), 0);
    QCOMPARE(plot.Cursor(), 105);
    for (int ch = 99; ch <= 106; ++ch) QCOMPARE(plot.SoftRoi(ch), ch >= 100 && ch <= 105);

    // Held Ctrl+Left: three presses unmark from 105 down to the cursor.
    for (int i = 0; i < 3; ++i) Key(widget, QEvent::KeyPress, Qt::Key_Left, Qt::ControlModifier, i > 0);
    Key(widget, QEvent::KeyRelease, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(plot.Cursor(), 102);
    for (int ch = 99; ch <= 106; ++ch) QCOMPARE(plot.SoftRoi(ch), ch == 100 || ch == 101);
  }

  void spaceCyclesTheDrawStyles() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    widget.setFocus();
    Fill(plot, 1000, 1100, 256);  // half of the full scale 512
    widget.Redraw(RedrawKind::Partial);
    const PlotGeometry g = widget.Painter().Geometry();
    const int x = XOf(widget, 1050);
    const int valueY = g.bottom - g.height / 2;
    const int belowY = (valueY + g.bottom) / 2;
    const QRgb spectrum = Rgb(PlotColours::kDefaultSpectrum);
    struct Look {
      int style;
      bool filledBelow;
    };
    // 1 filled histogram, 2 outline, 3 line, 0 points: only the filled histogram fills below the value.
    for (const Look look : {Look{2, false}, Look{3, false}, Look{0, false}, Look{1, true}}) {
      QTest::keyClick(&widget, Qt::Key_Space);
      QCOMPARE(plot.DrawStyle(), look.style);
      const QImage picture = Picture(widget);
      QCOMPARE(picture.pixel(x, belowY) == spectrum, look.filledBelow);
      bool valueDrawn = false;
      for (int y = valueY - 2; y <= valueY + 2; ++y) valueDrawn = valueDrawn || picture.pixel(x, y) == spectrum;
      QVERIFY2(valueDrawn, qPrintable(QString("style %1 shows the value").arg(look.style)));
    }
  }

  void growingChannelRepaintsOnlyItsColumns() {
    CSpectrum& widget = BufferWidget(0);
    SpectrumPlot& plot = BufferPlot(0);
    Fill(plot, 0, 4095, 100);
    widget.Redraw(RedrawKind::Full);
    QCOMPARE(widget.LastRepaint().boundingRect(), widget.viewport()->rect());
    memory_->Spectrum(0)[3000] += 200;
    widget.Redraw(RedrawKind::Partial);
    const QRect repainted = widget.LastRepaint().boundingRect();
    QVERIFY(!repainted.isEmpty());
    QVERIFY2(repainted.width() <= 2, qPrintable(QString("repainted %1 columns").arg(repainted.width())));
    QVERIFY(repainted.contains(XOf(widget, 3000), widget.Painter().Geometry().bottom - 1));
    widget.Redraw(RedrawKind::Partial);
    QVERIFY(widget.LastRepaint().isEmpty());  // nothing changed, nothing repainted
  }

  void choosingFileOnTheActivePaneSwitchesEveryPaneWithinOneTick() {
    QTest::mouseClick(BufferWidget(3).viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
    Tick();
    QCOMPARE(sets_->ActiveSpectrumIndex(), 3);

    Pane(3).Tabs()->setCurrentIndex(1);  // as a click on the FILE tab
    QCOMPARE(sets_->SelectedTab(0), kBufferSet);
    Tick();
    for (int k = 0; k < 4; ++k) {
      QCOMPARE(Pane(k).Tabs()->currentIndex(), 1);
      QCOMPARE(Pane(k).ShownPlotWidget(), Pane(k).PlotWidget(kFileSet));
      QVERIFY(Pane(k).PlotWidget(kFileSet)->isVisible());
    }
    QCOMPARE(Pane(1).windowTitle(), QString("S1: GAMMA+NEUTRONS @ FILE: (Not Loaded)"));
    QVERIFY(!sets_->SettingsRecordLive());

    Pane(3).Tabs()->setCurrentIndex(0);
    Tick();
    for (int k = 0; k < 4; ++k) QCOMPARE(Pane(k).Tabs()->currentIndex(), 0);
    QVERIFY(sets_->SettingsRecordLive());
    QCOMPARE(Pane(1).windowTitle(), QString("S1: GAMMA+NEUTRONS"));
  }

  void choosingATabActivatesItsPane() {
    QCOMPARE(sets_->ActiveSpectrumIndex(), 0);
    Pane(2).Tabs()->setCurrentIndex(1);
    QCOMPARE(sets_->ActiveSpectrumIndex(), 2);
    Tick();
    for (int k = 0; k < 4; ++k) QCOMPARE(Pane(k).Tabs()->currentIndex(), 1);
  }
};

QTEST_MAIN(SpectrumWidgetTest)
#include "spectrum_widget_test.moc"
