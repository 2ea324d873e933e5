#pragma once

#include <bit>
#include <cstdint>

#include "LineTables.h"

// PCG32 (XSH-RR): a small, fast generator with good statistical quality. One
// instance feeds every random choice of the random playouts.
class Random {
 public:
  explicit Random(std::uint64_t seed = 0x853c49e6748fea9bULL) { reseed(seed); }

  // Restarts the sequence; the same seed always gives the same draws.
  void reseed(std::uint64_t seed) {
    state_ = 0;
    next();
    state_ += seed;
    next();
  }

  std::uint64_t state() const { return state_; }

  // Next 32 uniformly distributed bits.
  std::uint32_t next() {
    std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncrement;
    auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    auto rot = static_cast<int>(old >> 59u);
    return std::rotr(xorshifted, rot);
  }

  // Uniform value in [0, n) for 0 < n <= 2^32, by Lemire's multiply-shift
  // (the bias for n <= 81 is below 2^-25, far under anything a playout feels).
  std::uint32_t below(std::uint32_t n) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(next()) * n) >> 32);
  }

  // A uniformly chosen set bit of a non-zero mask.
  int randomBit(std::uint32_t mask) {
    // Playouts only ever pass 9-bit masks: one table row does it.
    if (mask <= lines::kFull) {
      const auto& members = lines::kMembers[mask];
      return members[1 + below(members[0])];
    }
    std::uint32_t r = below(static_cast<std::uint32_t>(std::popcount(mask)));
    while (r--) mask &= mask - 1;
    return std::countr_zero(mask);
  }

 private:
  static constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
  std::uint64_t state_ = 0;
};

// The process-wide playout generator, seeded from the clock at start-up.
// Tests reseed it to make playouts repeatable.
Random& playoutRandom();
