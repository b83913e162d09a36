// The panels that show the register image, refreshed after every status read in a fixed order:
// acquisition, amplifier, pulse-shape, shaper, register debugger, then whatever the window shows
// from them. A panel joins with its rank; the order does not depend on who joined first.
#pragma once

#include <vector>

namespace mirvo {

class IRegisterRefresh {
 public:
  virtual ~IRegisterRefresh() = default;
  virtual void RefreshFromImage() = 0;
};

class RegisterRefreshChain {
 public:
  enum class Rank : int { kAcquisition, kAmplifier, kPulseShape, kShaper, kRegisterDebugger, kAfterPanels };

  void Join(Rank rank, IRegisterRefresh& member);
  void Leave(IRegisterRefresh& member);
  void RefreshAll();

 private:
  struct Member {
    Rank rank;
    IRegisterRefresh* member;
  };
  std::vector<Member> members_;  // in rank order, equal ranks in joining order
};

}  // namespace mirvo
