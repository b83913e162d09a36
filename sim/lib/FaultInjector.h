// The faults the simulator injects for reliability tests: lost requests, wrong checksums, trailing
// garbage, an instrument that falls silent or is unplugged after N requests; repeatable per seed.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/Random.h"

namespace kvetral {

struct FaultOptions {
  double corrupt = 0, drop = 0, garbage = 0;  // probabilities 0..1
  long silentAfter = -1, closeAfter = -1;     // -1 = never
};

class FaultInjector {
 public:
  FaultInjector(const FaultOptions& options, std::uint64_t seed) : options_(options), random_(seed) {}

  // Whether the request with this number (1 for the first) is acted on and answered at all.
  bool Admit(std::uint64_t requestNumber) {
    if (silent_) return false;
    if (options_.silentAfter >= 0 && requestNumber > static_cast<std::uint64_t>(options_.silentAfter)) return false;
    if (dropNext_ > 0) {
      --dropNext_;
      return false;
    }
    return !random_.Chance(options_.drop);
  }
  // Spoils a reply as asked: a wrong checksum, and/or extra bytes after it.
  void Shape(std::vector<std::uint8_t>& reply) {
    if (reply.empty()) return;
    bool corrupt = random_.Chance(options_.corrupt);
    if (corruptNext_ > 0) {
      --corruptNext_;
      corrupt = true;
    }
    if (corrupt) reply.back() = static_cast<std::uint8_t>(reply.back() ^ (1u + random_.Below(255)));
    if (random_.Chance(options_.garbage)) {
      const std::uint32_t extra = 1 + random_.Below(16);
      for (std::uint32_t i = 0; i < extra; ++i) reply.push_back(static_cast<std::uint8_t>(random_.Next()));
    }
  }
  // After this many requests the line closes (the instrument is unplugged).
  bool CloseDue(std::uint64_t requestsSoFar) const {
    return options_.closeAfter >= 0 && requestsSoFar >= static_cast<std::uint64_t>(options_.closeAfter);
  }

  void CorruptNext(int n) { corruptNext_ = n > 0 ? n : 0; }
  void DropNext(int n) { dropNext_ = n > 0 ? n : 0; }
  void SetSilent(bool silent) { silent_ = silent; }

 private:
  FaultOptions options_;
  Random random_;
  int corruptNext_ = 0;
  int dropNext_ = 0;
  bool silent_ = false;
};

}  // namespace kvetral
