// The simulator's random numbers: a small, fast generator (xoshiro256+) with the few draws the
// instrument model needs. Repeatable for a given seed, independent of the standard library.
#pragma once

#include <cmath>
#include <cstdint>

namespace kvetral {

class Random {
 public:
  using result_type = std::uint64_t;
  explicit Random(std::uint64_t seed = 1) { Seed(seed); }

  void Seed(std::uint64_t seed) {
    std::uint64_t x = seed;
    for (auto& word : state_) {
      x += 0x9E3779B97F4A7C15ull;  // splitmix64
      std::uint64_t z = x;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      word = z ^ (z >> 31);
    }
  }

  std::uint64_t Next() {
    const std::uint64_t result = state_[0] + state_[3];
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = (state_[3] << 45) | (state_[3] >> 19);
    return result;
  }
  std::uint64_t operator()() { return Next(); }
  static constexpr std::uint64_t min() { return 0; }
  static constexpr std::uint64_t max() { return ~std::uint64_t{0}; }

  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double probability) { return probability > 0.0 && Uniform() < probability; }
  // Uniform integer in [0, bound).
  std::uint32_t Below(std::uint32_t bound) {
    return static_cast<std::uint32_t>(((Next() >> 32) * bound) >> 32);
  }
  // Standard normal (Box-Muller; for the slow paths, the event loop uses a quantile table).
  double Normal() {
    const double u = 1.0 - Uniform();
    const double v = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  // Poisson-distributed count with the given mean (normal approximation for large means).
  std::uint64_t Poisson(double mean) {
    if (!(mean > 0.0)) return 0;
    if (mean < 60.0) {
      const double limit = std::exp(-mean);
      std::uint64_t k = 0;
      double product = Uniform();
      while (product > limit) {
        ++k;
        product *= Uniform();
      }
      return k;
    }
    const double x = std::floor(mean + std::sqrt(mean) * Normal() + 0.5);
    return x > 0.0 ? static_cast<std::uint64_t>(x) : 0;
  }

 private:
  std::uint64_t state_[4]{};
};

}  // namespace kvetral
