#include "shell/OutputLog.h"

#include <algorithm>
#include <cstdio>

namespace mirvo {
namespace {
constexpr const char* kMonthNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
}

OutputLog::OutputLog(const IClock& clock) : clock_(clock) {}

std::string OutputLog::Prefix(const CivilTime& local) {
  const int monthIndex = std::clamp(local.month, 1, 12) - 1;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d-%s-%02d@%02d:%02d:%02d>> ", local.day, kMonthNames[monthIndex],
                local.year - 2000, local.hour, local.minute, local.second);
  return buffer;
}

void OutputLog::AddLine(const std::string& message) {
  stamp_ = clock_.LocalTime();
  stampYear2_ = stamp_.year - 2000;

  Entry entry;
  entry.text = Prefix(stamp_) + message;
  const int measured = measure_ ? measure_(entry.text) : -1;
  entry.width = measured >= 0 ? measured + 10 : 0;
  maxWidth_ = std::max(maxWidth_, entry.width);
  entries_.push_back(std::move(entry));

  if (entries_.size() > kMaxEntries) {
    const int oldestWidth = entries_.front().width;
    entries_.pop_front();
    ++trimmed_;
    if (oldestWidth >= maxWidth_) {
      maxWidth_ = 0;
      for (const Entry& e : entries_) maxWidth_ = std::max(maxWidth_, e.width);
    }
  }
  if (listener_) listener_();
}

}  // namespace mirvo
