// The two shaper values the trace viewer's normalisation needs: LONG TC [rel] and the BDC value.
// The window lends the shaper panel's; without a shaper panel they are read from the live image
// (register 0x0B, and register 0x47 bits 14:10 as 1 + index / 8).
#pragma once

#include <algorithm>
#include <functional>

#include "protocol/RegisterImage.h"

namespace mirvo {

class IShaperGains {
 public:
  virtual ~IShaperGains() = default;
  virtual int LongTc() const = 0;
  virtual double BdcValue() const = 0;
};

class ImageShaperGains final : public IShaperGains {
 public:
  explicit ImageShaperGains(const RegisterImage& image) : image_(image) {}
  int LongTc() const override { return image_[0x0B] & 0x1FFF; }
  double BdcValue() const override { return 1.0 + std::min((image_[0x47] >> 10) & 0x1F, 31) * 0.125; }

 private:
  const RegisterImage& image_;
};

// Values read through two functions (the window binds them to its shaper panel).
class FunctionShaperGains final : public IShaperGains {
 public:
  FunctionShaperGains(std::function<int()> longTc, std::function<double()> bdc)
      : longTc_(std::move(longTc)), bdc_(std::move(bdc)) {}
  int LongTc() const override { return longTc_(); }
  double BdcValue() const override { return bdc_(); }

 private:
  std::function<int()> longTc_;
  std::function<double()> bdc_;
};

}  // namespace mirvo
