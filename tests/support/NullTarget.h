// A message target that drops every port event: for tests that drive the engine themselves and
// need no listener messages delivered.
#pragma once

#include <cstdint>

#include "link/MessageTarget.h"

namespace mirvo::test {

class NullTarget final : public IMessageTarget {
 public:
  void PostMessage(unsigned, std::uintptr_t, std::intptr_t) override {}
};

}  // namespace mirvo::test
