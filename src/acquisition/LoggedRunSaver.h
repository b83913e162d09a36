// The savers of a logged run: the BUFFER set written as a spectrum file (temporary file, then
// rename), with the run's times, and as an N42.42 file beside it or instead of it when the logger
// asks for one; a failure shows the file writer's message and the series goes on.
#pragma once

#include <array>
#include <string>

#include "acquisition/SpectrumLogger.h"

namespace mirvo {

class RecordSets;
struct SpectrumRecord;

// The N42 file of a logged run: its .mps path with the extension .n42.
std::string LoggedN42Path(const std::string& mpsPath);

// The main window's: SaveSpectrumFile with the take-BUFFER-set flag.
class RecordSetsRunSaver final : public ILoggedRunSaver {
 public:
  RecordSetsRunSaver(RecordSets& sets, IUserDialog& dialogs) : sets_(sets), dialogs_(dialogs) {}
  bool SaveLoggedRun(const LoggedRunFile& file) override;
  // The system's reason of the last failed save ("<path>: no space left on the disk"), or empty.
  std::string lastFailureReason;

 private:
  RecordSets& sets_;
  IUserDialog& dialogs_;
};

// Four given BUFFER records ([0] is S0), for the command-line tool and the tests.
class BufferRecordsRunSaver final : public ILoggedRunSaver {
 public:
  BufferRecordsRunSaver(const std::array<const SpectrumRecord*, 4>& records, IUserDialog& dialogs)
      : records_(records), dialogs_(dialogs) {}
  bool SaveLoggedRun(const LoggedRunFile& file) override;
  std::string lastFailureReason;  // as above

 private:
  std::array<const SpectrumRecord*, 4> records_;
  IUserDialog& dialogs_;
};

}  // namespace mirvo
