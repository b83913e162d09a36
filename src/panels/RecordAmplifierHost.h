// The amplifier panel's host without a window: one record that is both the live and the settings
// record (mirvo-cli config and the tests).
#pragma once

#include "panels/AmplifierPanel.h"

namespace mirvo {

class RecordAmplifierHost final : public IAmplifierHost {
 public:
  explicit RecordAmplifierHost(SpectrumRecord& record) : record_(record) {}
  SpectrumRecord& LiveRecord() override { return record_; }
  SpectrumRecord* SettingsRecord() override { return &record_; }
  bool ActiveRecordLive() const override { return true; }

 private:
  SpectrumRecord& record_;
};

}  // namespace mirvo
