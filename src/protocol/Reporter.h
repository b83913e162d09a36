// Where the engine and the panels report: lines of the "Events" pane and error message boxes.
#pragma once

#include <string>

namespace mirvo {

class IReporter {
 public:
  virtual ~IReporter() = default;
  virtual void AddLine(const std::string& line) = 0;
  virtual void ShowError(const std::string& message) = 0;
};

}  // namespace mirvo
