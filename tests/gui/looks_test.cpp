// Every application look shows disabled controls as disabled: grey text clearly apart from the
// enabled text (never a tint that passes for the highlight), and edit fields without the editable
// field colour. With MIRVO_LOOKS_SHOTS=<folder> each look's main window is saved as a picture.
#include <QApplication>
#include <QtTest>
#include <cstdlib>

#include "FakeClock.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/ApplicationLook.h"
#include "shell/gui/CMainFrame.h"

using namespace mirvo;

class LooksTest : public QObject {
  Q_OBJECT
 private slots:
  void disabledControlsLookDisabledInEveryLook() {
    for (int command = cmd::kLookFirst; command <= cmd::kLookLast; ++command) {
      const QByteArray name = ApplicationLookName(command).toUtf8();
      QVERIFY2(ApplyApplicationLook(command), name);
      const QPalette p = QApplication::palette();
      for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText}) {
        const QColor enabled = p.color(QPalette::Active, role);
        const QColor disabled = p.color(QPalette::Disabled, role);
        QVERIFY2(std::abs(enabled.lightness() - disabled.lightness()) >= 40, name);
        QVERIFY2(disabled.hslSaturation() <= 40, name);  // grey, not a colour of its own
      }
      // A disabled edit field does not keep the colour of an editable one.
      const int baseGap = std::abs(p.color(QPalette::Active, QPalette::Base).lightness() -
                                   p.color(QPalette::Disabled, QPalette::Base).lightness());
      QVERIFY2(baseGap >= 8 || p.color(QPalette::Active, QPalette::Base) != p.color(QPalette::Disabled, QPalette::Base),
               name);
    }
  }

  void viewMenuMarksTheLookInUse() {
    auto clock = test::FakeClock::AtLocal(CivilTime{});
    MemorySettingsBackend settings;
    CMainFrame frame(clock, settings);
    frame.resize(1366, 768);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const char* folder = std::getenv("MIRVO_LOOKS_SHOTS");
    for (int command = cmd::kLookFirst; command <= cmd::kLookLast; ++command) {
      frame.RunCommand(command);
      for (int other = cmd::kLookFirst; other <= cmd::kLookLast; ++other)
        QCOMPARE(frame.Action(other)->isChecked(), other == command);
      if (folder != nullptr) {
        QApplication::processEvents();
        QVERIFY(frame.grab().save(QString("%1/look-%2.png").arg(folder).arg(command - cmd::kLookFirst + 1)));
      }
    }
  }
};

QTEST_MAIN(LooksTest)
#include "looks_test.moc"
