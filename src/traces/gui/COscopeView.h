// The trace viewer's form (pane "Trace Viewer"): the trace area with its 16 x 16 grid, the analog
// trace and the eight digital lanes, and the controls (RUN, mode, time base, delay, vertical scale
// and offset, signal, trigger source, INVERT, PEAK, the ROI-SCA window). It draws what TraceViewer
// decides and forwards the controls to it.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace mirvo {

class TraceViewer;

// The drawing surface: the grid and the nine traces of the viewer's current block.
class TraceScreen : public QWidget {
  Q_OBJECT
 public:
  explicit TraceScreen(TraceViewer& viewer, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {530, 530}; }
  QSize minimumSizeHint() const override { return {272, 272}; }
  static QColor LaneColour(int lane);  // 0 the analog trace, 1 .. 8 the digital lanes

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TraceViewer& viewer_;
  QPixmap grid_;  // the background and grid of the current size, drawn once
};

class COscopeView : public QWidget {
  Q_OBJECT
 public:
  explicit COscopeView(TraceViewer& viewer, QWidget* parent = nullptr);
  // Shows the viewer's values in the controls.
  void ShowValues();
  // Redraws the trace area.
  void ShowTrace();

  TraceScreen* Screen() const { return screen_; }
  QPushButton* RunButton() const { return run_; }
  QPushButton* ModeButton() const { return mode_; }

 private:
  TraceViewer& viewer_;
  TraceScreen* screen_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* mode_ = nullptr;
  QLabel* timeLabel_ = nullptr;
  QLabel* verticalLabel_ = nullptr;
  QSlider* delay_ = nullptr;
  QSlider* offset_ = nullptr;
  std::array<QPushButton*, 4> analog_{};
  std::array<QPushButton*, 8> triggers_{};
  QCheckBox* invert_ = nullptr;
  QCheckBox* peak_ = nullptr;
  QLabel* roiStart_ = nullptr;
  QLabel* roiEnd_ = nullptr;
};

}  // namespace mirvo
