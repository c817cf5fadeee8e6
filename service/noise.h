// Deterministic noise: every random-looking number of the market is a hash of
// the seed and of where it is used, so any value can be computed on its own,
// in any order, and two services with the same seed agree bit for bit.
#pragma once

#include <cstdint>

namespace service {

// The splitmix64 finaliser: a fast bijective mix with good avalanche.
constexpr uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

constexpr uint64_t Hash(uint64_t a) {
  return Mix(a);
}

template <typename... Rest>
constexpr uint64_t Hash(uint64_t a, uint64_t b, Rest... rest) {
  return Hash(Mix(a) ^ b, static_cast<uint64_t>(rest)...);
}

// Uniform in [0, 1).
constexpr double Unit(uint64_t h) {
  return static_cast<double>(h >> 11) * 0x1.0p-53;
}

// Uniform in [low, high).
constexpr double Between(uint64_t h, double low, double high) {
  return low + (high - low) * Unit(h);
}

// Close to a standard normal: the sum of four 16-bit uniforms, centred and
// scaled to unit variance. Tails end at about ±3.46, which keeps walks tame.
constexpr double Normal(uint64_t h) {
  double sum = 0;
  for (int i = 0; i < 4; ++i) sum += static_cast<double>((h >> (16 * i)) & 0xFFFF) / 65536.0;
  return (sum - 2.0) * 1.7320508075688772;
}

}  // namespace service
