#pragma once

#include "Accumulator.h"
#include "Evaluate.h"
#include "Network.h"
#include "Position.h"
#include "Random.h"

// The value network as a leaf evaluator of the search's descent. The root's
// first-layer accumulator is summed once; a leaf's is the root's plus and
// minus the rows of the features that the moves down to it changed, found in
// one comparison of the two positions (or summed afresh when that is
// cheaper). Updating ply by ply instead would touch the rows of every level,
// most of which the next step changes again: measured, it cost about three
// times as much per leaf at the depths the search reaches.
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
  // The result of the game from leaf, a position below the root of the last
  // begin, drawn from the network's probabilities: 1 or 2 the winner, -1 a
  // tie. Expects an unfinished game.
  int evaluate(const Position& leaf, Random& rng);
  // The network's verdict on leaf that evaluate samples from: the same
  // logits as an accumulator summed afresh for leaf gives.
  nnue::Evaluation verdict(const Position& leaf);

  // Readies verdicts on the children of node, a position below the root of
  // the last begin: node's accumulator is worked out once, so each child's
  // is a single move away instead of the whole way down from the root.
  void beginChildren(const Position& node);
  // The verdict on child, the last beginChildren's node with the move
  // (quadrant, cell) played; the same logits as verdict(child).
  nnue::Evaluation childVerdict(const Position& child, int quadrant, int cell);

 private:
  // The verdict on leaf, its accumulator made from from's, that of fromPosition.
  nnue::Evaluation verdictFrom(const nnue::Accumulator& from, const Position& fromPosition, const Position& leaf);

  const nnue::Network& net_;
  nnue::Accumulator root_;
  nnue::Accumulator leaf_;
  nnue::Accumulator node_;
  Position rootPosition_;
  Position nodePosition_;
  bool hasRoot_ = false;
};
