#pragma once

#include <array>

#include "Accumulator.h"
#include "Network.h"
#include "Position.h"
#include "Random.h"

// The value network as a leaf evaluator of the search's descent. The first
// layer's accumulator is carried down with the position: the root's is
// summed once and each step down adds and removes only the rows that its
// move changes, so a leaf costs a few row updates and the small upper layers.
// The network's win, draw and loss probabilities for the side to move are
// sampled into one result, which the tree's integer counts take as they
// take a playout's.
class NetworkLeaf {
 public:
  explicit NetworkLeaf(const nnue::Network& net) : net_(net) {}

  const nnue::Network& network() const { return net_; }

  // Starts a descent at root; its accumulator is summed again only when the
  // root differs from the last one's.
  void begin(const Position& root);
  // One step down, from before to after (a move apart). At most 81 steps
  // after begin.
  void descend(const Position& before, const Position& after);
  // The result of the game from the leaf (the position of the last descend,
  // or the root), drawn from the network's probabilities: 1 or 2 the
  // winner, -1 a tie. Expects an unfinished game.
  int evaluate(const Position& leaf, Random& rng);

 private:
  const nnue::Network& net_;
  // One accumulator a ply of the descent; index 0 is the root's.
  std::array<nnue::Accumulator, 82> stack_;
  int depth_ = 0;
  Position root_;
  bool hasRoot_ = false;
};
