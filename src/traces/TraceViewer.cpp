#include "traces/TraceViewer.h"

#include <algorithm>

#include "acquisition/LinkLifecycle.h"
#include "base/TextFormat.h"

namespace mirvo {

TraceViewer::TraceViewer(IPanelHost& host, const SamplePeriod& period, const IShaperGains& gains)
    : host_(host), period_(period), gains_(gains) {}

TraceViewer::~TraceViewer() {
  if (lifecycle_ == nullptr) return;
  if (lifecycle_->Policy().TraceSink() == this) lifecycle_->SetTraceSink(nullptr);
  lifecycle_->RemoveObserver(*this);
}

void TraceViewer::Attach(LinkLifecycle& lifecycle) {
  lifecycle_ = &lifecycle;
  lifecycle.SetTraceSink(this);
  lifecycle.AddObserver(*this);
}

void TraceViewer::Initialise() {
  mode_ = kModeNormal;
  timeBaseIndex_ = 5;
  timeBaseValue_ = TimeBaseValue(timeBaseIndex_);
  vertical_ = 12;
  delay_ = 48;
  offset_ = offsetBase_ = 0;
  slider_ = 0;
  signal_ = 0;
  trigger_ = 0;
  coincidence_ = invert_ = peak_ = false;
  running_ = false;
  countdown_ = 0;
  runPressed_ = false;
  runCaption_ = "RUN";
  synchronised_ = false;
  limit_ = 255;
  timeLabel_ = TimeBaseLabel(timeBaseIndex_, period_.LastClockCode());
  verticalLabel_ = VerticalLabel(vertical_);
  initialised_ = true;
  Changed();
}

bool TraceViewer::Responding() const { return lifecycle_ != nullptr && lifecycle_->Link().Responding(); }

void TraceViewer::SetAutoUpdate(bool on) {
  if (lifecycle_ != nullptr) lifecycle_->Policy().AutoUpdateSwitch().SetAutoUpdate(on);
}

// --- operations

void TraceViewer::ApplyToImage() {
  if (!initialised_) return;
  SpectrumRecord& live = host_.LiveRecord();
  RegisterImage& image = live.registers;
  live.refreshEnable = 0;
  shifts_ = NormalisationShifts(image, gains_.BdcValue(), gains_.LongTc());
  TraceControlFields fields;
  fields.signal = signal_;
  fields.coincidence = coincidence_;
  fields.trigger = trigger_;
  fields.invert = invert_;
  fields.random = mode_ == kModeRandom;
  fields.shifts = shifts_;
  image[trace_reg::kControl] = TraceControlWord(image[trace_reg::kControl], fields);
  image[trace_reg::kTimeBase] = TimeBaseRegister(timeBaseValue_);
  image[trace_reg::kDelay] = DelayRegister(delay_, timeBaseValue_);
  image[trace_reg::kRoiStart] = static_cast<std::uint16_t>((image[trace_reg::kRoiStart] & 0xC000u) | (roiStart_ & 0x3FFFu));
  image[trace_reg::kRoiEnd] = static_cast<std::uint16_t>((image[trace_reg::kRoiEnd] & 0xC000u) | (roiEnd_ & 0x3FFFu));
}

void TraceViewer::CommitChange() {
  SpectrumRecord& live = host_.LiveRecord();
  live.refreshEnable = 0;
  ApplyToImage();
  if (Responding() && !host_.SeriesRunning())
    lifecycle_->Link().WriteSettingsRegisters();
  else
    live.refreshEnable = 1;
}

void TraceViewer::RefreshFromStatus() {
  synchronised_ = false;
  const std::string start = roiStartText_, end = roiEndText_;
  DecodeRoiSca();
  if (start != roiStartText_ || end != roiEndText_) Changed();  // the only values a status read brings
  synchronised_ = true;
}

void TraceViewer::DecodeRoiSca() {
  const SpectrumRecord* settings = host_.SettingsRecord();
  const RegisterImage& image = settings != nullptr ? settings->registers : host_.LiveRecord().registers;
  const int start = image[trace_reg::kRoiStart] & 0x3FFF;
  const int end = image[trace_reg::kRoiEnd] & 0x3FFF;
  const int spectrum = (start / 4096) & 3;
  const int q = std::max(1, host_.BufferRecord(spectrum).factor);
  if (q != decodedFactor_) {
    decodedFactor_ = q;
    decodedStart_ = decodedEnd_ = -1;
  }
  auto text = [q](int value) {
    const int i = (value / 4096) & 3;
    return FormatText("%d - %d", i, (value - i * 4096) / q);
  };
  if (start != decodedStart_) {
    decodedStart_ = start;
    roiStartText_ = text(start);
  }
  if (end != decodedEnd_) {
    decodedEnd_ = end;
    roiEndText_ = text(end);
  }
}

void TraceViewer::ClearAveraging() {
  sums_.fill(0);
  for (auto& trace : ring_) trace.fill(0);
  slot_ = 0;
}

void TraceViewer::ProcessTrace(std::span<const std::uint16_t> words) {
  TraceWords block{};
  std::copy_n(words.begin(), std::min(words.size(), block.size()), block.begin());
  if (mode_ >= 1 && mode_ <= 4) {
    const int n = 1 << mode_;
    if (slot_ >= n) slot_ = 0;
    auto& stored = ring_[static_cast<std::size_t>(slot_)];
    for (std::size_t k = 0; k < kTraceSamples; ++k) {
      const auto value = static_cast<std::int16_t>(block[2 * k]);
      sums_[k] += value - stored[k];
      stored[k] = value;
      block[2 * k] = static_cast<std::uint16_t>(static_cast<std::int16_t>(sums_[k] >> mode_));
    }
    if (++slot_ >= n) slot_ = 0;
  }
  block_ = block;
  peakBase_ = 0;
  if (peak_) {
    int peak = -32768;
    for (std::size_t k = 0; k < kTraceSamples; ++k) peak = std::max<int>(peak, static_cast<std::int16_t>(block_[2 * k]));
    peakBase_ = peak;
  }
  ++blocks_;
  TraceChanged();
}

void TraceViewer::UpdateTimeBase() {
  timeLabel_ = TimeBaseLabel(timeBaseIndex_, period_.LastClockCode());
  timeBaseValue_ = TimeBaseValue(timeBaseIndex_);
  Changed();
  if (timeBaseValue_ <= 11) TraceChanged();  // the point spacing changes with the grid
  CommitIfSynchronised();
}

// --- handlers

void TraceViewer::OnRun() {
  ClearAveraging();
  if (!Responding()) {
    runPressed_ = false;
    runCaption_ = "RUN";
    running_ = false;
  } else if (mode_ == kModeSingle) {
    runPressed_ = true;
    runCaption_ = "ACQ";
    running_ = false;
    countdown_ = 2;
    CommitIfSynchronised();
    lifecycle_->Link().RequestStatusRead();
  } else if (!running_) {
    running_ = true;
    runPressed_ = true;
    runCaption_ = "STOP";
    CommitIfSynchronised();
    if (!host_.SeriesRunning()) lifecycle_->Link().RequestTraceRead();
    lifecycle_->Link().RequestStatusRead();
  } else {
    running_ = false;
    runPressed_ = false;
    runCaption_ = "RUN";
  }
  SetAutoUpdate(!running_);
  Changed();
}

void TraceViewer::OnMode() {
  mode_ = NextMode(mode_);
  if (mode_ == kModeSingle && running_) {
    running_ = false;
    runPressed_ = false;
    runCaption_ = "RUN";
    SetAutoUpdate(true);  // with the capture stopped the spectra are read again
  }
  limit_ = mode_ == kModeRandom ? 248 : 255;
  Changed();
  CommitIfSynchronised();
}

void TraceViewer::OnHorizontalPlus() {
  timeBaseIndex_ = std::min(timeBaseIndex_ + 1, kTimeBaseIndexMax);
  UpdateTimeBase();
}

void TraceViewer::OnHorizontalMinus() {
  timeBaseIndex_ = std::max(timeBaseIndex_ - 1, 0);
  UpdateTimeBase();
}

void TraceViewer::OnDelay(int position) {
  delay_ = std::clamp(position, 0, kDelayMax);
  UpdateTimeBase();
}

void TraceViewer::Rescale() {
  verticalLabel_ = VerticalLabel(vertical_);
  const long long t = vertical_ >= 4 ? offset_ >> (vertical_ - 4) : offset_ * (1LL << (4 - vertical_));
  if (t >= kOffsetSliderMin && t <= kOffsetSliderMax) {
    slider_ = static_cast<int>(t);
    offsetBase_ = 0;
  } else {
    slider_ = 0;
    offsetBase_ = offset_;
  }
  Changed();
  TraceChanged();
}

void TraceViewer::OnVerticalPlus() {
  vertical_ = std::min(vertical_ + 1, kVerticalIndexMax);
  offsetBase_ = offset_;
  Rescale();
}

void TraceViewer::OnVerticalMinus() {
  vertical_ = std::max(vertical_ - 1, 0);
  offsetBase_ = offset_;
  Rescale();
}

void TraceViewer::OnOffsetSlider(int position) {
  slider_ = std::clamp(position, kOffsetSliderMin, kOffsetSliderMax);
  const long long step = slider_;
  offset_ = offsetBase_ + (vertical_ >= 4 ? step * (1LL << (vertical_ - 4)) : step >> (4 - vertical_));
  Rescale();
}

void TraceViewer::OnOffsetZero() {
  slider_ = 0;
  offset_ = offsetBase_ = 0;
  Rescale();
}

void TraceViewer::OnSignal(int signal) {
  signal_ = std::clamp(signal, 0, 3);
  Changed();
  CommitIfSynchronised();
}

void TraceViewer::OnTrigger(int index) {
  index = std::clamp(index, 0, 7);
  if (index == kInputRIndex && trigger_ == kInputRIndex) coincidence_ = !coincidence_;
  trigger_ = index;
  if (index == kRoiScaIndex) SelectRoiSca();
  Changed();
  CommitIfSynchronised();
}

void TraceViewer::SelectRoiSca() {
  const int spectrum = host_.ActiveSpectrumIndex() & 3;
  int first = 0, last = 0;
  if (!host_.RoiAtCursor(spectrum, first, last)) return;  // the previous window stays
  const int q = std::max(1, host_.BufferRecord(spectrum).factor);
  roiSpectrum_ = spectrum;
  roiFactor_ = q;
  roiStart_ = static_cast<std::uint16_t>((spectrum * 4096 + q * first) & 0x3FFF);
  roiEnd_ = static_cast<std::uint16_t>((spectrum * 4096 + q * last) & 0x3FFF);
  roiStartText_ = FormatText("%d - %d", spectrum, first);
  roiEndText_ = FormatText("%d - %d", spectrum, last);
}

void TraceViewer::OnInvert(bool on) {
  invert_ = on;
  Changed();
  CommitIfSynchronised();
}

void TraceViewer::OnPeak(bool on) {
  peak_ = on;
  Changed();
}

// --- trace sink

void TraceViewer::SetTraceRunning(bool running) {
  running_ = running;
  if (!running) {
    runPressed_ = countdown_ > 0;
    runCaption_ = countdown_ > 0 ? "ACQ" : "RUN";
  }
  Changed();
}

void TraceViewer::ReleaseRunButton() {
  runPressed_ = false;
  runCaption_ = "RUN";
  Changed();
}

void TraceViewer::ResetTraceViewer() {
  running_ = false;
  countdown_ = 0;
  runPressed_ = false;
  runCaption_ = "RUN";
  Changed();
}

// --- drawing and export

TraceScale TraceViewer::CurrentScale() const {
  TraceScale scale = MakeTraceScale(host_.LiveRecord().registers, signal_, shifts_, gains_.BdcValue());
  scale.base = peakBase_;
  scale.offset = offset_;
  scale.vertical = vertical_;
  scale.limit = limit_;
  return scale;
}

TraceTraces TraceViewer::Points(const TraceArea& area) const {
  return TracePoints(area, block_, CurrentScale(), timeBaseValue_);
}

TraceExportInput TraceViewer::ExportInput() const {
  TraceExportInput input;
  for (std::size_t k = 0; k < kTraceSamples; ++k) {
    input.analog[k] = static_cast<std::int16_t>(block_[2 * k]);
    input.digital[k] = block_[2 * k + 1];
  }
  input.analogSignal = signal_;
  input.triggerIndex = trigger_;
  input.coincidence = coincidence_;
  input.mode = mode_;
  input.timeBaseValue = timeBaseValue_;
  input.triggerDelay = DelayWritten();
  input.slowShift = shifts_.slow;
  input.fastShift = shifts_.fast;
  input.samplePeriodUs = period_.Us();
  input.bdc = gains_.BdcValue();
  const RegisterImage& image = host_.LiveRecord().registers;
  input.register02 = image[trace_reg::kSlowRise];
  input.register04 = image[trace_reg::kFastRise];
  return input;
}

}  // namespace mirvo
