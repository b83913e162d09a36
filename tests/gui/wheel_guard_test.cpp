// The mouse wheel never changes a setting it merely passes over: lists, spin boxes and sliders take
// the wheel only with the keyboard focus; otherwise the pane scrolls. Checked on a small pane and on
// every control of the main window's settings panes.
#include <QComboBox>
#include <QDockWidget>
#include <QListWidget>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtTest>

#include "FakeClock.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/COutputWnd.h"
#include "shell/gui/WheelGuard.h"

using namespace mirvo;

namespace {

void Wheel(QWidget* target, int notches) {
  const QPointF local(target->width() / 2.0, target->height() / 2.0);
  QWheelEvent event(local, target->mapToGlobal(local), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

// A state of every setting control under `root` that a wheel could change.
QList<int> Values(QWidget* root) {
  QList<int> values;
  for (auto* combo : root->findChildren<QComboBox*>()) values << combo->currentIndex();
  for (auto* spin : root->findChildren<QSpinBox*>()) values << spin->value();
  for (auto* spin : root->findChildren<QDoubleSpinBox*>()) values << static_cast<int>(spin->value() * 1000);
  for (auto* slider : root->findChildren<QAbstractSlider*>())
    if (qobject_cast<QScrollBar*>(slider) == nullptr) values << slider->value();
  return values;
}

}  // namespace

class WheelGuardTest : public QObject {
  Q_OBJECT
 private slots:
  void wheelScrollsThePaneUnlessTheControlHasTheFocus() {
    WheelGuard::Install();
    QScrollArea area;
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* combo = new QComboBox;
    combo->addItems({"DISABLED", "WINDOW COINC", "WINDOW ANTICOINC"});
    auto* spin = new QSpinBox;
    spin->setRange(0, 100);
    spin->setValue(50);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(50);
    auto* other = new QSpinBox;
    layout->addWidget(combo);
    layout->addWidget(spin);
    layout->addWidget(slider);
    layout->addWidget(other);
    layout->addSpacing(2000);
    area.setWidget(content);
    area.resize(300, 200);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QCOMPARE(spin->focusPolicy(), Qt::StrongFocus);  // a wheel does not hand out the focus either
    area.setFocus();  // the keyboard focus is on the pane, not on a setting
    QTRY_VERIFY(area.hasFocus());

    QScrollBar* bar = area.verticalScrollBar();
    for (QWidget* target : {static_cast<QWidget*>(combo), static_cast<QWidget*>(spin),
                            static_cast<QWidget*>(spin->findChild<QLineEdit*>()), static_cast<QWidget*>(slider)}) {
      const int before = bar->value();
      Wheel(target, 1);
      QVERIFY2(bar->value() > before, target->metaObject()->className());
    }
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(spin->value(), 50);
    QCOMPARE(slider->value(), 50);

    // With the keyboard focus the wheel is the control's.
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    const int scrolled = bar->value();
    Wheel(other, -1);
    QCOMPARE(other->value(), 1);
    QCOMPARE(bar->value(), scrolled);
  }

  void noSettingOfTheMainWindowTakesAPassingWheel() {
    auto clock = test::FakeClock::AtLocal(CivilTime{});
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.resize(1366, 768);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.OutputPane()->List()->setFocus();  // the keyboard focus is in the Events pane
    QTRY_VERIFY(frame.OutputPane()->List()->hasFocus());
    for (const char* name : {"AcquisitionPane", "SignalsPane", "PsaPane", "PsdPane"}) {
      QDockWidget* pane = frame.Pane(name);
      QVERIFY2(pane != nullptr, name);
      const QList<int> before = Values(pane);
      QVERIFY2(!before.isEmpty(), name);
      QList<QWidget*> controls;
      for (auto* c : pane->findChildren<QComboBox*>()) controls << c;
      for (auto* c : pane->findChildren<QAbstractSpinBox*>()) controls << c;
      for (auto* c : pane->findChildren<QAbstractSlider*>())
        if (qobject_cast<QScrollBar*>(c) == nullptr) controls << c;
      for (QWidget* control : controls) {
        const QList<int> was = Values(pane);
        Wheel(control, 1);
        Wheel(control, -2);
        QVERIFY2(Values(pane) == was, qPrintable(QString("%1 %2").arg(name, control->metaObject()->className())));
      }
    }
  }
};

QTEST_MAIN(WheelGuardTest)
#include "wheel_guard_test.moc"
