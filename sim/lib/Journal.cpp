#include "lib/Journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>

#include "base/Clock.h"

namespace kvetral {

std::string FormatJournalLine(const JournalEntry& entry) {
  const mirvo::CivilTime t = mirvo::CivilFromUtcMilliseconds(entry.utcMs);
  char line[256];
  std::snprintf(line, sizeof line,
                "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ %s real=%.6f live=%.6f S0=%" PRIu64 " S1=%" PRIu64
                " S2=%" PRIu64 " S3=%" PRIu64 "\n",
                t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond, entry.event, entry.realSeconds,
                entry.liveSeconds, entry.totals[0], entry.totals[1], entry.totals[2], entry.totals[3]);
  return line;
}

bool Journal::Append(const JournalEntry& entry) const {
  if (path_.empty()) return true;
  const std::string line = FormatJournalLine(entry);
  const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::close(fd);
  return ok;
}

}  // namespace kvetral
