#pragma once

#include <array>

#include "Accumulator.h"
#include "Evaluate.h"
#include "Network.h"
#include "Position.h"

namespace nnue {

// The accumulators of one descent of the search, one a ply, kept from one
// descent to the next. An accumulator depends on its position alone, so an
// entry stays good for as long as the descent passes the same position at
// that ply: descents that share their first moves share their work. A leaf
// is reached from the deepest good entry above it by updates when that is
// near, and summed afresh when it is not (a fresh sum costs about three
// updates). Holds no memory beyond itself; nothing is allocated per leaf.
class AccumulatorStack {
 public:
  // Longest descent: the initial position and 81 moves.
  static constexpr int kMaxDepth = 82;
  // Plies below the deepest good entry beyond which a leaf is summed afresh
  // (measured: two updates and three cost about a fresh sum).
  static constexpr int kMaxUpdates = 2;

  // Keeps a reference: net must outlive the stack.
  explicit AccumulatorStack(const Network& net) : net_(&net) {}

  // Sets the position at ply depth (0 for the search's root) of the current
  // descent. Expects 0 <= depth < kMaxDepth and the plies above it set in
  // this descent; deeper entries are left for later descents to reuse.
  void set(int depth, const Position& pos);

  // Evaluates the position at ply depth for its side to move (which must be
  // set, and not finished).
  Evaluation evaluate(int depth);

 private:
  const Network* net_;
  std::array<Position, kMaxDepth> positions_{};
  std::array<bool, kMaxDepth> good_{};
  std::array<Accumulator, kMaxDepth> accumulators_;
};

}  // namespace nnue
