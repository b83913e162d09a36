// The logic behind the pulse-shape panel (CPSDView, pane "PSD"): the pulse-height window that events
// must pass to be counted in the TIPS spectrum S0, and the three TIPS windows of S1, S2 and S3. The
// windows are typed, taken from the ROI around the cursor or set to the full range, and can be
// marked back into the spectra as ROIs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "acquisition/ConnectionObserver.h"
#include "acquisition/RegisterRefreshChain.h"
#include "display/UserDialog.h"
#include "panels/PanelHost.h"
#include "acquisition/LinkMembership.h"

namespace mirvo {

class CHardwareLink;
class LinkLifecycle;

namespace psd_reg {
constexpr unsigned kHeightLow = 0x65;  // then 0x66, and the TIPS pairs 0x67/0x68, 0x69/0x6A, 0x6B/0x6C
constexpr std::uint16_t kChannelMask = 0x0FFF;
constexpr std::uint16_t kAndHeight = 0x8000;  // bit 15 of 0x69 and 0x6B
}  // namespace psd_reg

inline constexpr const char* kS1RoiFromS0Text = "Please, place the cursor within a ROI region in the spectrum BUFFER S1!";
inline constexpr const char* kS1AllFromS0Text = "Please, place the cursor in the spectrum BUFFER S1!";
inline constexpr const char* kNoRoiAtCursorText = "Please, place the cursor within a ROI region of the BUFFER!";
inline constexpr const char* kRoiOverlapText = "ROI will overlap with an existing ROI. ROI Marking aborted!";

// Marks (value 1) or clears a window [a, b] of soft channels with factor q on hard ROI flags: false,
// and nothing changed, when marking would touch a flag already set.
bool MarkHardRoi(FlagArray& flags, int a, int b, int q, bool value);

class PulseShapePanel final : public IRegisterRefresh, public IConnectionObserver {
 public:
  // Window 0 is the pulse-height window (spectrum S1's channels), 1 .. 3 the TIPS windows of S1, S2
  // and S3 (spectrum S0's channels).
  static constexpr int kWindows = 4;
  enum class End { kFrom, kTo };

  PulseShapePanel(IPanelHost& host, IUserDialog& dialogs);
  PulseShapePanel(const PulseShapePanel&) = delete;
  PulseShapePanel& operator=(const PulseShapePanel&) = delete;

  void Attach(LinkLifecycle& lifecycle);
  void Initialise();
  bool Initialised() const { return initialised_; }
  std::function<void()> onChanged;

  // --- operations
  void ApplyToImage();
  void CommitChange();
  void RefreshFromRecord();

  // --- handlers
  // A typed FROM or TO, clamped (outside, or negative, becomes the largest channel); returns it.
  int OnTyped(int window, End end, std::int64_t channel);
  void OnFromRoi(int window);
  void OnAll(int window);
  void OnMarkBack(int window);
  void OnEraseAll(int window);

  // --- IRegisterRefresh
  void RefreshFromImage() override { RefreshFromRecord(); }
  // --- IConnectionObserver
  void OnPortOpened() override { synchronised_ = false; }

  // --- values shown
  int From(int window) const { return values_[Index(window, End::kFrom)]; }
  int To(int window) const { return values_[Index(window, End::kTo)]; }
  bool AndOption(int window) const { return window >= 2 && window <= 3 && andOption_[static_cast<std::size_t>(window - 2)]; }
  const std::string& CalibratedFromText() const { return calibratedFrom_; }
  const std::string& CalibratedToText() const { return calibratedTo_; }
  const std::string& UnitsCaption() const { return unitsCaption_; }
  bool Synchronised() const { return synchronised_; }
  // The ROI and ALL buttons work only while the BUFFER set is shown.
  bool RoiButtonsEnabled() const { return host_.SettingsRecordLive(); }
  // The largest channel a window takes with the BUFFER record's factor of its spectrum.
  int MaximumChannel(int window);

 private:
  static std::size_t Index(int window, End end) {
    return static_cast<std::size_t>(2 * (window & 3) + (end == End::kTo ? 1 : 0));
  }
  static int SpectrumOf(int window) { return window == 0 ? 1 : 0; }
  static int Factor(const SpectrumRecord& record) { return record.factor > 0 ? record.factor : 1; }
  bool Responding() const;
  void Changed() {
    if (onChanged) onChanged();
  }
  void CommitIfSynchronised();
  void RewriteCalibrated();

  IPanelHost& host_;
  IUserDialog& dialogs_;
  CHardwareLink* link_ = nullptr;
  LinkMembership membership_;  // left when the panel goes
  bool initialised_ = false;
  bool synchronised_ = false;
  std::array<int, 2 * kWindows> values_{0, 1000, 0, 1000, 0, 1000, 0, 1000};
  std::array<int, 2 * kWindows> lastWritten_{};  // lower, upper of each window as last written or read
  std::array<bool, 2> andOption_{false, false};
  std::string calibratedFrom_ = "0", calibratedTo_ = "1000", unitsCaption_ = "[chn]";
};

}  // namespace mirvo
