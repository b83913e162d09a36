#include "panels/StabilizerSettings.h"

#include <charconv>

#include "acquisition/LoggedSeries.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

namespace {
constexpr std::uint16_t kEnableBit = 0x8000;

bool ParseEdge(const std::string& text, int& value) {
  std::size_t first = text.find_first_not_of(' ');
  std::size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos) return false;
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  int parsed = 0;
  const auto [stop, ec] = std::from_chars(begin, end, parsed);
  if (ec != std::errc() || stop != end || parsed < 0 || parsed > kStabilizerEdgeMax) return false;
  value = parsed;
  return true;
}
}  // namespace

ProposalResult ProposeEdges(const StabilizerPeak& peak, StabilizerEdges& edges) {
  if (peak.softSize != peak.hardSize) return ProposalResult::kSoftSizeDiffers;
  if (!peak.cursorInRoi) return ProposalResult::kCursorOutsideRoi;
  int w = static_cast<int>(peak.fwhm * 0.25);
  if (w == 0) w = 1;
  const int c = static_cast<int>(peak.centroid);
  const StabilizerEdges proposed = {c - 2 * w, c - w, c + w, c + 2 * w};
  if (proposed[0] < 0 || proposed[1] < 0 || proposed[2] > peak.setHardSize) return ProposalResult::kNearBoundary;
  edges = proposed;
  return ProposalResult::kProposed;
}

StabilizerSettings::StabilizerSettings(SpectrumRecord& live, CHardwareLink* link, const ILoggedSeries* series,
                                       IUserDialog& dialogs)
    : live_(live), link_(link), series_(series), dialogs_(dialogs) {}

bool StabilizerSettings::Responding() const { return link_ != nullptr && link_->Responding(); }

void StabilizerSettings::Open() {
  const RegisterImage& image = live_.registers;
  for (std::size_t k = 0; k < 4; ++k) {
    std::uint16_t value = image[kRegStabilizerFirst + k];
    if (k == 0) value &= 0x7FFF;
    texts_[k] = std::to_string(value);
  }
}

ProposalResult StabilizerSettings::Recommend(const StabilizerPeak& peak) {
  StabilizerEdges edges{};
  const ProposalResult result = ProposeEdges(peak, edges);
  switch (result) {
    case ProposalResult::kSoftSizeDiffers:
      dialogs_.ShowMessage(kSoftSizeEqualText);
      break;
    case ProposalResult::kCursorOutsideRoi: dialogs_.ShowMessage(kCursorOutsideRoiText); break;
    case ProposalResult::kNearBoundary: dialogs_.ShowMessage(kPeakNearBoundaryText); break;
    case ProposalResult::kProposed:
      for (std::size_t k = 0; k < 4; ++k) texts_[k] = std::to_string(edges[k]);
      break;
  }
  return result;
}

bool StabilizerSettings::Ok() {
  const int refreshEnable = live_.refreshEnable;
  live_.refreshEnable = 0;  // a status read must not overwrite the edit
  StabilizerEdges edges{};
  for (std::size_t k = 0; k < 4; ++k) {
    if (!ParseEdge(texts_[k], edges[k])) {
      live_.refreshEnable = refreshEnable;  // nothing changed
      dialogs_.ShowMessage(kEdgeRangeText);
      return false;
    }
  }
  if (!Responding()) {
    live_.refreshEnable = 1;
    return true;
  }
  RegisterImage& image = live_.registers;
  // The enable bit is the amplifier panel's: it stays as it was.
  image[kRegStabilizerFirst] =
      static_cast<std::uint16_t>((image[kRegStabilizerFirst] & kEnableBit) | static_cast<std::uint16_t>(edges[0]));
  for (std::size_t k = 1; k < 4; ++k) image[kRegStabilizerFirst + k] = static_cast<std::uint16_t>(edges[k]);
  if (series_ == nullptr || !series_->SeriesRunning()) link_->WriteSettingsRegisters();
  return true;
}

}  // namespace mirvo
