#include "shell/HeadlessHost.h"

#include "acquisition/RecordStatus.h"
#include "records/Captions.h"

namespace mirvo {

HeadlessHost::HeadlessHost(const IClock& clock) : log(clock) {
  for (std::size_t k = 0; k < buffers.size(); ++k) {
    buffers[k].spectrumIndex = static_cast<std::int32_t>(k);
    buffers[k].live = 1;
    buffers[k].caption = kDefaultCaptions[k];  // as the window's BUFFER records start
    buffers[k].BindCounts(memory.Spectrum(k), buffers[k].softCounts);
  }
}

void HeadlessHost::AddLine(const std::string& line) {
  log.AddLine(line);
  if (onLine) onLine(log.Line(log.Size() - 1));
}

void HeadlessHost::ShowError(const std::string& message) {
  errors.push_back(message);
  AddLine(message);
}

void HeadlessHost::StoreStatus(const packet::StatusBlock& block) {
  status = block;
  StoreStatusInRecord(record, block);
}

}  // namespace mirvo
