// The main window's menus, toolbars and key bindings, and the routing of each command number to
// the part that carries it out.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "display/gui/CColorDlg.h"
#include "display/gui/CSpectrumCaptions.h"
#include "display/gui/CSpectrum.h"
#include "display/gui/CSpectrumWnd.h"
#include "acquisition/LinkLifecycle.h"
#include "acquisition/AcquisitionPanel.h"
#include "acquisition/PortFinder.h"
#include "acquisition/gui/CAcquisitionView.h"
#include "link/gui/CComPortDlg.h"
#include "acquisition/gui/CFindComPort.h"
#include "fpga/gui/CProgramFPGA.h"
#include "files/SpectrumFileCommands.h"
#include "shell/CommandStates.h"
#include "shell/Commands.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"
#include "shell/gui/ApplicationLook.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/MainLinkHost.h"
#include "shell/gui/PanelPane.h"

namespace mirvo {

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text, const QKeySequence& key) {
  auto* action = new QAction(text, this);
  action->setData(command);
  action->setObjectName(QString("Command%1").arg(command));
  if (!key.isEmpty()) action->setShortcut(key);
  connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
  if (menu) menu->addAction(action);
  actions_[command] = action;
  return action;
}

void CMainFrame::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  AddCommand(file, cmd::kOpenSpectrum, "&Open Spectrum...", QKeySequence::Open);
  AddCommand(file, cmd::kOpenBackground, "Open &Background...");
  AddCommand(file, cmd::kCloseBackground, "C&lose Background");
  AddCommand(file, cmd::kSaveSpectrumAs, "Save Spectrum &As...");
  QMenu* exportMenu = file->addMenu("&Export Spectrum To...");
  QMenu* csv = exportMenu->addMenu("&CSV File");
  AddCommand(csv, cmd::kExportCsvHard, "&Hard Size");
  AddCommand(csv, cmd::kExportCsvSoft, "&Soft Size");
  AddCommand(exportMenu, kExportN42AllCommand, "N42.42 (all spectra)");
  AddCommand(exportMenu, kExportN42OneCommand, "N42.42 (this spectrum)");
  AddCommand(exportMenu, kExportSpeOneCommand, "IAEA SPE (this spectrum)");
  QMenu* traces = file->addMenu("Export &Trace Viewer...");
  AddCommand(traces, cmd::kExportTraceRaw, "&RAW Traces");
  AddCommand(traces, cmd::kExportTraceNormalized, "&Normalized Traces");
  file->addSeparator();
  AddCommand(file, cmd::kExit, "E&xit");

  QMenu* edit = menuBar()->addMenu("&Edit");
  QMenu* copySpectrum = edit->addMenu("Copy &Spectrum");
  AddCommand(copySpectrum, cmd::kCopySpectrum, "&Spectrum");
  AddCommand(copySpectrum, cmd::kCopyWindow, "&Window", QKeySequence("Ctrl+C"));
  QMenu* copyTrace = edit->addMenu("Copy &Trace View");
  AddCommand(copyTrace, cmd::kCopyTraceViewer, "&Viewer");
  AddCommand(copyTrace, cmd::kCopyTraces, "&Traces");

  QMenu* view = menuBar()->addMenu("&View");
  QAction* statusBarAction = AddCommand(view, cmd::kViewStatusBar, "&Status Bar");
  statusBarAction->setCheckable(true);
  statusBarAction->setChecked(true);
  QMenu* panes = view->addMenu("&Panes");
  for (QDockWidget* pane : findChildren<QDockWidget*>()) panes->addAction(pane->toggleViewAction());
  QMenu* looks = view->addMenu("Application &Look");
  lookGroup_ = new QActionGroup(this);
  QMenu* more = nullptr;
  for (int command = cmd::kLookFirst; command <= cmd::kLookLast; ++command) {
    if (command == cmd::kLookFirst + 5) more = looks->addMenu("&More Styles");
    QAction* action = AddCommand(more ? more : looks, command, ApplicationLookName(command));
    action->setCheckable(true);
    action->setChecked(command == appLook_);
    lookGroup_->addAction(action);
  }
  view->addSeparator();
  AddCommand(view, cmd::kRestoreLayout, "&Restore Layout");
  AddCommand(view, cmd::kDefaultLayout, "&Default Layout");

  QMenu* hardware = menuBar()->addMenu("&Hardware");
  AddCommand(hardware, cmd::kPort, "&Port...");
  AddCommand(hardware, cmd::kAutoConnect, "&AutoConnect");
  AddCommand(hardware, cmd::kConnect, "&Connect");
  AddCommand(hardware, cmd::kDisconnect, "&Disconnect");
  hardware->addSeparator();
  QMenu* copyRegisters = hardware->addMenu("Copy &Registers");
  AddCommand(copyRegisters, cmd::kCopyRegistersBufferToFile, "&Buffer to File");
  AddCommand(copyRegisters, cmd::kCopyRegistersFileToBuffer, "&File to Buffer");
  AddCommand(hardware, cmd::kAboutHardware, "About &Hardware");
  hardware->addSeparator();
  AddCommand(hardware, cmd::kStart, "&Start Spectrum Acquisition", QKeySequence("Ctrl+A"));
  AddCommand(hardware, cmd::kStop, "S&top Spectrum Acquisition", QKeySequence("Ctrl+S"));
  AddCommand(hardware, cmd::kErase, "&Erase Spectrum", QKeySequence("Ctrl+Shift+D"));

  QMenu* spectrum = menuBar()->addMenu("&Spectrum");
  QMenu* softSize = spectrum->addMenu("Soft &Size");
  softSizeGroup_ = new QActionGroup(this);
  for (std::size_t i = 0; i < kSoftSizes.size(); ++i) {
    QAction* action = AddCommand(softSize, kSoftSizeCommands[i], QString::number(kSoftSizes[i]));
    action->setCheckable(true);
    softSizeGroup_->addAction(action);
  }
  AddCommand(spectrum, cmd::kColor, "&Color...");
  AddCommand(spectrum, cmd::kCaptions, "C&aptions...");
  AddCommand(spectrum, cmd::kShowBackground, "Show &Background")->setCheckable(true);
  AddCommand(spectrum, cmd::kNetSpectrum, "&Net Spectrum")->setCheckable(true);
  QMenu* roiMode = spectrum->addMenu("&ROI Mode");
  roiModeGroup_ = new QActionGroup(this);
  for (auto [command, text] : {std::pair{cmd::kRoiMarkOver, "&Mark Over"}, std::pair{cmd::kRoiFromCursor, "&From Cursor"}}) {
    QAction* action = AddCommand(roiMode, command, text);
    action->setCheckable(true);
    roiModeGroup_->addAction(action);
  }
  actions_[cmd::kRoiMarkOver]->setChecked(true);
  QMenu* copyRoi = spectrum->addMenu("Copy R&OI");
  AddCommand(copyRoi, cmd::kCopyRoiFileToBuffer, "&File to Buffer");
  AddCommand(copyRoi, cmd::kCopyRoiBufferToFile, "&Buffer to File");
  QMenu* copyCalibration = spectrum->addMenu("Copy Ca&libration");
  AddCommand(copyCalibration, cmd::kCopyCalibrationFileToBuffer, "&File to Buffer");
  AddCommand(copyCalibration, cmd::kCopyCalibrationBufferToFile, "&Buffer to File");

  QMenu* utility = menuBar()->addMenu("&Utility");
  AddCommand(utility, cmd::kFpga, "&FPGA...");
  QMenu* help = menuBar()->addMenu("&Help");
  AddCommand(help, cmd::kAbout, "&About mirvoPSD...");

  // Toolbar-only commands.
  const std::pair<int, const char*> viewCommands[] = {
      {cmd::kLinear, "Linear"},
      {cmd::kLogarithmic, "Logarithmic"},
      {cmd::kAutoVertical, "Auto Vertical"},
      {cmd::kExpandVertical, "Expand Vertical"},
      {cmd::kCompressVertical, "Compress Vertical"},
      {cmd::kExpandAroundCursor, "Expand Around Cursor"},
      {cmd::kCompressAroundCursor, "Compress Around Cursor"},
      {cmd::kExpandFromLeft, "Expand From Left"},
      {cmd::kCompressFromLeft, "Compress From Left"},
      {cmd::kFullSpectrum, "Full Spectrum"},
  };
  for (auto [command, text] : viewCommands) AddCommand(nullptr, command, text);
  // Ticked while the active plot is linear, logarithmic, or on the automatic scale.
  for (int command : {cmd::kLinear, cmd::kLogarithmic, cmd::kAutoVertical}) actions_.at(command)->setCheckable(true);
}

