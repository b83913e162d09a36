#include "display/gui/CColorDlg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "display/SampleSpectrum.h"
#include "display/gui/SpectrumPainter.h"

namespace mirvo {

namespace {

// OVERLAY is the colour of a loaded background spectrum drawn over the measurement.
constexpr std::array<ColourRole, 5> kRoles = {ColourRole::Background, ColourRole::Spectrum, ColourRole::Roi,
                                              ColourRole::Cursor, ColourRole::Overlay};
constexpr std::array<const char*, 5> kRoleTexts = {"BACKGROUND", "SPECTRUM", "ROI", "CURSOR", "OVERLAY"};
constexpr std::array<const char*, 5> kTargetTexts = {"S0", "S1", "S2", "S3", "ALL"};

int RoleIndex(ColourRole role) {
  for (int i = 0; i < static_cast<int>(kRoles.size()); ++i)
    if (kRoles[i] == role) return i;
  return 0;
}

QIcon Swatch(std::uint32_t rgb) {
  QPixmap pixmap(14, 14);
  pixmap.fill(ToQColor(rgb));
  QPainter p(&pixmap);
  p.setPen(QColor(128, 128, 128));
  p.drawRect(0, 0, 13, 13);
  return QIcon(pixmap);
}

}  // namespace

// The preview: a plot of its own holding a fixed sample spectrum with its photopeak marked as a
// ROI and the cursor on it, painted exactly as the spectrum panes paint.
class ColourPreview final : public QWidget {
 public:
  explicit ColourPreview(QWidget* parent) : QWidget(parent), plot_(0, true) {
    setObjectName("ColourPreview");
    setMinimumSize(440, 220);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FillSampleSpectrum(plot_.Record().hardCounts, 4096);
    plot_.ApplySizes(4096, 1024);
    for (int channel = 468; channel <= 522; ++channel) plot_.SetChannelRoi(channel, true);
    plot_.SetCursorChannel(495);
    plot_.SetLinearScaleIndex(14);
    // A third of the sample drawn as a background overlay shows the overlay colour.
    ScaledBackground third;
    third.counts.assign(1024, 0.0);
    for (int channel = 0; channel < 1024; ++channel)
      third.counts[static_cast<std::size_t>(channel)] = plot_.SoftCount(channel) / 3.0;
    third.scale = 1.0;
    background_.scaled = std::move(third);
    background_.caption = "+ BACKGROUND";
  }
  void SetColours(const PlotColours& colours) {
    plot_.SetColours(colours);
    painter_.Invalidate();
    update();
  }
  const PlotColours& Colours() const { return plot_.Colours(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!painter_.Valid(size()) && PrepareFrame(plot_, ClientRect{0, 0, width(), height()}, frame_, &background_))
      painter_.Render(frame_, size(), devicePixelRatioF(), true);
    QPainter p(this);
    painter_.PaintTo(p, plot_.Cursor(), plot_.Colours().cursor);
  }
  void resizeEvent(QResizeEvent*) override { painter_.Invalidate(); }

 private:
  SpectrumPlot plot_;
  PlotBackground background_;
  PlotFrame frame_;
  SpectrumPainter painter_;
};

CColorDlg::CColorDlg(RecordSets& sets, QWidget* parent)
    : QDialog(parent), sets_(sets), chooser_([](const QColor& initial, const QString& title, QWidget* owner) {
        return QColorDialog::getColor(initial, owner, title);
      }) {
  setObjectName("AdjustColorsDialog");
  setWindowTitle("ADJUST COLORS");

  auto* targetBox = new QGroupBox("Spectrum", this);
  auto* targetLayout = new QHBoxLayout(targetBox);
  auto* targetGroup = new QButtonGroup(this);
  for (int target = 0; target <= kColourTargetAll; ++target) {
    auto* button = new QRadioButton(kTargetTexts[target], targetBox);
    button->setObjectName(QString("Target%1").arg(kTargetTexts[target]));
    targetGroup->addButton(button, target);
    targetLayout->addWidget(button);
    targets_[target] = button;
  }
  targetLayout->addStretch(1);
  targets_[0]->setChecked(true);
  connect(targetGroup, &QButtonGroup::idClicked, this, [this](int target) {
    target_ = target;
    ShowTargetColours();
  });

  preview_ = new ColourPreview(this);

  auto* colourBox = new QGroupBox("Colours", this);
  auto* colourLayout = new QHBoxLayout(colourBox);
  for (int i = 0; i < static_cast<int>(kRoles.size()); ++i) {
    auto* button = new QPushButton(kRoleTexts[i], colourBox);
    button->setObjectName(QString("Colour%1").arg(kRoleTexts[i]));
    button->setAutoDefault(false);
    colourLayout->addWidget(button);
    colourButtons_[i] = button;
    connect(button, &QPushButton::clicked, this, [this, i] { ChooseColour(kRoles[i]); });
  }
  colourLayout->addStretch(1);
  default_ = new QPushButton("Default", colourBox);
  default_->setObjectName("ColourDefault");
  default_->setAutoDefault(false);
  colourLayout->addWidget(default_);
  connect(default_, &QPushButton::clicked, this, &CColorDlg::RestoreDefaults);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(targetBox);
  layout->addWidget(preview_, 1);
  layout->addWidget(colourBox);
  layout->addWidget(buttons);
  ShowTargetColours();
}

CColorDlg::~CColorDlg() = default;

QRadioButton* CColorDlg::TargetButton(int target) const {
  return target >= 0 && target <= kColourTargetAll ? targets_[target] : nullptr;
}

QPushButton* CColorDlg::ColourButton(ColourRole role) const { return colourButtons_[RoleIndex(role)]; }

QWidget* CColorDlg::Preview() const { return preview_; }

void CColorDlg::ShowTargetColours() {
  const std::vector<SpectrumPlot*> plots = ColourTargetPlots(sets_, target_);
  if (plots.empty()) return;
  // ALL shows the colours of S0's plot.
  const PlotColours& colours = plots.front()->Colours();
  preview_->SetColours(colours);
  for (std::size_t i = 0; i < kRoles.size(); ++i) colourButtons_[i]->setIcon(Swatch(ColourOf(colours, kRoles[i])));
}

void CColorDlg::ChooseColour(ColourRole role) {
  const std::vector<SpectrumPlot*> plots = ColourTargetPlots(sets_, target_);
  if (plots.empty()) return;
  const QColor initial = ToQColor(ColourOf(plots.front()->Colours(), role));
  const QColor chosen = chooser_(initial, QString(kRoleTexts[RoleIndex(role)]), this);
  if (!chosen.isValid()) return;
  SetTargetColour(sets_, target_, role, FromQColor(chosen));
  ShowTargetColours();
  emit ColoursChanged();
}

void CColorDlg::RestoreDefaults() {
  RestoreTargetColours(sets_, target_);
  ShowTargetColours();
  emit ColoursChanged();
}

}  // namespace mirvo
