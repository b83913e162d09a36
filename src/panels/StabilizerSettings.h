// The logic behind the "Gain Stabilizer Settings" dialog (CDialogStabilizer): the four window edges
// of registers 0x40..0x43, the proposal from a peak marked as a ROI, and OK with its validation.
// The stabilizer's enable (register 0x40 bit 15) belongs to the amplifier panel; OK keeps it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/UserDialog.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

class CHardwareLink;
class ILoggedSeries;

inline constexpr const char* kStabilizerTitle = "Gain Stabilizer Settings";
inline constexpr const char* kRecommendButtonText = "Select Peak ROI and PRESS for RECOMENDED Settings";
inline constexpr const char* kSoftSizeEqualText =
    "Please, set the spectrum soft size equal to the spectrum hard size!";
inline constexpr const char* kCursorOutsideRoiText = "Please, place the cursor within the ROI of the stabilization peak!";
inline constexpr const char* kPeakNearBoundaryText =
    "Please, select an ROI of a distinctive peak and far from the spectrum boundaries!";
inline constexpr const char* kEdgeRangeText = "Please enter an integer between 0 and 16383.";

constexpr unsigned kRegStabilizerFirst = 0x40;
constexpr int kStabilizerEdgeMax = 0x3FFF;

// The edges in register order: left outer (C - 2w), left inner (C - w), right inner (C + w), right
// outer (C + 2w).
using StabilizerEdges = std::array<int, 4>;

// What the proposal reads from the active plot and its cursor peak result.
struct StabilizerPeak {
  int softSize = 0;
  int hardSize = 0;
  bool cursorInRoi = false;
  double centroid = 0.0;
  double fwhm = 0.0;
  int setHardSize = 0;  // hard size of the shown record set
};

enum class ProposalResult { kProposed, kSoftSizeDiffers, kCursorOutsideRoi, kNearBoundary };

// The edges for a peak: w = FWHM x 0.25 truncated (1 when that is 0), C = centroid truncated.
// kNearBoundary when C - 2w or C - w is negative or C + w exceeds the set's hard size.
ProposalResult ProposeEdges(const StabilizerPeak& peak, StabilizerEdges& edges);

class StabilizerSettings {
 public:
  // `link` and `series` may be null (no instrument, no logger).
  StabilizerSettings(SpectrumRecord& live, CHardwareLink* link, const ILoggedSeries* series, IUserDialog& dialogs);

  // Opening: the edges from registers 0x40 (bit 15 masked off) .. 0x43 of the live image.
  void Open();
  const std::array<std::string, 4>& Texts() const { return texts_; }
  void SetText(int edge, const std::string& text) { texts_.at(static_cast<std::size_t>(edge)) = text; }

  // The recommended button: shows the refusal as a message, or the proposed edges in the edits.
  ProposalResult Recommend(const StabilizerPeak& peak);

  // OK: true when the dialog closes. A text that is not a whole number 0 .. 16383 shows the
  // validation message, changes nothing and keeps the dialog open.
  bool Ok();

 private:
  bool Responding() const;

  SpectrumRecord& live_;
  CHardwareLink* link_;
  const ILoggedSeries* series_;
  IUserDialog& dialogs_;
  std::array<std::string, 4> texts_;
};

}  // namespace mirvo
