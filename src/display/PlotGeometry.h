// Pixel rules of the spectrum plot that the widget paints with: the plot rectangle inside the
// client area, channel <-> pixel column, count -> pixel height, the automatic scale and the labels.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mirvo {

class SpectrumPlot;

// The control's client rectangle; right and bottom are exclusive (left + width, top + height).
struct ClientRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct PlotGeometry {
  int clientLeft = 0;
  int clientRight = 0;
  int left = 0;    // client left + 20
  int right = 0;   // client right - 10
  int top = 0;     // client top + 20
  int bottom = 0;  // client bottom - 25
  int width = 0;   // W = right - left
  int height = 0;  // H = bottom - top
  int pixelsPerChannel = 0;  // K = W / N
  int x0 = 0;                // left + K / 2

  static PlotGeometry From(const ClientRect& client, int viewWidth);
  // H as the scaling uses it: at least 4.
  int ScaleHeight() const { return height < 4 ? 4 : height; }
  // x(ch) = (ch - first) * W / N + x0, truncating toward zero.
  int ChannelToX(int channel, int first, int viewWidth) const;
  // ch = (x - x0) * N / W + first, truncating toward zero (the cursor move clamps it).
  int XToChannel(int x, int first, int viewWidth) const;
  // The last pixel column of a channel in the filled histogram: (ch - first) * W / N + left + K.
  int ColumnOf(int channel, int first, int viewWidth) const;
};

// Height in pixels of a soft count, unclamped. Linear: full scale 2^s counts, a shift until the
// product would leave 32 bits and a division after; logarithmic: full scale 2^16 (p 0) or 2^32 (p 1).
std::int64_t LinearHeight(std::uint32_t count, int s, int scaleHeight);

// LinearHeight with its limits worked out once, for a whole paint.
class LinearScaler {
 public:
  LinearScaler(int s, int scaleHeight);
  std::int64_t Height(std::uint32_t count) const {
    return count < shiftLimit_ ? static_cast<std::int64_t>((count * height_) >> shift_)
                               : static_cast<std::int64_t>(count / divisor_);
  }

 private:
  std::uint32_t height_;
  int shift_;
  std::uint32_t shiftLimit_;
  std::uint32_t divisor_;
};
std::int64_t LogHeight(std::uint32_t count, int p, int scaleHeight);

// The automatic linear scale after a paint: highestY is the smallest unclamped y drawn (bottom
// when nothing rose). Returns the new scale index s.
int AutoScaleIndex(int s, std::int64_t highestY, const PlotGeometry& geometry);

// Full-scale labels of the linear scale indexes 0..31.
extern const std::array<const char*, 32> kFullScaleLabels;

struct PlotLabels {
  std::string firstText;   // left-aligned at x = left - 10, y = bottom + 9
  std::string middleText;  // centred at left + W / 2
  std::string lastText;    // right-aligned at right + 6
  std::string scaleText;   // "%4.4s  " of the full-scale label at (4, 2), or "LOG  " at (8, 1)
  bool scaleIsLog = false;
};
PlotLabels BuildLabels(const SpectrumPlot& plot);

}  // namespace mirvo
