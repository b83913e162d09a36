// The ADJUST COLORS and SPECTRUM WINDOW CAPTIONS dialogs on the offscreen platform: targets, the
// scripted colour chooser, Default, the preview, and captions cut to 36 characters on OK only.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "display/RecordSets.h"
#include "display/gui/CColorDlg.h"
#include "display/gui/CSpectrumCaptions.h"
#include "display/gui/SpectrumPainter.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;

namespace {

constexpr std::uint32_t kRed = 0x0000FF;  // red in the low byte

bool PictureHolds(const QImage& picture, QRgb colour) {
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) == colour) return true;
  return false;
}

}  // namespace

class SpectrumDialogsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<SpectrumMemory> memory_;
  std::unique_ptr<RecordSets> sets_;
  std::vector<QString> asked_;

  void Script(CColorDlg& dialog, QColor answer) {
    dialog.SetColourChooser([this, answer](const QColor&, const QString& title, QWidget*) {
      asked_.push_back(title);
      return answer;
    });
  }

  void ShowFileSet() {
    sets_->SelectTab(0, kFileSet);
    sets_->SyncIfRequested();
    QCOMPARE(sets_->ShownSetMode(), kFileSet);
  }

 private slots:
  void init() {
    memory_ = std::make_unique<SpectrumMemory>();
    sets_ = std::make_unique<RecordSets>(*memory_);
    asked_.clear();
  }

  void colourGoesToTheChosenTargetOfTheShownSet_data() {
    QTest::addColumn<bool>("fileShown");
    QTest::addColumn<int>("target");
    QTest::newRow("S2 of BUFFER") << false << 2;
    QTest::newRow("ALL of BUFFER") << false << kColourTargetAll;
    QTest::newRow("S1 of FILE") << true << 1;
    QTest::newRow("ALL of FILE") << true << kColourTargetAll;
  }

  void colourGoesToTheChosenTargetOfTheShownSet() {
    QFETCH(bool, fileShown);
    QFETCH(int, target);
    if (fileShown) ShowFileSet();
    CColorDlg dialog(*sets_);
    QCOMPARE(dialog.windowTitle(), QString("ADJUST COLORS"));
    QVERIFY(dialog.TargetButton(0)->isChecked());
    Script(dialog, QColor(255, 0, 0));
    QSignalSpy changed(&dialog, &CColorDlg::ColoursChanged);
    dialog.TargetButton(target)->click();
    dialog.ColourButton(ColourRole::Spectrum)->click();
    QCOMPARE(asked_, std::vector<QString>{"SPECTRUM"});
    QCOMPARE(changed.count(), 1);
    const int shown = fileShown ? kFileSet : kBufferSet;
    for (int set : {kBufferSet, kFileSet}) {
      for (int k = 0; k < 4; ++k) {
        SpectrumPlot& plot = sets_->Plot(k, set);
        const bool hit = set == shown && (target == kColourTargetAll || target == k);
        QCOMPARE(plot.Colours().spectrum, hit ? kRed : PlotColours::kDefaultSpectrum);
        QCOMPARE(plot.Colours().cursor, PlotColours::kDefaultCursor);
        QCOMPARE(plot.TakeRedraw(), hit ? RedrawKind::Full : RedrawKind::None);
      }
    }
  }

  void previewShowsTheTargetColoursAndCancelledChooserChangesNothing() {
    CColorDlg dialog(*sets_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRgb red = qRgb(255, 0, 0);
    QVERIFY(!PictureHolds(dialog.Preview()->grab().toImage(), red));

    Script(dialog, QColor());  // the chooser was cancelled
    dialog.ColourButton(ColourRole::Roi)->click();
    QCOMPARE(sets_->BufferPlot(0).Colours(), PlotColours{});

    Script(dialog, QColor(255, 0, 0));
    dialog.ColourButton(ColourRole::Roi)->click();
    QCOMPARE(sets_->BufferPlot(0).Colours().roi, kRed);
    QVERIFY(PictureHolds(dialog.Preview()->grab().toImage(), red));

    // Another target shows its own colours; Default restores only the target.
    dialog.TargetButton(3)->click();
    QVERIFY(!PictureHolds(dialog.Preview()->grab().toImage(), red));
    dialog.ColourButton(ColourRole::Background)->click();
    dialog.DefaultButton()->click();
    QCOMPARE(sets_->BufferPlot(3).Colours(), PlotColours{});
    QCOMPARE(sets_->BufferPlot(0).Colours().roi, kRed);

    // Cancel only closes: the colours chosen stay.
    dialog.reject();
    QCOMPARE(sets_->BufferPlot(0).Colours().roi, kRed);
  }

  void captionsDialogEditsTheBufferCaptions() {
    sets_->SetConnection(true, "ttyUSB0");
    CSpectrumCaptions dialog(*sets_);
    QCOMPARE(dialog.windowTitle(), QString("SPECTRUM WINDOW CAPTIONS"));
    QCOMPARE(dialog.CaptionEdit(1)->text(), QString("GAMMA+NEUTRONS"));

    const QString forty = "0123456789012345678901234567890123456789";
    dialog.CaptionEdit(0)->setText(forty);
    dialog.CaptionEdit(2)->setText("");
    dialog.CaptionEdit(3)->setText("AmBe");
    dialog.OkButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(sets_->BufferPlot(0).Record().caption, forty.left(36).toStdString());
    QCOMPARE(sets_->PaneTitle(0), "S0: " + forty.left(36).toStdString() + " @ ttyUSB0");
    QCOMPARE(sets_->PaneTitle(2), std::string("S2:  @ ttyUSB0"));
    QCOMPARE(sets_->BufferPlot(3).Record().caption, std::string("AmBe"));
  }

  void captionsDefaultFillsTheEditsAndCancelKeepsTheCaptions() {
    sets_->ApplyCaptions({"A", "B", "C", "D"});
    CSpectrumCaptions dialog(*sets_);
    QCOMPARE(dialog.CaptionEdit(3)->text(), QString("D"));
    dialog.DefaultButton()->click();
    const QStringList defaults{"TIPS", "GAMMA+NEUTRONS", "GAMMA", "NEUTRONS"};
    for (int k = 0; k < 4; ++k) QCOMPARE(dialog.CaptionEdit(k)->text(), defaults[k]);
    dialog.CancelButton()->click();
    QCOMPARE(sets_->BufferCaptions(), (std::array<std::string, 4>{"A", "B", "C", "D"}));

    CSpectrumCaptions again(*sets_);
    again.DefaultButton()->click();
    again.OkButton()->click();
    QCOMPARE(sets_->BufferPlot(1).Record().caption, std::string("GAMMA+NEUTRONS"));
  }
};

QTEST_MAIN(SpectrumDialogsTest)
#include "spectrum_dialogs_test.moc"
