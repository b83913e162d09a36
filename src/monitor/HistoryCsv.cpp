#include "monitor/HistoryCsv.h"

#include "base/Clock.h"
#include "base/TextFormat.h"
#include "display/UserDialog.h"

namespace mirvo {

namespace {

std::string UtcText(std::int64_t utcMs) {
  const CivilTime t = CivilFromUtcMilliseconds(utcMs);
  return FormatText("%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day, t.hour, t.minute, t.second,
                    t.millisecond);
}

std::string Number(double value) { return FormatText("%.6g", value); }

void AppendHeader(std::string& out, HistoryKind kind) {
  out.append("start (UTC),start (s),end (s),");
  out.append(kind == HistoryKind::kSeries ? "first run,runs" : "first sample,samples");
  for (const HistoryQuantityInfo& info : kHistoryQuantityInfo) {
    std::string unit;
    if (*info.unit != '\0') {
      unit.append(" (");
      unit.append(info.unit);
      unit.append(")");
    }
    for (const char* what : {" mean", " min", " max"}) {
      out.append(",");
      out.append(info.csvName);
      out.append(what);
      out.append(unit);
    }
  }
  out.append("\n");
}

void AppendRow(std::string& out, const HistoryBucket& bucket, std::int64_t originUtcMs) {
  out.append(UtcText(originUtcMs + static_cast<std::int64_t>(bucket.start * 1000.0)));
  out.append(FormatText(",%.3f,%.3f,%u,%u", bucket.start, bucket.end, bucket.firstOrdinal, bucket.samples));
  for (const HistoryStat& stat : bucket.stats) {
    if (stat.n == 0) {
      out.append(",,,");
      continue;
    }
    out.append(",");
    out.append(Number(stat.Mean()));
    out.append(",");
    out.append(Number(stat.min));
    out.append(",");
    out.append(Number(stat.max));
  }
  out.append("\n");
}

}  // namespace

std::string HistoryCsvText(const HistoryBuffer& buffer, HistoryKind kind, std::int64_t originUtcMs) {
  std::string out;
  AppendHeader(out, kind);
  for (std::size_t i = 0; i < buffer.Size(); ++i) AppendRow(out, buffer.At(i), originUtcMs);
  return out;
}

FileResult ExportHistoryCsv(const std::string& path, const HistoryBuffer& buffer, HistoryKind kind,
                            std::int64_t originUtcMs, FileSystemOps& fs) {
  SafeFileWriter out(fs);
  if (out.Open(path) != kFileOk) return {kFileCannotCreate, kHistoryExportFailed, path, out.FailureReason()};
  out.Write(HistoryCsvText(buffer, kind, originUtcMs));
  if (out.Commit() != kFileOk) return {kFileWriteFailed, kHistoryExportFailed, path, out.FailureReason()};
  return {kFileOk, "", path};
}

FileResult ExportHistoryAs(const std::string& chosenPath, const HistoryBuffer& buffer, HistoryKind kind,
                           std::int64_t originUtcMs, IUserDialog& dialog, FileSystemOps& fs) {
  const std::string path = WithDefaultExtension(chosenPath, "csv");
  if (FileExistsForOverwrite(path) && !dialog.AskOkCancel(kOverwriteQuestion, kWarningCaption, MessageIcon::Stop))
    return {kFileCancelled, "", path};
  FileResult result = ExportHistoryCsv(path, buffer, kind, originUtcMs, fs);
  if (!result.Ok()) dialog.ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
  return result;
}

}  // namespace mirvo
