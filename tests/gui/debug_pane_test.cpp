// The "Debug" pane in the main window: the register debugger's form in place of the placeholder,
// enabled only while the BUFFER set is shown; against the in-process simulator a typed value and a
// bit button reach the instrument, and About Hardware shows the instrument's identity. With
// MIRVO_SCREENSHOT_DIR=<folder> the window, the pane and the box are saved as pictures at 1920x1080
// and 1366x768 (debug-<w>x<h>.png, about-hardware.png, and debug.png for the README).
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>
#include <cstdlib>

#include "acquisition/LinkLifecycle.h"
#include "lib/Simulator.h"
#include "panels/RegisterDebuggerPanel.h"
#include "panels/gui/CDebugView.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"

using namespace mirvo;

namespace {

CDebugView* ViewOf(CMainFrame& frame) { return frame.findChild<CDebugView*>(QStringLiteral("DebugView")); }

// Every child widget that is shown lies inside its parent's rectangle (nothing clipped).
QString Clipped(QWidget* root) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || w->parentWidget() == nullptr || qobject_cast<QScrollBar*>(w)) continue;
    if (w->inherits("QScrollArea") || w->parentWidget()->inherits("QAbstractScrollArea")) continue;
    if (!w->parentWidget()->rect().contains(w->geometry()))
      return w->metaObject()->className() + QStringLiteral(" ") + w->objectName();
  }
  return {};
}

// Runs `command`, answers the message box it opens with OK and returns its caption and text
// (grabbed to `picture` when one is given).
std::pair<QString, QString> RunAndReadBox(CMainFrame& frame, int command, const QString& picture = {}) {
  std::pair<QString, QString> seen;
  QTimer::singleShot(0, &frame, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {box->windowTitle(), box->text()};
    if (!picture.isEmpty()) box->grab().save(picture);
    box->button(QMessageBox::Ok)->click();
  });
  frame.RunCommand(command);
  return seen;
}

}  // namespace

class DebugPaneTest : public QObject {
  Q_OBJECT
 private slots:
  void theFormReplacesThePlaceholderAndFollowsTheShownSet() {
    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QDockWidget* pane = frame.Pane(QStringLiteral("DebugPane"));
    QVERIFY(pane != nullptr);
    QCOMPARE(pane->windowTitle(), QStringLiteral("Debug"));
    pane->raise();
    CDebugView* view = ViewOf(frame);
    QVERIFY(view != nullptr);
    QVERIFY(pane->isAncestorOf(view));
    QStringList captions;
    for (auto* button : view->findChildren<QPushButton*>()) captions << button->text();
    for (auto* box : view->findChildren<QCheckBox*>()) captions << box->text();
    for (auto* label : view->findChildren<QLabel*>()) captions << label->text();
    for (const char* text : {"READ", "WRITE", "AUTO READ", "AUTO WRITE", "LOAD FILE", "SAVE FILE", "Register",
                             "Value (HEX)", "Value (DEC)", "Value (BIN)"})
      QVERIFY2(captions.contains(QString::fromLatin1(text)), text);
    QCOMPARE(view->RegisterList()->count(), 128);
    QCOMPARE(view->RegisterList()->itemText(127), QStringLiteral("127"));
    QCOMPARE(view->DecEdit()->text(), QStringLiteral("0"));
    // Bit 15 on the left, bit 0 on the right.
    QTest::qWait(50);
    for (int bit = 1; bit < 16; ++bit)
      QVERIFY(view->BitButton(bit)->mapTo(view, QPoint()).x() < view->BitButton(bit - 1)->mapTo(view, QPoint()).x());

    // Choosing a register shows its start value; a bit button toggles its bit.
    view->RegisterList()->setCurrentIndex(12);
    // The first refresh from the settings record may still be on its way under load.
    QTRY_COMPARE(view->DecEdit()->text(), QStringLiteral("120"));
    QCOMPARE(view->HexEdit()->text(), QStringLiteral("78"));
    QTest::mouseClick(view->BitButton(15), Qt::LeftButton);
    QCOMPARE(view->HexEdit()->text(), QStringLiteral("8078"));
    QCOMPARE(view->BitButton(15)->text(), QStringLiteral("1"));
    // Typing is taken while the edit has the focus.
    view->DecEdit()->setFocus();
    QTRY_VERIFY(view->DecEdit()->hasFocus());
    view->DecEdit()->selectAll();
    QTest::keyClicks(view->DecEdit(), "70000");
    QCOMPARE(view->HexEdit()->text(), QStringLiteral("FFFF"));
    QCOMPARE(frame.Debugger().SelectedValue(), 65535);

    // Only while the BUFFER set is shown.
    QWidget* form = pane->widget();
    QVERIFY(form->isEnabled());
    frame.Sets().SelectTab(0, kFileSet);
    frame.OnTimerTick();
    QVERIFY(!form->isEnabled());
    frame.Sets().SelectTab(0, kBufferSet);
    frame.OnTimerTick();
    QVERIFY(form->isEnabled());
  }

