// The acquisition panel's "AUTO UPDATE" box: while checked the engine reads the spectrum memory
// without end. AutoUpdateFlag is the box on its own, for hosts without the acquisition panel.
#pragma once

namespace mirvo {

class IAutoUpdate {
 public:
  virtual ~IAutoUpdate() = default;
  virtual bool AutoUpdate() const = 0;
  virtual void SetAutoUpdate(bool checked) = 0;
};

class AutoUpdateFlag final : public IAutoUpdate {
 public:
  bool AutoUpdate() const override { return checked_; }
  void SetAutoUpdate(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = true;
};

}  // namespace mirvo
