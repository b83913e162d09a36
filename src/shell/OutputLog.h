// The program's running record of instrument events: a bounded, append-only list of time-stamped
// lines shown in the "Events" pane. The pane supplies the text widths; this class keeps the rest.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

#include "base/Clock.h"

namespace mirvo {

class OutputLog {
 public:
  static constexpr std::size_t kMaxEntries = 200;

  struct Entry {
    std::string text;
    int width = 0;  // rendered pixel width + 10
  };

  // Returns the rendered pixel width of a line; -1 when it cannot be measured.
  using WidthMeasure = std::function<int(const std::string&)>;
  // Told after every change so a view can follow (entry appended, oldest perhaps trimmed).
  using ChangeListener = std::function<void()>;

  explicit OutputLog(const IClock& clock = DefaultClock());

  // Appends "DD-MON-YY@HH:MM:SS>> " + message. Never fails.
  void AddLine(const std::string& message);

  void SetWidthMeasure(WidthMeasure measure) { measure_ = std::move(measure); }
  void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

  const std::deque<Entry>& Entries() const { return entries_; }
  std::size_t Size() const { return entries_.size(); }
  const std::string& Line(std::size_t index) const { return entries_.at(index).text; }
  int MaxWidth() const { return maxWidth_; }
  // Number of entries trimmed from the front since the start (lets a view mirror the list cheaply).
  std::size_t TrimmedCount() const { return trimmed_; }

  // Date and time of the last line, kept for other parts to read.
  int Year2() const { return stampYear2_; }
  int Month() const { return stamp_.month; }
  int Day() const { return stamp_.day; }
  int Hour() const { return stamp_.hour; }
  int Minute() const { return stamp_.minute; }

  // The line prefix for a given local time: "%02d-%s-%02d@%02d:%02d:%02d>> ".
  static std::string Prefix(const CivilTime& local);

 private:
  const IClock& clock_;
  WidthMeasure measure_;
  ChangeListener listener_;
  std::deque<Entry> entries_;
  int maxWidth_ = 0;
  std::size_t trimmed_ = 0;
  CivilTime stamp_;
  int stampYear2_ = 0;
};

}  // namespace mirvo
