#include "acquisition/AcquisitionPanel.h"

#include <algorithm>
#include <cstdio>

#include "acquisition/LinkLifecycle.h"
#include "acquisition/StartStamping.h"
#include "display/PeakAnalysis.h"
#include "display/SpectrumInfoPanel.h"
#include "protocol/CHardwareLink.h"
#include "protocol/StartStampRegisters.h"
#include "base/TextFormat.h"

namespace mirvo {

namespace {
std::string TimeText(double seconds) { return FormatText("%10.2f", seconds); }
}  // namespace

CoincidenceFlags CoincidenceFromIndex(int index) {
  switch (index) {
    case 1: return {false, false, false};  // DIRECT
    case 2: return {false, false, true};   // WINDOW COINC
    case 3: return {false, true, true};    // WINDOW ANTICOINC
    default: return {true, false, false};  // DISABLED
  }
}

int CoincidenceIndex(const CoincidenceFlags& flags) {
  if (flags.disabled) return 0;
  if (!flags.bit14 && !flags.bit15) return 1;
  if (!flags.bit14 && flags.bit15) return 2;
  if (flags.bit14 && flags.bit15) return 3;
  return 0;  // (1, 0) has no entry of its own
}

int SpinAcceleratedStep(int heldMilliseconds) {
  if (heldMilliseconds >= 8000) return 1000;
  if (heldMilliseconds >= 6000) return 100;
  if (heldMilliseconds >= 4000) return 10;
  return 1;
}

int ClampDelay(std::int64_t value, int maximum) {
  if (value <= 0) return 1;
  return static_cast<int>(std::min<std::int64_t>(value, maximum));
}

std::string MicrosecondsText(int samples, double samplePeriodUs) { return FormatText("%8.4f", samples * samplePeriodUs); }

AcquisitionPanel::AcquisitionPanel(IAcquisitionHost& host, StartTimeServices time, IUserDialog& dialogs,
                                     IFolderChooser& folders)
    : host_(host), time_(time), dialogs_(dialogs), logger_(dialogs, folders) {
  SetTimes(0.0, 0.0);
  periodUsed_ = host_.SamplePeriodUs();
  RecomputeMicroseconds();
}

void AcquisitionPanel::Initialise() {
  autoUpdate_ = true;
  presetKindIndex_ = 0;
  presetSeconds_ = 0;
  coincidence_ = CoincidenceFlags{};
  srcDelay_ = winWidth_ = storeDelay_ = 1;
  periodUsed_ = host_.SamplePeriodUs();
  RecomputeMicroseconds();
  SetTimes(0.0, 0.0);
  kindText_ = kStartTimeSystemText;
  initialised_ = true;
  ShowValues();
}

void AcquisitionPanel::Attach(LinkLifecycle& lifecycle) {
  link_ = &lifecycle.Link();
  policy_ = &lifecycle.Policy();
  lifecycle.SetAutoUpdate(this);
  lifecycle.SetLoggedSeries(this);
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kAcquisition, *this, this);
}

AcquisitionPanel::~AcquisitionPanel() {
  if (LinkLifecycle* lifecycle = membership_.Lifecycle()) {
    lifecycle->SetAutoUpdate(nullptr);
    lifecycle->SetLoggedSeries(nullptr);
  }
}

void AcquisitionPanel::OnConnecting() { OnConnect(time_.settings); }

bool AcquisitionPanel::Responding() const { return link_ != nullptr && link_->Responding(); }

// ---------------------------------------------------------------------------------------------
// Run control

void AcquisitionPanel::StartAcquisition() {
  SetRefreshEnable(0);
  EnsureStartTimeKindChosen(time_.settings, time_.kindDialog, time_.clock);
  if (!Responding()) {
    SetRefreshEnable(1);
    stampText_ = kHardwareNotConnectedText;
    ShowValues();
    return;
  }
  RegisterImage& image = host_.LiveRecord().registers;
  const StampedStart stamp = StampStartTime(time_.settings, time_.clock, time_.sleeper, image);
  const StartStampWords written = ReadStartStamp(image);
  kindText_ = time_.settings.kindText.empty() ? mirvo::StartKindText(written.utc, written.system)
                                             : time_.settings.kindText;
  utcShown_ = time_.settings.utcFlag;
  systemShown_ = time_.settings.systemFlag;
  image.SetRun();
  if (logger_.Enabled()) {
    image.CopyToCommandHalf();
    logger_.SetRunning(true);
  }
  link_->WriteSettingsRegisters();
  stampText_ = stamp.text;
  host_.AddLine(kStartAcquisitionLine);
  ShowValues();
}

