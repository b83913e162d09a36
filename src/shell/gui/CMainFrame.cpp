#include "shell/gui/CMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDockWidget>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "acquisition/LinkLifecycle.h"
#include "link/gui/QtMessageTarget.h"
#include "shell/BackgroundSettings.h"
#include "shell/Commands.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"
#include "shell/gui/ApplicationLook.h"
#include "shell/gui/COutputWnd.h"
#include "shell/gui/MainAmplifier.h"
#include "shell/gui/MainDebugger.h"
#include "shell/gui/MainHistory.h"
#include "shell/gui/MainLinkHost.h"
#include "shell/gui/MainTraceViewer.h"
#include "shell/gui/MainWatchdog.h"
#include "shell/gui/PanelPane.h"
#include "shell/gui/WheelGuard.h"
#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LoggedRunSaver.h"
#include "acquisition/gui/CAcquisitionView.h"
#include "acquisition/gui/QtFolderChooser.h"
#include "display/gui/CCalibrationView.h"
#include "timesvc/CSNTPClient.h"
#include "timesvc/ClockSetter.h"
#include "timesvc/TimeUtcModel.h"
#include "timesvc/gui/CTimeUTC.h"
#include "display/gui/CSpectrum.h"
#include "display/gui/CSpectrumInfoView.h"
#include "display/gui/CSpectrumWnd.h"
#include "display/gui/QtUserDialog.h"
#include "panels/PulseShapePanel.h"
#include "panels/RecordSetsPanelHost.h"
#include "panels/ShaperPanel.h"
#include "panels/gui/CPSDView.h"
#include "panels/gui/CShaperView.h"

namespace mirvo {
namespace {
CMainFrame* theMainFrame = nullptr;

QByteArray ToQt(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}
std::vector<std::uint8_t> FromQt(const QByteArray& bytes) { return std::vector<std::uint8_t>(bytes.begin(), bytes.end()); }
}  // namespace

CMainFrame* MainFrame() { return theMainFrame; }

CMainFrame::CMainFrame(const IClock& clock, ISettingsBackend& settings, QWidget* parent)
    : QMainWindow(parent),
      clock_(clock),
      settingsBackend_(settings),
      settings_(std::make_unique<SettingsStore>(settings)),
      outputLog_(std::make_unique<OutputLog>(clock)),
      memory_(std::make_unique<SpectrumMemory>()),
      recordSets_(std::make_unique<RecordSets>(*memory_)) {
  theMainFrame = this;
  setObjectName("MainFrame");
  setWindowTitle("mirvo-PSD");
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks | QMainWindow::AllowTabbedDocks);
  setDockNestingEnabled(true);

  linkHost_ = std::make_unique<MainLinkHost>(this, *outputLog_, *recordSets_, [this] { return samplePeriod_.Us(); });
  messageTarget_ = std::make_unique<QtMessageTarget>(
      this, [this](unsigned, std::uintptr_t wParam, std::intptr_t) { OnSerialMessage(wParam); });
  lifecycle_ = std::make_unique<LinkLifecycle>(*linkHost_, *linkHost_, *memory_, *messageTarget_);
  lifecycle_->AddObserver(*linkHost_);

