// The logic behind the acquisition panel (CAcquisitionView): START, STOP and RESET, the preset, the
// coincidence gate, and the times, stamp, temperature and voltage shown from the settings record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "acquisition/AutoUpdate.h"
#include "acquisition/ConnectionObserver.h"
#include "acquisition/LoggedSeries.h"
#include "acquisition/TraceSink.h"
#include "acquisition/RegisterRefreshChain.h"
#include "acquisition/SpectrumLogger.h"
#include "base/Clock.h"
#include "files/AcquisitionTimes.h"
#include "display/UserDialog.h"
#include "records/SpectrumRecord.h"
#include "timesvc/StartTimeStamp.h"
#include "acquisition/LinkMembership.h"

namespace mirvo {

class CHardwareLink;
class LinkLifecycle;
class SpectrumInfoPanel;
class PollingPolicy;

inline constexpr std::array<const char*, 2> kPresetKindTexts = {"REAL TIME ", "LIVE TIME "};
inline constexpr std::array<const char*, 4> kCoincidenceTexts = {"DISABLED", "DIRECT", "WINDOW COINC",
                                                                 "WINDOW ANTICOINC"};
inline constexpr const char* kHardwareNotConnectedText = "Hardware Not Connected";
inline constexpr const char* kStartAcquisitionLine = "Start Spectrum Acquisition ";
inline constexpr const char* kStopAcquisitionLine = "Stop Spectrum Acquisition";
// Seconds x 100 must fit the signed 32-bit register pair 0x2A/0x2B.
constexpr std::int64_t kMaxPresetSeconds = 21474836;
inline constexpr const char* kPresetTooLongText =
    "The preset time must be a whole number of seconds from 0 to 21474836.";

constexpr int kSrcDelayMax = 16250;
constexpr int kWinWidthMax = 4095;
constexpr int kStoreDelayMax = 8125;
constexpr unsigned kRegSrcDelay = 0x44;
constexpr unsigned kRegWindow = 0x45;
constexpr unsigned kRegStoreDelay = 0x46;
constexpr std::uint16_t kWindowWidthMask = 0x3FFF;
constexpr std::uint16_t kWindowBit14 = 0x4000;
constexpr std::uint16_t kWindowBit15 = 0x8000;

// The coincidence mode as three flags: ControlWord bit 14 and register 0x45 bits 14 and 15.
struct CoincidenceFlags {
  bool disabled = true;
  bool bit14 = false;
  bool bit15 = false;
  bool operator==(const CoincidenceFlags&) const = default;
};
// List index 1 DIRECT, 2 WINDOW COINC, 3 WINDOW ANTICOINC, anything else DISABLED.
CoincidenceFlags CoincidenceFromIndex(int index);
int CoincidenceIndex(const CoincidenceFlags& flags);

// The step of a held spin arrow: 1, then 10 after 4 s, 100 after 6 s and 1000 after 8 s.
int SpinAcceleratedStep(int heldMilliseconds);
// A typed delay corrected into 1 .. maximum.
int ClampDelay(std::int64_t value, int maximum);
// "%8.4f" of samples x sample period.
std::string MicrosecondsText(int samples, double samplePeriodUs);

// What the panel needs from the main window: the records, the information pane, the log.
class IAcquisitionHost {
 public:
  virtual ~IAcquisitionHost() = default;
  virtual SpectrumRecord& LiveRecord() = 0;
  // The record the panel shows; nullptr until the records exist.
  virtual const SpectrumRecord* SettingsRecord() = 0;
  virtual bool SettingsRecordLive() const { return true; }
  // nullptr until the information pane exists.
  virtual SpectrumInfoPanel* InfoPane() { return nullptr; }
  virtual double SamplePeriodUs() const = 0;
  virtual void AddLine(const std::string& line) = 0;
  // The form shows the panel's values again.
  virtual void PanelChanged() {}
};

// The time-stamp machinery the main window owns and lends to the panel.
struct StartTimeServices {
  StartTimeSettings& settings;
  IStartTimeKindDialog& kindDialog;
  const IClock& clock;
  ISleeper& sleeper;
};

// Besides its own operations the panel is the engine's AUTO UPDATE box and spectrum logger, the
// first member of the register-refresh chain, and resets its start-time choice and its synchronised
// flag at each connection.
class AcquisitionPanel final : public IAutoUpdate,
                                public ILoggedSeries,
                                public IRegisterRefresh,
                                public IConnectionObserver {
 public:
  AcquisitionPanel(IAcquisitionHost& host, StartTimeServices time, IUserDialog& dialogs, IFolderChooser& folders);
  AcquisitionPanel(const AcquisitionPanel&) = delete;
  AcquisitionPanel& operator=(const AcquisitionPanel&) = delete;
  ~AcquisitionPanel() override;

  // Takes its roles in the connection (the panel refuses to send before).
  void Attach(LinkLifecycle& lifecycle);
  // The controls exist: start values, initialised flag set.
  void Initialise();
  bool Initialised() const { return initialised_; }

  // --- operations
  void StartAcquisition();
  void StopAcquisition();
  void ResetAcquisition();
  void ApplyToImage();
  void CommitChange();
  void RefreshFromRecord();

  // --- handlers (values as the controls hold them)
  void OnTimeStamp();
  void OnAutoUpdateClicked(bool checked);
  void OnPresetKindSelected(int index);
  // Returns false (after the message) for a value that does not fit the register pair; the
  // preset keeps its previous value.
  bool OnPresetTyped(std::int64_t seconds);
  void OnPulserClicked(bool checked);
  void OnCoincidenceSelected(int index);
  // Each returns the corrected value the edit must show.
  int OnSrcDelayChanged(std::int64_t samples);
  int OnWinWidthChanged(std::int64_t samples);
  int OnStoreDelayChanged(std::int64_t samples);

  // --- the SPECTRUM LOGGER group
  SpectrumLogger& Logger() { return logger_; }
  const SpectrumLogger& Logger() const { return logger_; }
  void OnLoggerEnableClicked(bool ticked);
  void OnLoggerFolderClicked();
  void OnLoggerBaseEdited(const std::string& base);
  void OnLoggerRunsChanged(std::int32_t runs);

  // --- IAutoUpdate
  bool AutoUpdate() const override { return autoUpdate_; }
  void SetAutoUpdate(bool checked) override;
  // --- ILoggedSeries
  bool SeriesRunning() const override { return logger_.Running(); }
  bool LoggingEnabled() const override { return logger_.Enabled(); }
  int RunsCompleted() const override { return logger_.Completed(); }
  void SetRunsCompleted(int count) override { logger_.SetCompleted(count); }
  int NumberOfRuns() const override { return logger_.Runs(); }
  void EndSeries() override;
  // Connect and disconnect: logged series not running, ENABLE cleared.
  void StopLogging() override;
  // Counts and saves a finished run of the series as "<path base>_%04d.mps".
  void SaveLoggedRun(int runCounter) override;
  // The next run of a logged series: waits for the even second, stamps the command half.
  StampedStart StampLoggedRunStart() override;
  void SetStartStampText(const std::string& text) override;
  void ShowRunTimes(const RegisterImage& image) override;
  // --- IRegisterRefresh
  void RefreshFromImage() override { RefreshFromRecord(); }
  // --- IConnectionObserver
  void OnConnecting() override;
  void OnPortOpened() override { ClearSynchronised(); }

  void SetRealLiveTime(double realSeconds, double liveSeconds);  // values, texts, info pane, shown
  void ClearSynchronised() { synchronised_ = false; }
  void ShowValues() { host_.PanelChanged(); }

  // --- enabling
  bool StartEnabled() const;
  bool StopEnabled() const;
  bool StartCommandEnabled() const { return StartEnabled() && host_.SettingsRecordLive(); }
  bool StopCommandEnabled() const { return StopEnabled() && host_.SettingsRecordLive(); }
  bool TimeStampEnabled() const;
  bool PanelEnabled() const { return host_.SettingsRecordLive(); }
  bool DelaysEnabled() const { return !coincidence_.disabled; }  // Src Delay and Win Width

  // --- values shown
  int PresetKindIndex() const { return presetKindIndex_; }
  std::int32_t PresetSeconds() const { return presetSeconds_; }
  std::uint32_t PresetRegisterValue() const { return presetRegister_; }
  double RealTime() const { return realTime_; }
  double LiveTime() const { return liveTime_; }
  double DeadTime() const { return deadTime_; }
  const std::string& RealText() const { return realText_; }
  const std::string& LiveText() const { return liveText_; }
  const std::string& DeadText() const { return deadText_; }
  bool Pulser() const { return pulser_; }
  int CoincidenceListIndex() const { return CoincidenceIndex(coincidence_); }
  const CoincidenceFlags& Coincidence() const { return coincidence_; }
  int SrcDelay() const { return srcDelay_; }
  int WinWidth() const { return winWidth_; }
  int StoreDelay() const { return storeDelay_; }
  const std::string& SrcDelayUsText() const { return usTexts_[0]; }
  const std::string& WinWidthUsText() const { return usTexts_[1]; }
  const std::string& StoreDelayUsText() const { return usTexts_[2]; }
  const std::string& StartStampText() const { return stampText_; }
  const std::string& StartKindText() const { return kindText_; }
  // What the panel shows, as Save As and the exports write it.
  AcquisitionTimes ShownTimes() const { return {realTime_, liveTime_, deadTime_, stampText_, kindText_}; }
  bool UtcShown() const { return utcShown_; }
  bool SystemShown() const { return systemShown_; }
  std::int16_t InternalTemperature() const { return internalTemperature_; }
  double SlowAdcVoltage() const { return slowAdcVolts_; }
  std::string InternalTemperatureText() const;
  std::string SlowAdcVoltageText() const;  // "%5.1f"
  bool Synchronised() const { return synchronised_; }

 private:
  bool Responding() const;
  bool LoggerRunning() const { return logger_.Running(); }
  std::uint16_t& LiveWord(unsigned index) { return host_.LiveRecord().registers[index]; }
  void SetRefreshEnable(int value) { host_.LiveRecord().refreshEnable = value; }
  void CommitIfSynchronised();
  void RecomputeMicroseconds();
  void SetTimes(double realSeconds, double liveSeconds);
  int OnDelayChanged(int which, std::int64_t samples);

  IAcquisitionHost& host_;
  StartTimeServices time_;
  IUserDialog& dialogs_;
  CHardwareLink* link_ = nullptr;
  LinkMembership membership_;  // left when the panel goes
  PollingPolicy* policy_ = nullptr;
  SpectrumLogger logger_;

  bool initialised_ = false;
  bool synchronised_ = false;
  bool autoUpdate_ = false;
  int presetKindIndex_ = 0;
  std::int32_t presetSeconds_ = 0;
  std::uint16_t presetKindCopy_ = 0;
  std::uint32_t presetRegister_ = 0;
  double realTime_ = 0.0;
  double liveTime_ = 0.0;
  double deadTime_ = 0.0;
  std::string realText_, liveText_, deadText_;
  bool pulser_ = false;
  CoincidenceFlags coincidence_;
  int srcDelay_ = 1;
  int winWidth_ = 1;
  int storeDelay_ = 1;
  std::array<std::string, 3> usTexts_;
  double periodUsed_ = 0.0;
  bool coincidenceChanged_ = false;
  std::string stampText_;
  std::string kindText_ = kStartTimeSystemText;
  bool utcShown_ = false;
  bool systemShown_ = true;
  std::int16_t internalTemperature_ = 0;
  double slowAdcVolts_ = 0.0;
};

}  // namespace mirvo