void AcquisitionPanel::StopAcquisition() {
  SetRefreshEnable(0);
  if (!Responding()) {
    SetRefreshEnable(1);
    return;
  }
  host_.LiveRecord().registers.ClearRun();
  if (!LoggerRunning()) link_->WriteSettingsRegisters();
  host_.AddLine(kStopAcquisitionLine);
}

void AcquisitionPanel::ResetAcquisition() {
  SetRefreshEnable(0);
  RegisterImage& image = host_.LiveRecord().registers;
  image.RaiseResetPulses();
  ApplyToImage();
  if (!Responding()) {
    SetRefreshEnable(1);
    return;
  }
  if (image.Running()) {
    StartAcquisition();  // a new stamp; the pulses go out with it
    return;
  }
  image[reg::kStartDate] = 0;  // the stamp reads "WAITING FOR START"
  if (!LoggerRunning()) link_->WriteSettingsRegisters();
}

// ---------------------------------------------------------------------------------------------
// Image

void AcquisitionPanel::ApplyToImage() {
  SetRefreshEnable(0);
  RegisterImage& image = host_.LiveRecord().registers;
  std::uint16_t control = image[reg::kControlWord];
  const bool live = presetKindIndex_ == 1;
  control = static_cast<std::uint16_t>(live ? control | cw::kLivePreset : control & ~cw::kLivePreset);
  presetKindCopy_ = live ? cw::kLivePreset : 0;

  presetRegister_ = static_cast<std::uint32_t>(presetSeconds_) * 100u;
  image[reg::kPresetReal] = static_cast<std::uint16_t>(presetRegister_ & 0xFFFF);
  image[reg::kPresetLive] = static_cast<std::uint16_t>(presetRegister_ >> 16);

  control = static_cast<std::uint16_t>(pulser_ ? control & ~cw::kPulserOff : control | cw::kPulserOff);
  control = static_cast<std::uint16_t>(coincidence_.disabled ? control | cw::kCoincidenceOff
                                                              : control & ~cw::kCoincidenceOff);
  image[reg::kControlWord] = control;

  image[kRegSrcDelay] = static_cast<std::uint16_t>(srcDelay_);
  image[kRegStoreDelay] = static_cast<std::uint16_t>(storeDelay_);
  std::uint16_t window = static_cast<std::uint16_t>((winWidth_ - 1) & kWindowWidthMask);
  if (coincidence_.bit14) window |= kWindowBit14;
  if (coincidence_.bit15) window |= kWindowBit15;
  image[kRegWindow] = window;
}

void AcquisitionPanel::CommitChange() {
  SetRefreshEnable(0);
  ApplyToImage();
  if (Responding()) {
    if (!LoggerRunning()) link_->WriteSettingsRegisters();
  } else {
    SetRefreshEnable(1);
  }
}

// Before the first refresh a change only reaches the image: nothing is sent, and the refresh-enable
// flag is left alone so that the status reads still fold and bring the panel in step.
void AcquisitionPanel::CommitIfSynchronised() {
  if (synchronised_) {
    CommitChange();
    return;
  }
  const int refreshEnable = host_.LiveRecord().refreshEnable;
  ApplyToImage();
  SetRefreshEnable(refreshEnable);
}

void AcquisitionPanel::RecomputeMicroseconds() {
  const double period = host_.SamplePeriodUs();
  usTexts_[0] = MicrosecondsText(srcDelay_, period);
  usTexts_[1] = MicrosecondsText(winWidth_, period);
  usTexts_[2] = MicrosecondsText(storeDelay_, period);
  periodUsed_ = period;
}

void AcquisitionPanel::SetTimes(double realSeconds, double liveSeconds) {
  realTime_ = realSeconds;
  liveTime_ = liveSeconds;
  deadTime_ = realSeconds > 0 ? (realSeconds - liveSeconds) * 100.0 / realSeconds : 0.0;
  if (deadTime_ < 0) deadTime_ = 0.0;
  realText_ = TimeText(realTime_);
  liveText_ = TimeText(liveTime_);
  deadText_ = TimeText(deadTime_);
}

