// The main window: owns the long-lived objects of the program (record sets, spectrum memory,
// instrument link, output log, settings), builds the panes, menus and toolbars, routes commands,
// and runs the 200 ms tick. It wires core objects to widgets; it computes nothing itself.
#pragma once

#include <QMainWindow>
#include <array>
#include <map>
#include <memory>

#include "display/RecordSets.h"
#include "protocol/RegisterImage.h"
#include "protocol/SamplePeriod.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QTimer;

namespace mirvo {

class OutputLog;
class COutputWnd;
class LinkLifecycle;
class SettingsStore;
class CSpectrumWnd;
struct FileResult;
class CSpectrumInfoView;
class CCalibrationView;
class QtUserDialog;
struct StartTimeSettings;
class AcquisitionPanel;
class CAcquisitionView;
class RecordSetsRunSaver;
class CSNTPClient;
class CTimeUTC;
class TimeUtcModel;
class QtFolderChooser;
class SystemClockSetter;
class IClock;
class ISettingsBackend;
class MainLinkHost;
class PanelPane;
class QtMessageTarget;
class RecordSetsPanelHost;
class ShaperPanel;
class PulseShapePanel;
class CShaperView;
class CPSDView;
class AmplifierPanel;
class CDialogStabilizer;
struct MainAmplifier;
struct MainTraceViewer;
class TraceViewer;
class COscopeView;
struct MainDebugger;
class RegisterDebuggerPanel;
struct MainHistory;
class HistoryRecorder;
struct MainWatchdog;

class CMainFrame : public QMainWindow, private IRecordSetsListener {
  Q_OBJECT
 public:
  // `settings` is the store to load from and save to (QSettings in the program, memory in tests).
  CMainFrame(const IClock& clock, ISettingsBackend& settings, QWidget* parent = nullptr);
  ~CMainFrame() override;

  OutputLog& Log() { return *outputLog_; }
  COutputWnd* OutputPane() const { return outputPane_; }
  RecordSets& Sets() { return *recordSets_; }
  LinkLifecycle& Lifecycle() { return *lifecycle_; }
  SpectrumMemory& Memory() { return *memory_; }
  AcquisitionPanel& Acquisition() { return *acquisitionPanel_; }
  StartTimeSettings& StartTime();
  CSpectrumInfoView* InfoView() const { return infoView_; }
  QAction* Action(int command) const;
  QDockWidget* Pane(const QString& objectName) const;
  // Runs a command as its menu item or toolbar button would.
  void RunCommand(int command);
  // File > Open Spectrum with the file already chosen (the program's file argument).
  void OpenSpectrumFile(const QString& path);
  // The system is about to suspend (true) or has resumed (false). On suspend the link is closed
  // (a logged series is not spared) and the trace capture stops; on resume the look is applied again.
  void OnPowerEvent(bool suspending);
  // The work of one 200 ms tick (public so tests can step it).
  void OnTimerTick();
  int ApplicationLook() const { return appLook_; }
  double SamplePeriodUs() const { return samplePeriod_.Us(); }
  // The sample period the shaper panel sets; the acquisition panel, trace viewer, trace export and
  // About Hardware read it.
  const SamplePeriod& Period() const { return samplePeriod_; }
  ShaperPanel& Shaper() { return *shaperPanel_; }
  PulseShapePanel& PulseShape() { return *pulseShapePanel_; }
  // The amplifier panel of the "SIGNALS" pane, and its stabilizer dialog while it is open.
  AmplifierPanel* Amplifier() const;
  CDialogStabilizer* StabilizerDialog() const;
  // The trace viewer of the "Trace Viewer" pane and its form (MainTraceViewer.cpp).
  TraceViewer* Traces() const;
  COscopeView* TraceView() const;
  // The register debugger of the "Debug" pane.
  RegisterDebuggerPanel& Debugger();
  // The history of the "History" pane (MainHistory.cpp).
  HistoryRecorder& History();
  // The watchdog and autosave of the running acquisition (MainWatchdog.cpp).
  MainWatchdog* WatchdogPart() const;
  // File > Open Background... with the file already chosen (MainBackground.cpp); false when the
  // file was not loaded (a message box and an Events line said why).
  bool OpenBackgroundFile(const QString& path);

