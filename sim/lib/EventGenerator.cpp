#include "lib/EventGenerator.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "lib/Sources.h"

namespace kvetral {
namespace {

constexpr std::size_t kBins = 6000;  // deposited energy, 1 keV bins
constexpr std::size_t kNormalTable = 16384;
constexpr double kElectronMass = 511.0;

using Shape = std::vector<double>;

void AddNormalised(Shape& target, const Shape& shape, double weight) {
  double sum = 0;
  for (double v : shape) sum += v;
  if (sum <= 0) return;
  for (std::size_t i = 0; i < target.size(); ++i) target[i] += shape[i] * weight / sum;
}

// A gamma line: photopeak, Compton continuum (Klein-Nishina), multiple scattering between the edge
// and the peak, and a backscatter bump.
void AddLine(Shape& target, double energy, double weight, double photoFraction) {
  const double eps = energy / kElectronMass;
  const double edge = energy * 2 * eps / (1 + 2 * eps);
  Shape compton(kBins, 0.0), plateau(kBins, 0.0), peak(kBins, 0.0), backscatter(kBins, 0.0);
  for (std::size_t i = 1; i < kBins && i < edge; ++i) {
    const double s = i / energy;
    compton[i] = 2 + s * s / (eps * eps * (1 - s) * (1 - s)) + s / (1 - s) * (s - 2 / eps);
  }
  for (std::size_t i = static_cast<std::size_t>(edge); i < kBins && i < energy; ++i) plateau[i] = 1.0;
  if (energy < kBins) peak[static_cast<std::size_t>(energy)] = 1.0;
  const double back = energy - edge;  // scattered back from the surroundings: a broad bump
  for (std::size_t i = 0; i < kBins; ++i) backscatter[i] = std::exp(-0.5 * std::pow((i - back) / (0.12 * back + 5), 2));
  const double scattered = weight * (1 - photoFraction);
  AddNormalised(target, compton, scattered * 0.85);
  AddNormalised(target, plateau, scattered * 0.12);
  AddNormalised(target, backscatter, scattered * 0.03);
  AddNormalised(target, peak, weight * photoFraction);
}

void AddExponential(Shape& target, double weight, double decayKeV, double riseKeV) {
  Shape shape(kBins, 0.0);
  for (std::size_t i = 1; i < kBins; ++i)
    shape[i] = (1 - std::exp(-static_cast<double>(i) / riseKeV)) * std::exp(-static_cast<double>(i) / decayKeV);
  AddNormalised(target, shape, weight);
}

void AddSource(Source source, double weight, Shape& gamma, Shape& neutron) {
  if (IsCombination(source)) {
    for (const auto& [single, share] : SourceShares(source)) AddSource(single, weight * share, gamma, neutron);
    return;
  }
  switch (source) {
    case Source::Cs137:
      AddLine(gamma, 661.7, weight * 0.92, 0.22);
      AddLine(gamma, 32.0, weight * 0.03, 1.0);  // barium X-rays
      AddExponential(gamma, weight * 0.05, 150.0, 5.0);
      break;
    case Source::Co60:
      AddLine(gamma, 1173.2, weight * 0.475, 0.14);
      AddLine(gamma, 1332.5, weight * 0.475, 0.14);
      AddExponential(gamma, weight * 0.05, 150.0, 5.0);
      break;
    case Source::AmBe:
      AddExponential(neutron, weight * 0.55, 650.0, 80.0);  // proton-recoil light, keV electron equivalent
      AddLine(gamma, 4438.0, weight * 0.40, 0.05);
      AddExponential(gamma, weight * 0.05, 150.0, 5.0);
      break;
    case Source::Mixed:
      AddSource(Source::Cs137, weight * 0.35, gamma, neutron);
      AddSource(Source::Co60, weight * 0.25, gamma, neutron);
      AddSource(Source::AmBe, weight * 0.40, gamma, neutron);
      break;
    case Source::Background: {
      double lines = 0;
      for (const BackgroundLine& line : RoomBackgroundLines()) {
        AddLine(gamma, line.keV, weight * line.share, line.photoFraction);
        lines += line.share;
      }
      AddExponential(gamma, weight * (1.0 - lines), kRoomContinuumDecayKeV, kRoomContinuumRiseKeV);
      break;
    }
  }
}

// Folds the detector resolution (6 % FWHM at 662 keV, growing as the square root of the energy).
Shape Fold(const Shape& ideal) {
  Shape out(kBins, 0.0);
  for (std::size_t i = 0; i < kBins; ++i) {
    if (ideal[i] <= 0) continue;
    const double sigma = std::max(2.0, 0.06 * std::sqrt(661.7 * (i + 0.5)) / 2.3548);
    const int reach = static_cast<int>(4 * sigma) + 1;
    double sum = 0;
    const int lo = std::max(0, static_cast<int>(i) - reach), hi = std::min<int>(kBins - 1, static_cast<int>(i) + reach);
    for (int j = lo; j <= hi; ++j) sum += std::exp(-0.5 * std::pow((j - static_cast<double>(i)) / sigma, 2));
    for (int j = lo; j <= hi; ++j)
      out[j] += ideal[i] * std::exp(-0.5 * std::pow((j - static_cast<double>(i)) / sigma, 2)) / sum;
  }
  return out;
}

}  // namespace

// Alias method over (particle, energy bin): keep the entry when the low word is below its
// threshold, else take its alias. Gamma bins first, then neutron bins.
struct EnergyTable {
  std::vector<std::uint32_t> threshold, alias;
};

namespace {

EnergyTable BuildAliasTable(const Shape& gamma, const Shape& neutron) {
  std::vector<double> weights(gamma);
  weights.insert(weights.end(), neutron.begin(), neutron.end());
  const std::size_t n = weights.size();
  double total = 0;
  for (double w : weights) total += w;
  std::vector<double> scaled(n);
  for (std::size_t i = 0; i < n; ++i) scaled[i] = total > 0 ? weights[i] * n / total : 1.0;
  EnergyTable table;
  table.threshold.assign(n, 0xFFFFFFFFu);
  table.alias.resize(n);
  std::vector<std::size_t> small, large;
  for (std::size_t i = 0; i < n; ++i) {
    table.alias[i] = static_cast<std::uint32_t>(i);
    (scaled[i] < 1.0 ? small : large).push_back(i);
  }
  while (!small.empty() && !large.empty()) {
    const std::size_t s = small.back(), l = large.back();
    small.pop_back();
    table.threshold[s] = static_cast<std::uint32_t>(std::min(scaled[s] * 4294967296.0, 4294967295.0));
    table.alias[s] = static_cast<std::uint32_t>(l);
    scaled[l] -= 1.0 - scaled[s];
    if (scaled[l] < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
  return table;
}

std::shared_ptr<const EnergyTable> TableFor(Source source) {
  static std::mutex mutex;
  static std::map<Source, std::shared_ptr<const EnergyTable>> tables;
  std::lock_guard lock(mutex);
  auto& table = tables[source];
  if (!table) {
    Shape gamma(kBins, 0.0), neutron(kBins, 0.0);
    AddSource(source, 1.0, gamma, neutron);
    table = std::make_shared<const EnergyTable>(BuildAliasTable(Fold(gamma), Fold(neutron)));
  }
  return table;
}

const std::vector<float>& NormalQuantiles() {
  static const std::vector<float> quantiles = [] {
    std::vector<float> q(kNormalTable);
    for (std::size_t i = 0; i < kNormalTable; ++i) {
      const double p = (i + 0.5) / kNormalTable;  // solve 0.5 erfc(-x / sqrt 2) = p
      double lo = -8, hi = 8;
      for (int step = 0; step < 60; ++step) {
        const double mid = 0.5 * (lo + hi);
        (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? lo : hi) = mid;
      }
      q[i] = static_cast<float>(0.5 * (lo + hi));
    }
    return q;
  }();
  return quantiles;
}

}  // namespace

EventGenerator::EventGenerator(Source source, double fom, std::uint64_t seed)
    : random_(seed), table_(TableFor(source)), normal_(&NormalQuantiles()) {
  // FOM = separation / (FWHM gamma + FWHM neutron); the neutron hump is a little wider.
  const double widths = (kNeutronTips - kGammaTips) / std::max(fom, 0.05);
  gammaSigma_ = 0.45 * widths / 2.3548;
  neutronSigma_ = 0.55 * widths / 2.3548;
}

std::uint32_t EventGenerator::TipsBorder() const {
  return static_cast<std::uint32_t>(kGammaTips + (kNeutronTips - kGammaTips) * gammaSigma_ / (gammaSigma_ + neutronSigma_));
}

SimEvent EventGenerator::Sample(const EventRouting& routing) {
  const std::uint64_t r1 = random_.Next();
  std::uint32_t index = static_cast<std::uint32_t>(((r1 >> 32) * table_->threshold.size()) >> 32);
  if (static_cast<std::uint32_t>(r1) >= table_->threshold[index]) index = table_->alias[index];
  SimEvent event;
  event.neutron = index >= kBins;
  const std::uint32_t bin = event.neutron ? index - static_cast<std::uint32_t>(kBins) : index;
  const std::uint64_t r2 = random_.Next();
  event.keV = bin + static_cast<double>(r2 & 0xFFFF) * (1.0 / 65536.0);
  event.channel = static_cast<std::int32_t>(std::floor(event.keV * routing.channelsPerKeV + routing.offsetChannels));
  const double z = (*normal_)[(r2 >> 16) % kNormalTable];
  const double tips = event.neutron ? kNeutronTips + neutronSigma_ * z : kGammaTips + gammaSigma_ * z;
  event.tips = static_cast<std::int32_t>(std::floor(tips * routing.tipsScale));
  return event;
}

void EventGenerator::Generate(std::uint64_t count, const EventRouting& routing, std::uint32_t* spectra,
                              std::uint64_t* neutronTally) {
  const std::uint32_t n = static_cast<std::uint32_t>(table_->threshold.size());
  const double gammaMean = kGammaTips * routing.tipsScale, gammaSigma = gammaSigma_ * routing.tipsScale;
  const double neutronMean = kNeutronTips * routing.tipsScale, neutronSigma = neutronSigma_ * routing.tipsScale;
  const double perKeV = routing.channelsPerKeV;
  const double offset = routing.offsetChannels;
  const std::uint32_t lowest = routing.lowestChannel;
  std::uint32_t* s0 = spectra;
  std::uint32_t* s1 = spectra + kChannels;
  const std::uint32_t* thresholds = table_->threshold.data();
  const std::uint32_t* aliases = table_->alias.data();
  const float* normal = normal_->data();
  for (std::uint64_t e = 0; e < count; ++e) {
    const std::uint64_t r1 = random_.Next();
    std::uint32_t index = static_cast<std::uint32_t>(((r1 >> 32) * n) >> 32);
    if (static_cast<std::uint32_t>(r1) >= thresholds[index]) index = aliases[index];
    const bool neutron = index >= kBins;
    const std::uint32_t bin = neutron ? index - static_cast<std::uint32_t>(kBins) : index;
    const std::uint64_t r2 = random_.Next();
    const double keV = bin + static_cast<double>(r2 & 0xFFFF) * (1.0 / 65536.0);
    double height = keV * perKeV + offset;
    if (routing.sumFraction > 0 && static_cast<double>(r2 >> 46) * (1.0 / 262144.0) < routing.sumFraction) {
      const std::uint64_t r3 = random_.Next();  // the piled-up partner
      std::uint32_t other = static_cast<std::uint32_t>(((r3 >> 32) * n) >> 32);
      if (static_cast<std::uint32_t>(r3) >= thresholds[other]) other = aliases[other];
      height += (other >= kBins ? other - kBins : other) * perKeV;
    }
    if (routing.noiseChannels > 0 || routing.ballisticRel > 0) {
      const double spread = routing.ballisticRel * height;
      height += std::sqrt(routing.noiseChannels * routing.noiseChannels + spread * spread) *
                normal[((r2 >> 32) & 0x3FFF) % kNormalTable];
    }
    if (height < 0) continue;
    const std::uint32_t channel = static_cast<std::uint32_t>(height);
    if (channel < lowest || channel >= kChannels) continue;
    const double z = normal[(r2 >> 16) % kNormalTable];
    const double tipsValue = neutron ? neutronMean + neutronSigma * z : gammaMean + gammaSigma * z;
    if (tipsValue < 0 || tipsValue >= static_cast<double>(kChannels)) continue;
    const std::uint32_t tips = static_cast<std::uint32_t>(tipsValue);
    const bool inHeight = channel >= routing.heightLow && channel <= routing.heightHigh;
    if (inHeight) {
      ++s0[tips];
      if (neutronTally != nullptr && neutron) ++neutronTally[0];
    }
    for (std::size_t k = 0; k < 3; ++k) {
      if (tips < routing.tipsLow[k] || tips > routing.tipsHigh[k]) continue;
      if (routing.needsHeight[k] && !inHeight) continue;
      ++s1[k * kChannels + channel];
      if (neutronTally != nullptr && neutron) ++neutronTally[k + 1];
    }
  }
}

}  // namespace kvetral