void AcquisitionPanel::RefreshFromRecord() {
  synchronised_ = false;
  const SpectrumRecord* record = host_.SettingsRecord();
  SpectrumInfoPanel* info = host_.InfoPane();
  if (record == nullptr || info == nullptr) return;
  const RegisterImage& s = record->registers;
  const std::uint16_t control = s[reg::kControlWord];
  const double period = host_.SamplePeriodUs();

  pulser_ = (control & cw::kPulserOff) == 0;

  const int width = (s[kRegWindow] & kWindowWidthMask) + 1;
  const int values[3] = {s[kRegSrcDelay], width, s[kRegStoreDelay]};
  int* fields[3] = {&srcDelay_, &winWidth_, &storeDelay_};
  for (int i = 0; i < 3; ++i) {
    if (*fields[i] != values[i]) {
      *fields[i] = values[i];
      coincidenceChanged_ = true;
    }
  }
  if (coincidenceChanged_ || period != periodUsed_) {
    RecomputeMicroseconds();
    coincidenceChanged_ = false;
  }

  const CoincidenceFlags flags{(control & cw::kCoincidenceOff) != 0, (s[kRegWindow] & kWindowBit14) != 0,
                               (s[kRegWindow] & kWindowBit15) != 0};
  if (!(flags == coincidence_)) coincidence_ = flags;

  const std::uint16_t kind = control & cw::kLivePreset;
  if (kind != presetKindCopy_) {
    presetKindCopy_ = kind;
    presetKindIndex_ = kind != 0 ? 1 : 0;
  }

  SetTimes(RealTimeSeconds(s, period), LiveTimeSeconds(s, period));
  info->SetTimes(realText_, liveText_, deadText_);
  info->SetRates(ComputeRates(s, period));

  presetRegister_ = static_cast<std::uint32_t>(s[reg::kPresetLive]) << 16 | s[reg::kPresetReal];
  presetSeconds_ = static_cast<std::int32_t>(presetRegister_ / 100);

  const StartStampWords stamp = ReadStartStamp(s);
  stampText_ = mirvo::StartStampText(stamp.dateWord, stamp.timeWord);
  kindText_ = mirvo::StartKindText(stamp.utc, stamp.system);
  utcShown_ = stamp.utc;
  systemShown_ = !utcShown_ && stamp.system;

  slowAdcVolts_ = record->slowAdcVolts;
  internalTemperature_ = record->internalTemperature;
  ShowValues();
  synchronised_ = true;
}

// ---------------------------------------------------------------------------------------------
// Handlers

void AcquisitionPanel::OnTimeStamp() {
  ChooseStartTimeKind(time_.settings, time_.kindDialog, time_.clock);
  // The panel then shows its values: the stamp and kind of the shown record, which the chosen kind
  // changes only at the next start (showing the choice would flip back at the next status read).
  RefreshFromRecord();
}

void AcquisitionPanel::OnAutoUpdateClicked(bool checked) {
  if (!initialised_) return;
  autoUpdate_ = checked;
  if (link_ != nullptr) link_->RequestStatusRead();
}

void AcquisitionPanel::OnPresetKindSelected(int index) {
  if (!initialised_) return;
  presetKindIndex_ = index == 1 ? 1 : 0;
  CommitIfSynchronised();
}

bool AcquisitionPanel::OnPresetTyped(std::int64_t seconds) {
  if (!initialised_) return false;
  if (seconds < 0 || seconds > kMaxPresetSeconds) {
    dialogs_.ShowMessage(kPresetTooLongText);
    ShowValues();
    return false;
  }
  presetSeconds_ = static_cast<std::int32_t>(seconds);
  CommitIfSynchronised();
  return true;
}

void AcquisitionPanel::OnPulserClicked(bool checked) {
  if (!initialised_) return;
  pulser_ = checked;
  CommitIfSynchronised();
}

void AcquisitionPanel::OnCoincidenceSelected(int index) {
  if (!initialised_) return;
  coincidence_ = CoincidenceFromIndex(index);
  ShowValues();
  CommitIfSynchronised();
}

