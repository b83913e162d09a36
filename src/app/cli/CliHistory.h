// The --history FILE.csv of mirvo-cli acquire and log: the History pane's recorder on the session,
// fed by every status read (rates, dead time, temperature; without a window there is no cursor ROI,
// so those columns stay empty), written as CSV when the command ends.
#pragma once

#include <memory>
#include <string>

#include "app/cli/CliAcquisition.h"
#include "monitor/HistoryRecorder.h"

namespace mirvo::cli {

class CliHistory {
 public:
  // `path` empty: no history is kept.
  CliHistory(CliAcquisition& session, std::string path);
  // The per-run points of a logged series go beside the file: "<name>-runs.csv".
  static std::string RunsPath(const std::string& path);
  // Checked before the run starts, like the spectrum output: empty, or why `path` (or for a series
  // its per-run file) cannot be written. An empty path needs nothing.
  static std::string WhyCannotWrite(const std::string& path, bool series);
  // Writes the file (and for a series the per-run file); a failure is reported on stderr.
  bool Write(const char* command, bool series);

 private:
  std::string path_;
  std::unique_ptr<HistoryRecorder> recorder_;
};

}  // namespace mirvo::cli