  SetApplicationLook(static_cast<int>(settings_->LoadAppLook()));
  WheelGuard::Install();
  BuildPanes();
  BuildAcquisition();
  BuildAmplifier();
  BuildShaping();
  BuildTraceViewer();  // MainTraceViewer.cpp
  BuildDebugger();
  BuildHistory();
  linkHost_->onPanelsRefresh = [this] { infoView_->RefreshRates(recordSets_->SettingsRecord().registers); };
  lifecycle_->RefreshChain().Join(RegisterRefreshChain::Rank::kAfterPanels, *linkHost_);
  linkHost_->onConnected = [this] { ShowSpectrumPanes(/*withShaperPane=*/true); };
  BuildMenus();
  BuildToolBars();
  BuildStatusBar();
  BuildWatchdog(settings);
  recordSets_->SetListener(this);
  settings_->LoadSpectra(*recordSets_);
  LoadBackgroundSettings(settings, *recordSets_);
  ArrangeDefaultLayout();
  if (const auto toolbars = settings_->LoadLayout(settings_key::kToolbarState)) restoreState(ToQt(*toolbars));
  LoadWindowPlacement();
  if (const auto layout = settings_->LoadLayout(settings_key::kAppState)) {
    restoreState(ToQt(*layout));
    defaultSizesPending_ = false;
  }
  outputLog_->AddLine("Start Application");
  // The shown set is synchronised once at start, also when no plot ever takes the focus: the panes
  // get their titles and the settings panels the stored calibration at the first tick.
  recordSets_->RequestRefresh();
  UpdateCommandStates();
  // Suspend and resume as the login manager announces them (absent on some systems: then nothing).
  QDBusConnection::systemBus().connect("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                                       SLOT(OnPrepareForSleep(bool)));
}

void CMainFrame::OnPowerEvent(bool suspending) {
  if (!suspending) {
    SetApplicationLook(appLook_);
    return;
  }
  recordSets_->LiveRecord().refreshEnable = 0;
  lifecycle_->CloseHardwareLink();
}

CMainFrame::~CMainFrame() {
  if (theMainFrame == this) theMainFrame = nullptr;
  if (timer_) timer_->stop();
  // An edit that still has the focus commits its text when it loses it: let that happen now, while
  // the panels it commits to exist, not while the window's widgets go after them.
  if (QWidget* focused = QApplication::focusWidget(); focused != nullptr && isAncestorOf(focused)) focused->clearFocus();
  recordSets_->SetListener(nullptr);
  // The link's listener thread posts to this window: stop it before anything goes.
  lifecycle_->Link().Port().Close();
  // Panes hold references to core objects owned here: they go first.
  DestroyTraceViewer();
  DestroyAmplifier();
  delete outputPane_;
  outputPane_ = nullptr;
}

void CMainFrame::BuildPanes() {
  outputPane_ = new COutputWnd(*outputLog_, this);
  for (int k = 0; k < 4; ++k) spectrumPanes_[static_cast<std::size_t>(k)] = new CSpectrumWnd(*recordSets_, k, this);
  const QString later = "This panel is not available in this version of mirvo-PSD.";
  // The information form first: the calibration panel keeps a pointer to its texts.
  userDialog_ = std::make_unique<QtUserDialog>(this);
  infoView_ = new CSpectrumInfoView(*recordSets_, [this] { return samplePeriod_.Us(); });
  calibrationView_ = new CCalibrationView(*recordSets_, *userDialog_, infoView_);
  infoPane_ = new PanelPane("Spectrum Info", "SpectrumInfoPane", infoView_, this);
  calibrationPane_ = new PanelPane("Calibration", "CalibrationPane", calibrationView_, this);
  settingsPanes_ = {
      nullptr,  // ACQUISITION: BuildAcquisition
      nullptr,  // SIGNALS: BuildAmplifier
      nullptr,  // PSA: BuildShaping
      nullptr,  // PSD: BuildShaping
  };
  settingsPanes_.push_back(nullptr);  // Trace Viewer: BuildTraceViewer
  for (auto* pane : {PanelPane::Placeholder("Debug", "DebugPane", later, this)})
    settingsPanes_.push_back(pane);
}

void CMainFrame::BuildAcquisition() {
  ntpClient_ = std::make_unique<CSNTPClient>(clock_);
  clockSetter_ = std::make_unique<SystemClockSetter>();
  timeUtcModel_ = std::make_unique<TimeUtcModel>(clock_, *ntpClient_, *clockSetter_);
  timeUtcDialog_ = new CTimeUTC(*timeUtcModel_, this);
  folderChooser_ = std::make_unique<QtFolderChooser>(this);
  acquisitionPanel_ = std::make_unique<AcquisitionPanel>(
      *linkHost_, StartTimeServices{linkHost_->startTime, *timeUtcDialog_, clock_, DefaultSleeper()}, *userDialog_,
      *folderChooser_);
  acquisitionPanel_->Attach(*lifecycle_);
  runSaver_ = std::make_unique<RecordSetsRunSaver>(*recordSets_, *userDialog_);
  acquisitionPanel_->Logger().SetSaver(runSaver_.get());
  acquisitionPanel_->Logger().SetN42(static_cast<LoggedN42>(settings_->LoadLoggerN42()));
  linkHost_->SetSpectrumInfo(&infoView_->Info());
  acquisitionView_ = new CAcquisitionView(*acquisitionPanel_);
  linkHost_->onPanelChanged = [this] { acquisitionView_->ShowValues(); };
  acquisitionPanel_->Initialise();
  // A short pane scrolls its form rather than cutting it off.
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(acquisitionView_);
  settingsPanes_[0] = new PanelPane("ACQUISITION", "AcquisitionPane", scroll, this);
}

void CMainFrame::BuildShaping() {
  panelHost_ = std::make_unique<RecordSetsPanelHost>(*recordSets_, acquisitionPanel_.get());
  shaperPanel_ = std::make_unique<ShaperPanel>(*panelHost_, samplePeriod_, *userDialog_);
  pulseShapePanel_ = std::make_unique<PulseShapePanel>(*panelHost_, *userDialog_);
  shaperPanel_->Attach(*lifecycle_);
  pulseShapePanel_->Attach(*lifecycle_);
  shaperView_ = new CShaperView(*shaperPanel_);
  psdView_ = new CPSDView(*pulseShapePanel_);
  shaperPanel_->onChanged = [this] {
    shaperView_->ShowValues();
    if (samplePeriod_.ClockChanged()) acquisitionPanel_->RefreshFromRecord();  // its [us] fields
  };
  pulseShapePanel_->onChanged = [this] { psdView_->ShowValues(); };
  shaperPanel_->Initialise();
  pulseShapePanel_->Initialise();
  auto scrolled = [](QWidget* form) {
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(form);
    return scroll;
  };
  settingsPanes_[2] = new PanelPane("PSA", "PsaPane", scrolled(shaperView_), this);
  settingsPanes_[3] = new PanelPane("PSD", "PsdPane", scrolled(psdView_), this);
}

void CMainFrame::SizesApplied(SpectrumPlot& plot) {
  if (shaperPanel_ && plot.SpectrumIndex() == 1) shaperPanel_->ReexpressThresholds();
}

void CMainFrame::ArrangeDefaultLayout() {
  // Spectra in a 2 x 2 grid on the left, the settings panels tabbed on the right with the peak
  // information below them, the log and the tools tabbed along the bottom.
  QDockWidget* s0 = spectrumPanes_[0];
  addDockWidget(Qt::LeftDockWidgetArea, s0);
  splitDockWidget(s0, spectrumPanes_[1], Qt::Horizontal);
  splitDockWidget(s0, spectrumPanes_[2], Qt::Vertical);
  splitDockWidget(spectrumPanes_[1], spectrumPanes_[3], Qt::Vertical);

  PanelPane* acquisition = settingsPanes_[0];
  addDockWidget(Qt::RightDockWidgetArea, acquisition);
  splitDockWidget(acquisition, infoPane_, Qt::Vertical);
  for (std::size_t i = 1; i < 4; ++i) tabifyDockWidget(acquisition, settingsPanes_[i]);
  tabifyDockWidget(infoPane_, calibrationPane_);
  acquisition->raise();
  infoPane_->raise();

  addDockWidget(Qt::BottomDockWidgetArea, outputPane_);
  tabifyDockWidget(outputPane_, settingsPanes_[4]);
  tabifyDockWidget(outputPane_, settingsPanes_[5]);
  tabifyDockWidget(outputPane_, Pane("HistoryPane"));
  outputPane_->raise();
  defaultSizesPending_ = true;
}

void CMainFrame::ShowDefaultLayout() {
  if (const auto layout = settings_->LoadLayout(settings_key::kAppStateDefault)) {
    restoreState(ToQt(*layout));
  } else {
    ArrangeDefaultLayout();
    defaultSizesPending_ = false;
    QTimer::singleShot(0, this, &CMainFrame::ApplyDefaultSizes);  // once the panes are laid out again
  }
  // Every pane comes back, also the ones the user closed and the stored layout kept closed.
  for (QDockWidget* pane : findChildren<QDockWidget*>()) pane->setVisible(true);
  for (QToolBar* bar : findChildren<QToolBar*>()) bar->setVisible(true);
  // The default tab of each group in front, as at the first start.
  settingsPanes_[0]->raise();
  infoPane_->raise();
  outputPane_->raise();
}

void CMainFrame::ShowSpectrumPanes(bool withShaperPane) {
  for (CSpectrumWnd* pane : spectrumPanes_) pane->setVisible(true);
  if (withShaperPane) {
    settingsPanes_[2]->setVisible(true);
    settingsPanes_[2]->raise();
  }
}

void CMainFrame::ApplyDefaultSizes() {
  // Sizes take effect once the window has its own size: the spectra get most of the room.
  const int width = this->width();
  const int height = this->height();
  // Room for a connect, start and stop sequence in the Events pane (about ten lines).
  const int bottom = std::max(220, height / 4);
  const int column = std::max(200, height - bottom - 120);  // less the menu, tool and status bars
  resizeDocks({spectrumPanes_[0], spectrumPanes_[2]}, {column / 2, column / 2}, Qt::Vertical);
  resizeDocks({spectrumPanes_[0], spectrumPanes_[1], settingsPanes_[0]},
              {(width - std::max(width / 4, 380)) / 2, (width - std::max(width / 4, 380)) / 2, std::max(width / 4, 380)},
              Qt::Horizontal);
  const int infoHeight = std::min(400, column / 2);
  resizeDocks({settingsPanes_[0], infoPane_}, {column - infoHeight, infoHeight}, Qt::Vertical);
  resizeDocks({outputPane_}, {bottom}, Qt::Vertical);
}

void CMainFrame::BuildStatusBar() {
  for (std::size_t i = 0; i < statusPanes_.size(); ++i) {
    statusPanes_[i] = new QLabel(this);
    statusPanes_[i]->setObjectName(QString("StatusPane%1").arg(i));
  }
  statusPanes_[0]->setMinimumWidth(fontMetrics().horizontalAdvance('0') * 10);
  statusPanes_[1]->setMinimumWidth(fontMetrics().horizontalAdvance(CSpectrumInfoView::kCursorPaneWidthText));
  statusPanes_[2]->setMinimumWidth(fontMetrics().horizontalAdvance(CSpectrumInfoView::kRoiPaneWidthText));
  statusBar()->addWidget(statusPanes_[0]);
  statusBar()->addWidget(statusPanes_[1], 1);
  statusBar()->addPermanentWidget(statusPanes_[2]);
  connect(infoView_, &CSpectrumInfoView::StatusTextsChanged, this, [this](const QString& cursor, const QString& roi) {
    statusPanes_[1]->setText(cursor);
    statusPanes_[2]->setText(roi);
  });
}

void CMainFrame::LoadWindowPlacement() {
  const auto placement = settings_->LoadWindowPlacement();
  const QRect available = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry()
                                                        : QRect(0, 0, 1920, 1080);
  if (!placement) {
    resize(std::min(1800, available.width() - 40), std::min(1000, available.height() - 40));
    return;
  }
  const QRect normal(QPoint(placement->left, placement->top), QPoint(placement->right - 1, placement->bottom - 1));
  if (normal.isValid() && available.intersects(normal)) setGeometry(normal);
  if (placement->showCommand == 3) setWindowState(windowState() | Qt::WindowMaximized);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstPaint_) return;
  firstPaint_ = false;
  if (defaultSizesPending_) {
    defaultSizesPending_ = false;
    QTimer::singleShot(0, this, &CMainFrame::ApplyDefaultSizes);
  }
  timer_ = new QTimer(this);
  timer_->setObjectName("CommTimer");
  connect(timer_, &QTimer::timeout, this, &CMainFrame::OnTimerTick);
  timer_->start(200);
  if (!timer_->isActive()) QMessageBox::critical(this, "mirvo-PSD", "Error Timer");
}

