#include "panels/HardwareCommands.h"

#include "base/TextFormat.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

namespace {

constexpr unsigned kTimeConstantRegister = 0x3E;
constexpr unsigned kFpgaVersionRegister = 0x3F;

void CopyRegisters(const RegisterImage& from, RegisterImage& to) {
  for (unsigned reg = 0; reg < kCopiedRegisters; ++reg) to[reg] = from[reg];
}

}  // namespace

void CopyRegistersBufferToFile(RecordSets& sets) {
  CopyRegisters(sets.BufferPlot(0).Record().registers, sets.FilePlot(0).Record().registers);
  sets.FilePlot(0).UpdatePaneCaption();
}

FileToBufferOutcome CopyRegistersFileToBuffer(RecordSets& sets, CHardwareLink& link, bool seriesRunning,
                                              IUserDialog& dialogs) {
  if (!link.Responding()) {
    dialogs.ShowMessage(kTransferAbortedText, kTransferAbortedCaption, MessageIcon::Information);
    return FileToBufferOutcome::kRefused;
  }
  if (!dialogs.AskOkCancel(kFileToBufferQuestion, kFileToBufferCaption, MessageIcon::Warning))
    return FileToBufferOutcome::kCancelled;
  SpectrumRecord& live = sets.LiveRecord();
  live.refreshEnable = 0;
  CopyRegisters(sets.FilePlot(0).Record().registers, live.registers);
  if (seriesRunning) return FileToBufferOutcome::kKeptForSeries;
  link.WriteAllRegisters();
  return FileToBufferOutcome::kSent;
}

std::string AboutHardwareText(const SpectrumRecord& record, double samplePeriodUs) {
  const RegisterImage& image = record.registers;
  const unsigned exponent = image[kTimeConstantRegister] & 0x0Fu;
  const double timeConstantUs = static_cast<double>(1u << exponent) * samplePeriodUs;
  return FormatText("Serial Number:\t%05u\nFirmware Version:\t%3.2f\nFPGA Version:\t%5.1f\nPrimary TC (5%%):\t%5.1fus",
                    static_cast<unsigned>(record.serialNumber), record.firmwareVersion / 100.0,
                    image[kFpgaVersionRegister] / 10.0, timeConstantUs);
}

}  // namespace mirvo
