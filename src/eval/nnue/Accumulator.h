#pragma once

#include <array>
#include <cstdint>

#include "Network.h"
#include "Position.h"

namespace nnue {

// The first layer's output for one position, from both players' sides:
// values[p] is the hidden bias plus the weight rows of every feature active
// from player index p's side. A move changes a few features, so a child's
// accumulator is its parent's plus and minus a few rows, far cheaper than
// summing every active row again. Sums wrap around in int16 exactly as the
// vector adds do, so the order of updates never changes the result.
struct Accumulator {
  alignas(32) std::array<std::array<std::int16_t, kHidden>, 2> values;

  // Sums every active feature of pos from scratch.
  void refresh(const Network& net, const Position& pos);

  // Turns the accumulator of before into that of after, adding and removing
  // only the features that differ. Expects *this to hold before's values;
  // any two positions work, but when they differ by many features
  // (kRefreshThreshold or more) the sums start afresh.
  void update(const Network& net, const Position& before, const Position& after);

  // Writes before's accumulator plus the change to after into child, leaving
  // *this as it is: the step of a descent that keeps one accumulator a ply.
  void updateInto(Accumulator& child, const Network& net, const Position& before,
                  const Position& after) const;

  // The same for after, which is before with the move (quadrant, cell)
  // played: the changed features come from the move, which is cheaper.
  void updateByMoveInto(Accumulator& child, const Network& net, const Position& before, const Position& after,
                        int quadrant, int cell) const;
};

// Changed features (from one side) from which a fresh sum is cheaper than
// adding and removing rows.
inline constexpr int kRefreshThreshold = 24;

}  // namespace nnue