void CMainFrame::BuildToolBars() {
  const auto bar = [this](const char* title, const char* name, std::initializer_list<int> commands) {
    QToolBar* toolbar = addToolBar(title);
    toolbar->setObjectName(name);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (int command : commands) toolbar->addAction(actions_.at(command));
  };
  QAction* open = actions_.at(cmd::kOpenSpectrum);
  open->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  bar("Standard", "StandardToolBar",
      {cmd::kAbout, cmd::kOpenSpectrum, cmd::kSaveSpectrumAs, cmd::kRestoreLayout, cmd::kDefaultLayout});
  bar("View Control", "ViewControlToolBar",
      {cmd::kLinear, cmd::kLogarithmic, cmd::kAutoVertical, cmd::kExpandVertical, cmd::kCompressVertical,
       cmd::kExpandAroundCursor, cmd::kCompressAroundCursor, cmd::kExpandFromLeft, cmd::kCompressFromLeft,
       cmd::kFullSpectrum, cmd::kShowBackground, cmd::kNetSpectrum});
  bar("Hardware Control", "HardwareControlToolBar",
      {cmd::kAutoConnect, cmd::kPort, cmd::kConnect, cmd::kDisconnect, cmd::kErase, cmd::kStart, cmd::kStop});
  // Short captions keep the toolbars on one line at 1366 pixels.
  const std::pair<int, const char*> shortTexts[] = {
      {cmd::kAbout, "About"},        {cmd::kOpenSpectrum, "Open"},      {cmd::kSaveSpectrumAs, "Save"},
      {cmd::kRestoreLayout, "Layout"}, {cmd::kDefaultLayout, "Default"}, {cmd::kLinear, "Lin"},
      {cmd::kLogarithmic, "Log"},    {cmd::kAutoVertical, "Auto"},      {cmd::kExpandVertical, "Y+"},
      {cmd::kCompressVertical, "Y-"}, {cmd::kExpandAroundCursor, "X+"}, {cmd::kCompressAroundCursor, "X-"},
      {cmd::kExpandFromLeft, "|X+"}, {cmd::kCompressFromLeft, "|X-"},   {cmd::kFullSpectrum, "Full"},
      {cmd::kAutoConnect, "AutoConnect"}, {cmd::kPort, "Port"},         {cmd::kConnect, "Connect"},
      {cmd::kDisconnect, "Disconnect"}, {cmd::kErase, "Erase"},         {cmd::kStart, "Start"},
      {cmd::kStop, "Stop"},          {cmd::kShowBackground, "Bkg"},     {cmd::kNetSpectrum, "Net"}};
  for (auto [command, text] : shortTexts) {
    QAction* action = actions_.at(command);
    action->setToolTip(action->text().remove('&'));  // the full name, the button shows the short one
    action->setIconText(text);
  }
}

