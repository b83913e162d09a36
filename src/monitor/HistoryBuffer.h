// Samples of the history quantities over time with bounded memory for runs of any length: the most
// recent samples are kept as they came, older ones are merged into time buckets that keep the
// minimum, maximum and mean of each quantity, so extremes stay visible; nothing is dropped. When
// the merged part is full its bucket width doubles and neighbouring buckets merge.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

#include "monitor/HistoryQuantity.h"

namespace mirvo {

// One quantity over a bucket; n = 0 when the quantity was not known in it.
struct HistoryStat {
  float min = 0.0f;
  float max = 0.0f;
  double sum = 0.0;
  std::uint32_t n = 0;
  double Mean() const { return n > 0 ? sum / n : std::numeric_limits<double>::quiet_NaN(); }
  void Add(double value);
  void Merge(const HistoryStat& other);
};

// A sample (first == last, samples == 1) or a merged run of samples.
struct HistoryBucket {
  double start = 0.0;  // seconds from the history's origin, of the first sample in it
  double end = 0.0;    // of its last sample
  std::uint32_t firstOrdinal = 0;  // number of its first sample, from 1 (the run number in a series)
  std::uint32_t samples = 0;
  std::array<HistoryStat, kHistoryQuantities> stats{};
  void Merge(const HistoryBucket& later);
};

// The values of one sample; NaN for a quantity not known at that moment.
using HistoryValues = std::array<double, kHistoryQuantities>;
HistoryValues NoHistoryValues();

class HistoryBuffer {
 public:
  struct Limits {
    std::size_t recentSamples = 2048;   // kept unmerged
    std::size_t mergedBuckets = 4096;   // the merged part never holds more
    double firstBucketSeconds = 1.0;    // width of the merged buckets before any doubling
  };
  HistoryBuffer() : HistoryBuffer(Limits{}) {}
  explicit HistoryBuffer(const Limits& limits);

  // A sample at `seconds` from the origin (a time before the last sample is taken as the last's).
  void Add(double seconds, const HistoryValues& values);
  void Clear();

  std::size_t Size() const { return merged_.size() + recent_.size(); }
  bool Empty() const { return Size() == 0; }
  // Oldest first.
  const HistoryBucket& At(std::size_t i) const { return i < merged_.size() ? merged_[i] : recent_[i - merged_.size()]; }
  std::uint64_t SamplesAdded() const { return added_; }
  double BucketSeconds() const { return width_; }
  double FirstTime() const { return Empty() ? 0.0 : At(0).start; }
  double LastTime() const { return Empty() ? 0.0 : At(Size() - 1).end; }
  // Two neighbours further apart than this had no sample between them: the charts break there.
  double GapSeconds() const;
  // Bytes held by the buffer (its containers' capacity), for the memory figure.
  std::size_t MemoryBytes() const;
  const Limits& BufferLimits() const { return limits_; }

 private:
  void Fold(const HistoryBucket& sample);
  void Coarsen();
  double Slot(double seconds) const { return std::floor(seconds / width_); }

  Limits limits_;
  double width_;
  std::vector<HistoryBucket> merged_;
  std::deque<HistoryBucket> recent_;
  std::uint64_t added_ = 0;
};

// The shortest gap the charts show for samples that arrive at least every few seconds.
constexpr double kMinimumHistoryGapSeconds = 5.0;

}  // namespace mirvo
