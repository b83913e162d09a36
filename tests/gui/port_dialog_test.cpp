#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "link/PortEnumerator.h"
#include "link/gui/CComPortDlg.h"

using namespace mirvo;

class PortDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void choosesAPortAndKeepsTheLineSettingsHidden() {
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const std::filesystem::path folder = VirtualPortFolder();
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink("/dev/null", folder / "ttyKV42");

    CComPortDlg dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Port"));
    QComboBox* ports = dialog.PortCombo();
    const int index = ports->findText("Kvetral simulator (ttyKV42)");
    QVERIFY(index >= 0);
    ports->setCurrentIndex(index);
    if (const char* folderForPictures = std::getenv("MIRVO_PANE_PICTURES"))
      dialog.grab().save(QString(folderForPictures) + "/port_dialog.png");
    // Only the port is visible: the link always runs 8N1 with RTS/CTS.
    int visibleCombos = 0;
    for (QComboBox* combo : dialog.findChildren<QComboBox*>()) visibleCombos += combo->isVisible() ? 1 : 0;
    QCOMPARE(visibleCombos, 1);

    dialog.accept();
    QCOMPARE(dialog.DeviceName(), (folder / "ttyKV42").string());
    QCOMPARE(dialog.BaudRate(), 460800u);
  }
};

QTEST_MAIN(PortDialogTest)
#include "port_dialog_test.moc"