int AcquisitionPanel::OnDelayChanged(int which, std::int64_t samples) {
  static constexpr int kMaxima[3] = {kSrcDelayMax, kWinWidthMax, kStoreDelayMax};
  int* fields[3] = {&srcDelay_, &winWidth_, &storeDelay_};
  if (!initialised_) return *fields[which];
  *fields[which] = ClampDelay(samples, kMaxima[which]);
  usTexts_[static_cast<std::size_t>(which)] = MicrosecondsText(*fields[which], host_.SamplePeriodUs());
  ShowValues();
  CommitIfSynchronised();
  return *fields[which];
}

int AcquisitionPanel::OnSrcDelayChanged(std::int64_t samples) { return OnDelayChanged(0, samples); }
int AcquisitionPanel::OnWinWidthChanged(std::int64_t samples) { return OnDelayChanged(1, samples); }
int AcquisitionPanel::OnStoreDelayChanged(std::int64_t samples) { return OnDelayChanged(2, samples); }

// ---------------------------------------------------------------------------------------------
// Logger

void AcquisitionPanel::OnLoggerEnableClicked(bool ticked) {
  const LoggerArmingFacts facts{Responding(), realTime_,
                                static_cast<std::uint16_t>(policy_ != nullptr ? policy_->LastRunBit() : 0)};
  if (logger_.OnEnableClicked(ticked, facts) && policy_ != nullptr) policy_->SetStep(LoggedStep::kNone);
  ShowValues();
}

void AcquisitionPanel::OnLoggerFolderClicked() {
  logger_.OnFolderClicked();
  ShowValues();
}

void AcquisitionPanel::OnLoggerBaseEdited(const std::string& base) {
  logger_.OnBaseEdited(base);
  ShowValues();
}

void AcquisitionPanel::OnLoggerRunsChanged(std::int32_t runs) {
  logger_.OnRunsChanged(runs);
  ShowValues();
}

void AcquisitionPanel::StopLogging() {
  logger_.SetRunning(false);
  logger_.SetEnabled(false);
  ShowValues();
}

void AcquisitionPanel::EndSeries() {
  logger_.SetRunning(false);
  logger_.SetEnabled(false);
  ShowValues();
}

void AcquisitionPanel::ShowRunTimes(const RegisterImage& image) {
  const double period = host_.SamplePeriodUs();
  SetRealLiveTime(RealTimeSeconds(image, period), LiveTimeSeconds(image, period));
}

void AcquisitionPanel::SetAutoUpdate(bool checked) {
  autoUpdate_ = checked;
  ShowValues();
}

void AcquisitionPanel::SetRealLiveTime(double realSeconds, double liveSeconds) {
  SetTimes(realSeconds, liveSeconds);
  if (SpectrumInfoPanel* info = host_.InfoPane()) info->SetTimes(realText_, liveText_, deadText_);
  ShowValues();
}

void AcquisitionPanel::SetStartStampText(const std::string& text) {
  stampText_ = text;
  ShowValues();
}

StampedStart AcquisitionPanel::StampLoggedRunStart() {
  return StampStartTime(time_.settings, time_.clock, time_.sleeper, host_.LiveRecord().registers, true);
}

void AcquisitionPanel::SaveLoggedRun(int runCounter) {
  const LoggedRunFile file{logger_.FileOfRun(runCounter), runCounter, realTime_, liveTime_, deadTime_, stampText_,
                           kindText_};
  if (!logger_.SaveRun(file)) host_.AddLine("Unable to Save File: " + file.path);
  ShowValues();
}

// ---------------------------------------------------------------------------------------------
// Enabling and texts

bool AcquisitionPanel::StartEnabled() const {
  return link_ != nullptr && link_->Connected() && !LoggerRunning() &&
         (host_.LiveRecord().registers.ControlWord() & cw::kRun) == 0;
}

bool AcquisitionPanel::StopEnabled() const {
  return link_ != nullptr && link_->Connected() && !LoggerRunning() &&
         (host_.LiveRecord().registers.ControlWord() & cw::kRun) != 0;
}

bool AcquisitionPanel::TimeStampEnabled() const {
  return link_ == nullptr || !link_->Connected() || StartEnabled();
}

std::string AcquisitionPanel::InternalTemperatureText() const { return std::to_string(internalTemperature_); }
std::string AcquisitionPanel::SlowAdcVoltageText() const { return FormatText("%5.1f", slowAdcVolts_); }

}  // namespace mirvo
