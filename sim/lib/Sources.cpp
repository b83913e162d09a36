#include "lib/Sources.h"

#include <array>
#include <bit>

namespace kvetral {

namespace {

constexpr std::array<std::pair<std::string_view, Source>, 5> kNames = {{
    {"cs137", Source::Cs137},
    {"co60", Source::Co60},
    {"ambe", Source::AmBe},
    {"mixed", Source::Mixed},
    {"background", Source::Background},
}};

unsigned Bits(Source source) { return static_cast<unsigned>(source); }

}  // namespace

const std::vector<BackgroundLine>& RoomBackgroundLines() {
  static const std::vector<BackgroundLine> lines = {
      {"Pb-212", 238.6, 0.06, 0.40}, {"Pb-214", 351.9, 0.05, 0.30}, {"Tl-208", 583.2, 0.04, 0.20},
      {"Bi-214", 609.3, 0.08, 0.20}, {"Bi-214", 1120.3, 0.03, 0.14}, {"K-40", 1460.8, 0.12, 0.12},
      {"Bi-214", 1764.5, 0.03, 0.10}, {"Tl-208", 2614.5, 0.04, 0.08},
  };
  return lines;
}

bool ParseSource(std::string_view text, Source* source) {
  unsigned bits = 0;
  while (true) {
    const std::size_t plus = text.find('+');
    const std::string_view part = text.substr(0, plus);
    unsigned bit = 0;
    for (const auto& [name, value] : kNames) {
      if (part == name) bit = Bits(value);
    }
    if (bit == 0 || (bits & bit) != 0) return false;  // unknown, empty or repeated
    bits |= bit;
    if (plus == std::string_view::npos) break;
    text.remove_prefix(plus + 1);
  }
  *source = static_cast<Source>(bits);
  return true;
}

bool IsCombination(Source source) { return std::popcount(Bits(source)) > 1; }

std::vector<std::pair<Source, double>> SourceShares(Source source) {
  const unsigned bits = Bits(source);
  if (!IsCombination(source)) return {{source, 1.0}};
  const bool background = (bits & Bits(Source::Background)) != 0;
  const int others = std::popcount(bits) - (background ? 1 : 0);
  const double backgroundShare = background ? kBackgroundShareInCombination : 0.0;
  std::vector<std::pair<Source, double>> shares;
  for (const auto& [name, value] : kNames) {
    if ((bits & Bits(value)) == 0) continue;
    shares.emplace_back(value, value == Source::Background ? backgroundShare : (1.0 - backgroundShare) / others);
  }
  return shares;
}

std::string SourceNames() {
  std::string names;
  for (const auto& [name, value] : kNames) {
    if (!names.empty()) names.append(" | ");
    names.append(name);
  }
  return names;
}

}  // namespace kvetral
