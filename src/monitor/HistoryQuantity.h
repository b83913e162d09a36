// The quantities the History pane follows over a long measurement, with the names and units its
// charts and its CSV export show.
#pragma once

#include <array>
#include <cstddef>

namespace mirvo {

enum class HistoryQuantity : int {
  kIncomingRate,
  kThroughputRate,
  kDeadTime,
  kTemperature,
  kCentroid,     // of the ROI under the cursor of S1
  kFwhm,         // of the same ROI
  kNetAreaRate,  // its net area per second of live time
  kFom,
};
constexpr std::size_t kHistoryQuantities = 8;

struct HistoryQuantityInfo {
  const char* title;    // chart title
  const char* unit;     // value unit; empty for a pure number
  const char* csvName;  // column stem in the CSV export
};

inline constexpr std::array<HistoryQuantityInfo, kHistoryQuantities> kHistoryQuantityInfo = {{
    {"Incoming rate", "cps", "incoming rate"},
    {"Throughput rate", "cps", "throughput rate"},
    {"Dead time", "%", "dead time"},
    {"Temperature", "C", "temperature"},
    {"Centroid (ROI at the S1 cursor)", "chn", "centroid"},
    {"FWHM (ROI at the S1 cursor)", "chn", "FWHM"},
    {"Net area rate (ROI at the S1 cursor)", "cps", "net area rate"},
    {"FOM", "", "FOM"},
}};

constexpr std::size_t Index(HistoryQuantity q) { return static_cast<std::size_t>(q); }
inline const HistoryQuantityInfo& InfoOf(HistoryQuantity q) { return kHistoryQuantityInfo[Index(q)]; }

}  // namespace mirvo