void CMainFrame::OnTimerTick() {
  lifecycle_->OnCommTimer();
  WatchdogTick();
  const bool refreshed = recordSets_->SyncIfRequested();
  for (CSpectrumWnd* pane : spectrumPanes_)
    if (pane->isVisible()) pane->Tick(refreshed ? RedrawKind::Full : RedrawKind::Partial);
  infoView_->Tick();
  TickHistory();
  acquisitionView_->UpdateEnabling();
  UpdateCommandStates();
}

void CMainFrame::OnSerialMessage(std::uintptr_t wParam) { lifecycle_->OnSerialEvent(wParam); }

void CMainFrame::SaveSettings() {
  settings_->SaveLayout(settings_key::kToolbarState, FromQt(saveState()));
  WindowPlacement placement;
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  placement.showCommand = isMaximized() ? 3 : (isMinimized() ? 2 : 1);
  placement.left = normal.left();
  placement.top = normal.top();
  placement.right = normal.right() + 1;
  placement.bottom = normal.bottom() + 1;
  settings_->SaveWindowPlacement(placement);
  settings_->SaveLayout(settings_key::kAppState, FromQt(saveState()));
  settings_->SaveSpectra(*recordSets_);
  SaveBackgroundSettings(settingsBackend_, *recordSets_);
  settings_->SaveLoggerN42(static_cast<std::uint32_t>(acquisitionPanel_->Logger().N42()));
  settings_->SaveAppLook(static_cast<std::uint32_t>(appLook_));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  SaveSettings();
  lifecycle_->CloseHardwareLink();
  if (timer_) timer_->stop();
  event->accept();
}

