// The simulator's run journal: one line appended per finished, stopped or reset run, with its real
// and live time and the total counts of S0 to S3, so tests can compare saved files with it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kvetral {

struct JournalEntry {
  std::int64_t utcMs = 0;
  const char* event = "";  // "finished" (preset reached), "stopped" (by the host), "reset", "configured"
  double realSeconds = 0, liveSeconds = 0;
  std::array<std::uint64_t, 4> totals{};
};

// "2026-12-09T22:10:03.250Z finished real=2.000000 live=1.991236 S0=3900 S1=3950 S2=2400 S3=1550"
std::string FormatJournalLine(const JournalEntry& entry);

class Journal {
 public:
  explicit Journal(std::string path = {}) : path_(std::move(path)) {}
  bool Enabled() const { return !path_.empty(); }
  // Appends one line in a single write; false when the file cannot be written.
  bool Append(const JournalEntry& entry) const;

 private:
  std::string path_;
};

}  // namespace kvetral
