// The FPGA dialog's message list: lines appended at the end, the oldest dropped beyond 80, and the
// last 10 in view.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace mirvo::fpga {

class FpgaMessageList {
 public:
  static constexpr std::size_t kKeptLines = 80;
  static constexpr std::size_t kShownLines = 10;

  // Returns true when the oldest line was dropped to make room.
  bool Add(const std::string& line) {
    lines_.push_back(line);
    if (lines_.size() <= kKeptLines) return false;
    lines_.pop_front();
    return true;
  }
  const std::deque<std::string>& Lines() const { return lines_; }
  std::size_t Size() const { return lines_.size(); }
  // The index of the first line that shows when the list is scrolled to its end.
  std::size_t FirstShown() const { return lines_.size() > kShownLines ? lines_.size() - kShownLines : 0; }
  void Clear() { lines_.clear(); }

 private:
  std::deque<std::string> lines_;
};

}  // namespace mirvo::fpga