void CMainFrame::SetApplicationLook(int command) {
  appLook_ = command;
  ApplyApplicationLook(command);
  if (lookGroup_) {
    for (QAction* action : lookGroup_->actions()) action->setChecked(action->data().toInt() == command);
  }
}

// --- record-set listener

void CMainFrame::PaneTitleChanged(int spectrum, const std::string&) {
  if (spectrum >= 0 && spectrum < 4) spectrumPanes_[static_cast<std::size_t>(spectrum)]->SyncFromRecordSets();
}

void CMainFrame::TabSelected(int spectrum, int) {
  if (spectrum >= 0 && spectrum < 4) spectrumPanes_[static_cast<std::size_t>(spectrum)]->SyncFromRecordSets();
}

void CMainFrame::RefreshSettingsPanels(SpectrumRecord&, bool enabled) {
  if (shaperPanel_) shaperPanel_->RefreshFromRecord();
  if (pulseShapePanel_) pulseShapePanel_->RefreshFromRecord();
  if (acquisitionPanel_) acquisitionPanel_->RefreshFromRecord();
  RefreshAmplifier();
  if (traceViewer_) traceViewer_->viewer.RefreshFromStatus();
  if (debugger_) debugger_->panel.RefreshFromRecord();
  for (PanelPane* pane : settingsPanes_)
    if (pane && pane->widget() && pane != settingsPanes_[3]) pane->widget()->setEnabled(enabled);
  if (psdView_) psdView_->UpdateEnabling();  // the PSD pane keeps marking; only ROI and ALL follow the set
}

