#include "monitor/HistoryBuffer.h"

#include <algorithm>

namespace mirvo {

void HistoryStat::Add(double value) {
  if (!std::isfinite(value)) return;
  const auto v = static_cast<float>(value);
  if (n == 0) {
    min = max = v;
  } else {
    min = std::min(min, v);
    max = std::max(max, v);
  }
  sum += value;
  ++n;
}

void HistoryStat::Merge(const HistoryStat& other) {
  if (other.n == 0) return;
  if (n == 0) {
    *this = other;
    return;
  }
  min = std::min(min, other.min);
  max = std::max(max, other.max);
  sum += other.sum;
  n += other.n;
}

void HistoryBucket::Merge(const HistoryBucket& later) {
  end = later.end;
  samples += later.samples;
  for (std::size_t q = 0; q < kHistoryQuantities; ++q) stats[q].Merge(later.stats[q]);
}

HistoryValues NoHistoryValues() {
  HistoryValues values;
  values.fill(std::numeric_limits<double>::quiet_NaN());
  return values;
}

HistoryBuffer::HistoryBuffer(const Limits& limits) : limits_(limits), width_(limits.firstBucketSeconds) {
  limits_.mergedBuckets = std::max<std::size_t>(limits_.mergedBuckets, 2);
  if (!(width_ > 0.0)) width_ = 1.0;
}

void HistoryBuffer::Clear() {
  merged_.clear();
  recent_.clear();
  recent_.shrink_to_fit();
  width_ = limits_.firstBucketSeconds > 0.0 ? limits_.firstBucketSeconds : 1.0;
  added_ = 0;
}

void HistoryBuffer::Add(double seconds, const HistoryValues& values) {
  if (!std::isfinite(seconds)) return;
  if (!Empty()) seconds = std::max(seconds, LastTime());
  HistoryBucket sample;
  sample.start = sample.end = seconds;
  sample.firstOrdinal = static_cast<std::uint32_t>(++added_);
  sample.samples = 1;
  for (std::size_t q = 0; q < kHistoryQuantities; ++q) sample.stats[q].Add(values[q]);
  recent_.push_back(sample);
  while (recent_.size() > limits_.recentSamples) {
    Fold(recent_.front());
    recent_.pop_front();
  }
}

void HistoryBuffer::Fold(const HistoryBucket& sample) {
  if (!merged_.empty() && Slot(merged_.back().start) == Slot(sample.start)) {
    merged_.back().Merge(sample);
    return;
  }
  if (merged_.capacity() == 0) merged_.reserve(limits_.mergedBuckets + 1);  // once, at the size it keeps
  merged_.push_back(sample);
  while (merged_.size() > limits_.mergedBuckets) Coarsen();
}

void HistoryBuffer::Coarsen() {
  width_ *= 2.0;
  std::size_t kept = 0;
  for (std::size_t i = 1; i < merged_.size(); ++i) {
    if (Slot(merged_[i].start) == Slot(merged_[kept].start)) merged_[kept].Merge(merged_[i]);
    else merged_[++kept] = merged_[i];
  }
  merged_.resize(kept + 1);
}

double HistoryBuffer::GapSeconds() const {
  // Inside the merged part a whole bucket without samples is a gap; the recent samples come every
  // status read and tick.
  return merged_.empty() ? kMinimumHistoryGapSeconds : std::max(kMinimumHistoryGapSeconds, width_);
}

std::size_t HistoryBuffer::MemoryBytes() const {
  // A deque holds its elements in blocks; count the elements with a block's worth of slack.
  const std::size_t dequeBlock = std::max<std::size_t>(1, 512 / sizeof(HistoryBucket)) * sizeof(HistoryBucket);
  return sizeof(*this) + merged_.capacity() * sizeof(HistoryBucket) + recent_.size() * sizeof(HistoryBucket) +
         dequeBlock;
}

}  // namespace mirvo