  void againstTheSimulator() {
    kvetral::SimOptions options;
    options.serial = 4711;
    kvetral::Simulator sim(options);
    QVERIFY(sim.Start());
    sim.SetRegister(0x3F, 123);  // FPGA version 12.3

    MemorySettingsBackend settings;
    CMainFrame frame(DefaultClock(), settings);
    frame.resize(1366, 768);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QDockWidget* pane = frame.Pane(QStringLiteral("DebugPane"));
    pane->raise();
    CDebugView* view = ViewOf(frame);
    RegisterDebuggerPanel& debugger = frame.Debugger();
    QVERIFY(!frame.Action(cmd::kAboutHardware)->isEnabled());
    QVERIFY(!frame.Action(cmd::kCopyRegistersFileToBuffer)->isEnabled());

    frame.Lifecycle().SetDeviceName(sim.DevicePath());
    frame.RunCommand(cmd::kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(frame.Lifecycle().Link().Responding(), 10000);
    QVERIFY(frame.Action(cmd::kAboutHardware)->isEnabled());
    QVERIFY(frame.Action(cmd::kCopyRegistersBufferToFile)->isEnabled());
    // AUTO READ: the table follows the instrument.
    view->RegisterList()->setCurrentIndex(0x02);
    QTRY_COMPARE_WITH_TIMEOUT(view->DecEdit()->text(), QString::number(sim.Register(0x02)), 5000);

    // A typed value goes out with WRITE (AUTO READ off, so no status read replaces it meanwhile).
    frame.findChild<QCheckBox*>(QStringLiteral("AutoRead"))->setChecked(false);
    QVERIFY(!debugger.AutoRead());
    view->HexEdit()->setFocus();
    QTRY_VERIFY(view->HexEdit()->hasFocus());
    view->HexEdit()->selectAll();
    QTest::keyClicks(view->HexEdit(), "c8");
    QCOMPARE(view->DecEdit()->text(), QStringLiteral("200"));
    QTest::mouseClick(frame.findChild<QPushButton*>(QStringLiteral("Write")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x02), std::uint16_t{200}, 5000);

    // With AUTO WRITE a bit button writes at once.
    view->RegisterList()->setCurrentIndex(0x50);
    frame.findChild<QCheckBox*>(QStringLiteral("AutoWrite"))->setChecked(true);
    QTest::mouseClick(view->BitButton(9), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(sim.Register(0x50), std::uint16_t(debugger.SelectedValue()), 5000);
    QVERIFY(sim.Register(0x50) & 0x0200);

    const char* folder = std::getenv("MIRVO_SCREENSHOT_DIR");
    const QString dir = folder ? QString::fromLatin1(folder) : QString();
    const auto [caption, text] =
        RunAndReadBox(frame, cmd::kAboutHardware, folder ? dir + "/about-hardware.png" : QString());
    QCOMPARE(caption, QStringLiteral("Kvetral"));
    QVERIFY2(text.startsWith("Serial Number:\t04711\nFirmware Version:\t"), qPrintable(text));
    QVERIFY2(text.contains("\nFPGA Version:\t 12.3\nPrimary TC (5%):\t"), qPrintable(text));

    QTRY_VERIFY_WITH_TIMEOUT(Clipped(view).isEmpty(), 2000);
    // At 1366x768 with the default layout the whole form fits the pane without scrolling.
    auto* scroll = qobject_cast<QScrollArea*>(pane->widget());
    QVERIFY(scroll != nullptr);
    QVERIFY2(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible(),
             qPrintable(QStringLiteral("pane %1x%2").arg(pane->width()).arg(pane->height())));
    if (folder) {
      for (const QSize size : {QSize(1920, 1080), QSize(1366, 768)}) {
        frame.resize(size);
        QTest::qWait(600);
        const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
        QVERIFY(pane->grab().save(dir + "/debug" + suffix));
        QVERIFY(frame.grab().save(dir + "/debug-window" + suffix));
        QVERIFY2(Clipped(view).isEmpty(), qPrintable(Clipped(view)));
      }
      // The README's picture: the form (without the pane's empty room) with the About Hardware box beside it.
      const QPixmap left = view->grab(view->childrenRect().adjusted(-6, -4, 6, 4));
      const QPixmap right(dir + "/about-hardware.png");
      QPixmap both(left.width() + right.width() + 16, std::max(left.height(), right.height()));
      both.fill(frame.palette().color(QPalette::Window));
      QPainter painter(&both);
      painter.drawPixmap(0, 0, left);
      painter.drawPixmap(left.width() + 16, 0, right);
      painter.end();
      QVERIFY(both.save(dir + "/debug.png"));
    }
    frame.RunCommand(cmd::kDisconnect);
  }
};

QTEST_MAIN(DebugPaneTest)
#include "debug_pane_test.moc"