void CMainFrame::UpdateCommandStates() {
  const CommandStates states = DecideCommandStates(ReadCommandFacts(*lifecycle_, *acquisitionPanel_, *recordSets_));
  for (const CommandFlag& flag : states.enabled) actions_.at(flag.command)->setEnabled(flag.on);
  for (const CommandFlag& flag : states.checked) actions_.at(flag.command)->setChecked(flag.on);
  statusPanes_[0]->setText(QString::fromStdString(states.linkStateText));
  UpdateBackgroundCommands();
}

void CMainFrame::NotYetAvailable(const QString& what) {
  QMessageBox::information(this, "mirvo-PSD", what + " is not available in this version of mirvo-PSD.");
}

void CMainFrame::CopyPicture(QWidget* widget) {
  if (widget) QApplication::clipboard()->setImage(widget->grab().toImage());
}

void CMainFrame::RunAutoConnect() {
  PrepareAutoConnect(*lifecycle_);
  CFindComPort dialog(*lifecycle_, [this] { return recordSets_->LiveRecord().serialNumber; }, this);
  if (dialog.exec() == QDialog::Accepted) ConnectChosenPort(*lifecycle_, dialog.ChosenDevice());
}

void CMainFrame::ConnectFromPortDialog() {
  CComPortDlg dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  lifecycle_->SetDeviceName(dialog.DeviceName());
  lifecycle_->SetBaudRate(dialog.BaudRate());
  outputLog_->AddLine("Set port: " + dialog.DeviceName());
}

void CMainFrame::ApplyToActivePlot(int command) {
  SpectrumPlot& plot = recordSets_->ActivePlot();
  switch (command) {
    case cmd::kLinear: plot.SetLinearScale(); break;
    case cmd::kLogarithmic: plot.SetLogarithmicScale(); break;
    case cmd::kAutoVertical: plot.ToggleAutomaticScale(); break;
    case cmd::kExpandVertical: plot.ExpandVerticalScale(); break;
    case cmd::kCompressVertical: plot.CompressVerticalScale(); break;
    case cmd::kExpandAroundCursor: plot.ExpandAroundCursor(); break;
    case cmd::kCompressAroundCursor: plot.CompressAroundCursor(); break;
    case cmd::kExpandFromLeft: plot.ExpandFromLeft(); break;
    case cmd::kCompressFromLeft: plot.CompressFromLeft(); break;
    case cmd::kFullSpectrum: plot.ShowFullSpectrum(); break;
    default: break;
  }
}