void CMainFrame::ActiveSpectrumShown(SpectrumPlot& plot, int spectrum) {
  infoPane_->setWindowTitle(QString("Spectrum Info S%1").arg(spectrum));
  calibrationPane_->setWindowTitle(QString("Calibration S%1").arg(spectrum));
  calibrationView_->Reload(plot);
}

void CMainFrame::CalibrationCopiedOntoActive(SpectrumPlot& plot) { calibrationView_->Reload(plot); }

void CMainFrame::PeakInfoDue(SpectrumPlot& plot) { infoView_->PeakInfoDue(plot); }

void CMainFrame::FocusRequested(SpectrumPlot& plot) {
  CSpectrumWnd* pane = spectrumPanes_[static_cast<std::size_t>(plot.SpectrumIndex() & 3)];
  if (CSpectrum* widget = pane->PlotWidget(plot.IsBuffer() ? kBufferSet : kFileSet)) widget->setFocus();
}

void CMainFrame::RepaintPanes() {
  for (CSpectrumWnd* pane : spectrumPanes_) pane->Tick(RedrawKind::None);
}

StartTimeSettings& CMainFrame::StartTime() { return linkHost_->startTime; }

QAction* CMainFrame::Action(int command) const {
  const auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

QDockWidget* CMainFrame::Pane(const QString& objectName) const { return findChild<QDockWidget*>(objectName); }

}  // namespace mirvo
