// The "Spectrum Tag" dialog: title, pre-filled edit limited to 100 characters, OK returns the text
// and Cancel returns nothing; MIRVO_SCREENSHOT_DIR=folder saves a picture of it.
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "files/gui/CDialogTag.h"

using namespace mirvo;

class TagDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void ShowsTheTagLimitedTo100Characters() {
    CDialogTag dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Spectrum Tag"));
    dialog.Prepare("cobalt run 7");
    QCOMPARE(dialog.TagEdit()->text(), QStringLiteral("cobalt run 7"));
    QCOMPARE(dialog.TagEdit()->maxLength(), 100);
    dialog.TagEdit()->clear();
    QTest::keyClicks(dialog.TagEdit(), QString(120, QLatin1Char('x')));
    QCOMPARE(dialog.Text(), std::string(100, 'x'));
    const QByteArray folder = qgetenv("MIRVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
      dialog.Prepare("Cs-137 source at 10 cm, 3600 s");
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QVERIFY(dialog.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/tag_dialog.png")));
    }
  }

  void OkReturnsTheTextAndCancelNothing() {
    CDialogTag dialog;
    std::string tag = "before";
    QTimer::singleShot(0, &dialog, [&dialog] {
      dialog.TagEdit()->setText(QStringLiteral("after"));
      dialog.OkButton()->click();
    });
    QVERIFY(dialog.EditTag(tag));
    QCOMPARE(tag, std::string("after"));

    QTimer::singleShot(0, &dialog, [&dialog] {
      dialog.TagEdit()->setText(QStringLiteral("ignored"));
      dialog.CancelButton()->click();
    });
    QVERIFY(!dialog.EditTag(tag));
    QCOMPARE(tag, std::string("after"));
  }
};

QTEST_MAIN(TagDialogTest)
#include "tag_dialog_test.moc"