void CMainFrame::RunCommand(int command) {
  acquisitionView_->CommitTypedValues();
  if (command >= cmd::kLookFirst && command <= cmd::kLookLast) {
    SetApplicationLook(command);
    settings_->SaveFrameworkLook(static_cast<std::uint32_t>(command));
    return;
  }
  if (recordSets_->SoftSizeCommand(command) >= 0) return;
  switch (command) {
    case cmd::kExit: close(); break;
    case cmd::kCopySpectrum: CopyPicture(spectrumPanes_[static_cast<std::size_t>(recordSets_->ActiveSpectrumIndex())]->ShownPlotWidget()); break;
    case cmd::kCopyWindow: CopyPicture(spectrumPanes_[static_cast<std::size_t>(recordSets_->ActiveSpectrumIndex())]); break;
    case cmd::kViewStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case cmd::kRestoreLayout:
      if (const auto layout = settings_->LoadLayout(settings_key::kAppState)) restoreState(QByteArray(reinterpret_cast<const char*>(layout->data()), static_cast<qsizetype>(layout->size())));
      break;
    case cmd::kDefaultLayout: ShowDefaultLayout(); break;
    case cmd::kPort: ConnectFromPortDialog(); break;
    case cmd::kConnect: lifecycle_->ConnectHardware(); break;
    case cmd::kDisconnect:
      UserDisconnects();
      lifecycle_->DisconnectHardware();
      break;
    case cmd::kWatchdogSettings: RunWatchdogSettings(); break;
    case cmd::kRoiMarkOver: recordSets_->SetRoiMode(0); break;
    case cmd::kRoiFromCursor: recordSets_->SetRoiMode(1); break;
    case cmd::kCopyRoiFileToBuffer: recordSets_->CopyRoi(true); break;
    case cmd::kCopyRoiBufferToFile: recordSets_->CopyRoi(false); break;
    case cmd::kCopyCalibrationFileToBuffer: recordSets_->CopyCalibration(true); break;
    case cmd::kCopyCalibrationBufferToFile: recordSets_->CopyCalibration(false); break;
    case cmd::kAbout:
      QMessageBox::about(this, "About mirvo-PSD",
                         "mirvo-PSD 2.50\n\nControl and acquisition program of the Kvetral digital spectrometer\n"
                         "with pulse-shape discrimination.");
      break;
    case cmd::kOpenSpectrum: OpenSpectrumFile(); break;
    case cmd::kOpenBackground: OpenBackgroundFile(); break;
    case cmd::kCloseBackground:
    case cmd::kShowBackground:
    case cmd::kNetSpectrum: RunBackgroundViewCommand(command); break;
    case cmd::kSaveSpectrumAs: SaveSpectrumFileAs(); break;
    case cmd::kExportCsvHard: ExportSpectrumCsv(true); break;
    case cmd::kExportCsvSoft: ExportSpectrumCsv(false); break;
    case cmd::kExportTraceRaw: ExportTraces(false); break;
    case cmd::kExportTraceNormalized: ExportTraces(true); break;
    case cmd::kCopyTraceViewer: CopyTraceView(true); break;
    case cmd::kCopyTraces: CopyTraceView(false); break;
    case kExportN42AllCommand:
    case kExportN42OneCommand:
    case kExportSpeOneCommand: ExportSpectrumInterchange(command); break;
    case cmd::kAutoConnect: RunAutoConnect(); break;
    case cmd::kCopyRegistersBufferToFile:
    case cmd::kCopyRegistersFileToBuffer:
    case cmd::kAboutHardware: RunRegisterCommand(command); break;
    case cmd::kColor: {
      CColorDlg dialog(*recordSets_, this);
      connect(&dialog, &CColorDlg::ColoursChanged, this, &CMainFrame::RepaintPanes);
      dialog.exec();
      break;
    }
    case cmd::kCaptions: {
      CSpectrumCaptions dialog(*recordSets_, this);
      dialog.exec();
      break;
    }
    case cmd::kFpga:
      RunDesignTool(*lifecycle_, {[this] { return settings_->LoadFpgaFile().value_or(""); },
                                  [this](const std::string& path) { settings_->SaveFpgaFile(path); }},
                    this);
      break;
    case cmd::kStart: acquisitionPanel_->StartAcquisition(); break;
    case cmd::kStop: acquisitionPanel_->StopAcquisition(); break;
    case cmd::kErase: acquisitionPanel_->ResetAcquisition(); break;
    default:
      ApplyToActivePlot(command);
      spectrumPanes_[static_cast<std::size_t>(recordSets_->ActiveSpectrumIndex() & 3)]->Tick(RedrawKind::None);
      break;
  }
  UpdateCommandStates();
}

}  // namespace mirvo
