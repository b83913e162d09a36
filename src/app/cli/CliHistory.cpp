#include "app/cli/CliHistory.h"

#include <cstdio>

#include "files/RecoveryFolder.h"
#include "monitor/HistoryCsv.h"

namespace mirvo::cli {

CliHistory::CliHistory(CliAcquisition& session, std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  recorder_ = std::make_unique<HistoryRecorder>(session.host, DefaultClock());
  recorder_->Attach(session.lifecycle, &session.panel);
}

std::string CliHistory::RunsPath(const std::string& path) {
  std::string stem = path;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".csv") == 0) stem.resize(stem.size() - 4);
  stem.append("-runs.csv");
  return stem;
}

std::string CliHistory::WhyCannotWrite(const std::string& path, bool series) {
  if (path.empty()) return {};
  std::string why = mirvo::WhyCannotWrite(path);
  if (why.empty() && series) why = mirvo::WhyCannotWrite(RunsPath(path));
  return why;
}

bool CliHistory::Write(const char* command, bool series) {
  if (!recorder_) return true;
  recorder_->CatchUpSeries();  // the last run is counted after the last status read
  bool ok = true;
  const auto write = [&](const std::string& path, const HistoryBuffer& buffer, HistoryKind kind, std::int64_t origin) {
    const FileResult result = ExportHistoryCsv(path, buffer, kind, origin);
    if (result.Ok()) {
      std::printf("history %s\n", path.c_str());
      return;
    }
    std::fprintf(stderr, "mirvo-cli %s: %s: %s\n", command, path.c_str(), kUnableToSaveFile);
    if (!result.reason.empty()) std::fprintf(stderr, "%s\n", result.reason.c_str());
    ok = false;
  };
  write(path_, recorder_->Run(), HistoryKind::kRun, recorder_->RunOriginMs());
  if (series) write(RunsPath(path_), recorder_->Series(), HistoryKind::kSeries, recorder_->SeriesOriginMs());
  return ok;
}

}  // namespace mirvo::cli