 private slots:
  // logind's PrepareForSleep signal on the system bus.
  void OnPrepareForSleep(bool suspending) { OnPowerEvent(suspending); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPanes();
  void BuildMenus();
  void BuildToolBars();
  void BuildStatusBar();
  void ArrangeDefaultLayout();
  void ApplyDefaultSizes();
  // View > Default Layout: the stored default layout, or the built-in one, with every pane shown.
  void ShowDefaultLayout();
  // After Connect (with the shaper panel's pane) and Open Spectrum: the panes the result shows in.
  void ShowSpectrumPanes(bool withShaperPane);
  // The system's reason of a failed save or export, on its own line in the Events pane.
  void LogFailureReason(const FileResult& result);
  QAction* AddCommand(QMenu* menu, int command, const QString& text, const QKeySequence& key = {});
  void UpdateCommandStates();
  void SetApplicationLook(int command);
  void SaveSettings();
  void LoadWindowPlacement();
  void OnSerialMessage(std::uintptr_t wParam);
  void CopyPicture(QWidget* widget);
  void ConnectFromPortDialog();
  void SetSoftSizeCommand(int command);
  void ApplyToActivePlot(int command);
  void NotYetAvailable(const QString& what);

  // IRecordSetsListener
  void PaneTitleChanged(int spectrum, const std::string& title) override;
  void TabSelected(int spectrum, int set) override;
  void RefreshSettingsPanels(SpectrumRecord& settingsRecord, bool enabled) override;
  void ActiveSpectrumShown(SpectrumPlot& plot, int spectrum) override;
  void CalibrationCopiedOntoActive(SpectrumPlot& plot) override;
  void PeakInfoDue(SpectrumPlot& plot) override;
  void FocusRequested(SpectrumPlot& plot) override;
  void SizesApplied(SpectrumPlot& plot) override;
  // File commands: the chosen path comes from the file dialog.
  void OpenSpectrumFile();
  void SaveSpectrumFileAs();
  void ExportSpectrumCsv(bool hardSize);
  void ExportSpectrumInterchange(int command);  // N42.42 (all or this spectrum), IAEA SPE
  void RepaintPanes();
  void BuildAcquisition();
  void BuildShaping();  // the PSA and PSD panes
  void BuildAmplifier();  // MainAmplifier.cpp
  void RefreshAmplifier();
  void DestroyAmplifier();
  void RunAutoConnect();
  void BuildTraceViewer();  // MainTraceViewer.cpp
  void DestroyTraceViewer();
  void ExportTraces(bool normalised);
  void CopyTraceView(bool wholeViewer);
  void BuildDebugger();  // MainDebugger.cpp: the "Debug" pane
  void RunRegisterCommand(int command);  // Copy Registers, About Hardware
  void BuildHistory();  // MainHistory.cpp: the "History" pane
  void TickHistory();
  void BuildWatchdog(ISettingsBackend& settings);  // MainWatchdog.cpp: watchdog, autosave, recovery offer
  void RunWatchdogSettings();
  void WatchdogTick();
  void BufferSetSaved();
  void UserDisconnects();
  // MainBackground.cpp: the background commands and their enabling.
  void OpenBackgroundFile();
  void RunBackgroundViewCommand(int command);
  void UpdateBackgroundCommands();

  const IClock& clock_;
  ISettingsBackend& settingsBackend_;  // the background settings (MainBackground.cpp)
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<OutputLog> outputLog_;
  std::unique_ptr<SpectrumMemory> memory_;
  std::unique_ptr<RecordSets> recordSets_;
  std::unique_ptr<MainLinkHost> linkHost_;
  std::unique_ptr<QtMessageTarget> messageTarget_;
  std::unique_ptr<LinkLifecycle> lifecycle_;
  std::unique_ptr<QtUserDialog> userDialog_;
  std::unique_ptr<CSNTPClient> ntpClient_;
  std::unique_ptr<SystemClockSetter> clockSetter_;
  std::unique_ptr<TimeUtcModel> timeUtcModel_;
  CTimeUTC* timeUtcDialog_ = nullptr;
  std::unique_ptr<QtFolderChooser> folderChooser_;
  std::unique_ptr<AcquisitionPanel> acquisitionPanel_;
  std::unique_ptr<RecordSetsRunSaver> runSaver_;
  CAcquisitionView* acquisitionView_ = nullptr;
  std::unique_ptr<MainAmplifier> amplifier_;

  COutputWnd* outputPane_ = nullptr;
  std::array<CSpectrumWnd*, 4> spectrumPanes_{};
  std::vector<PanelPane*> settingsPanes_;
  PanelPane* infoPane_ = nullptr;
  PanelPane* calibrationPane_ = nullptr;
  CSpectrumInfoView* infoView_ = nullptr;
  CCalibrationView* calibrationView_ = nullptr;
  QString lastFolder_;
  std::map<int, QAction*> actions_;
  QActionGroup* lookGroup_ = nullptr;
  QActionGroup* softSizeGroup_ = nullptr;
  QActionGroup* roiModeGroup_ = nullptr;
  std::array<QLabel*, 3> statusPanes_{};
  QTimer* timer_ = nullptr;
  bool firstPaint_ = true;
  bool defaultSizesPending_ = false;
  int appLook_ = 0;
  SamplePeriod samplePeriod_;
  std::unique_ptr<RecordSetsPanelHost> panelHost_;
  std::unique_ptr<ShaperPanel> shaperPanel_;
  std::unique_ptr<PulseShapePanel> pulseShapePanel_;
  CShaperView* shaperView_ = nullptr;
  CPSDView* psdView_ = nullptr;
  std::unique_ptr<MainTraceViewer> traceViewer_;
  std::unique_ptr<MainDebugger> debugger_;
  std::unique_ptr<MainHistory> history_;
  std::unique_ptr<MainWatchdog> watchdog_;
};

// The one process-wide pointer to the main window (null before it exists and after it is gone).
CMainFrame* MainFrame();

}  // namespace mirvo
