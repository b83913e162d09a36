// What the settings panels need from the window that owns the records: the live and settings
// records, the BUFFER and active record of each spectrum (their compression factors, ROI flags and
// calibrations), the ROI around the cursor, and the logger state. BufferSetPanelHost serves a plain
// BUFFER set without plots (mirvo-cli, tests).
#pragma once

#include <array>

#include "records/SpectrumRecord.h"

namespace mirvo {

class IPanelHost {
 public:
  virtual ~IPanelHost() = default;
  virtual SpectrumRecord& LiveRecord() = 0;
  // nullptr while the records do not exist yet.
  virtual SpectrumRecord* SettingsRecord() = 0;
  virtual bool SettingsRecordLive() const = 0;
  virtual int ActiveSpectrumIndex() const = 0;
  virtual SpectrumRecord& BufferRecord(int spectrum) = 0;
  virtual SpectrumRecord& ActiveRecord(int spectrum) = 0;
  // True with the first and last soft channel of the ROI holding the cursor when spectrum
  // `spectrum`'s BUFFER record is shown and its cursor lies inside a ROI.
  virtual bool RoiAtCursor(int spectrum, int& first, int& last) = 0;
  // The hard ROI flags of the active record of `spectrum` changed: soft flags rebuilt, plot redrawn
  // and given the focus.
  virtual void RoiFlagsChanged(int spectrum) = 0;
  // A logged series runs: the panels keep their changes in the image and send nothing.
  virtual bool SeriesRunning() const { return false; }
  // The trace viewer, when there is one: rewrites its time labels after a clock change, and
  // re-applies its own fields, whose shifts depend on the shaper's registers.
  virtual void ClockChanged() {}
  virtual void ReapplyTraceFields() {}
};

// A BUFFER set of four records without plots: S0 is live and the settings record, every record is
// its spectrum's active one, and no cursor lies in a ROI.
class BufferSetPanelHost : public IPanelHost {
 public:
  explicit BufferSetPanelHost(std::array<SpectrumRecord, 4>& buffers) : buffers_(buffers) {}
  SpectrumRecord& LiveRecord() override { return buffers_[0]; }
  SpectrumRecord* SettingsRecord() override { return &buffers_[0]; }
  bool SettingsRecordLive() const override { return true; }
  int ActiveSpectrumIndex() const override { return activeSpectrum; }
  SpectrumRecord& BufferRecord(int spectrum) override { return buffers_[static_cast<std::size_t>(spectrum & 3)]; }
  SpectrumRecord& ActiveRecord(int spectrum) override { return buffers_[static_cast<std::size_t>(spectrum & 3)]; }
  bool RoiAtCursor(int, int&, int&) override { return false; }
  void RoiFlagsChanged(int) override {}

  int activeSpectrum = 1;

 private:
  std::array<SpectrumRecord, 4>& buffers_;
};

}  // namespace mirvo
