// The command line of kvetral-sim: flags into SimOptions, with a usage text for bad input.
#pragma once

#include <string>
#include <vector>

#include "lib/Simulator.h"

namespace kvetral {

constexpr int kExitUsage = 2;

struct CommandLine {
  SimOptions options;  // link defaults to <virtual-port folder>/ttyKV<serial>
  bool help = false;
  std::string traffic;  // --traffic FILE: every valid request, one hex line each, written at the end
};

// Returns 0, or kExitUsage with the reason in *error (the caller prints it with the usage text).
int ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);
std::string UsageText();
// The link name the program lists: "ttyKV" + the serial number without leading zeros.
std::string LinkName(unsigned serial);

}  // namespace kvetral
