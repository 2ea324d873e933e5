#include "NetworkLeaf.h"

namespace {

bool samePosition(const Position& a, const Position& b) {
  return a.marks == b.marks && a.won == b.won && a.closed == b.closed && a.next == b.next &&
         a.winner == b.winner && a.lastPlayer == b.lastPlayer;
}

}  // namespace

void NetworkLeaf::begin(const Position& root) {
  if (!hasRoot_ || !samePosition(root, rootPosition_)) {
    root_.refresh(net_, root);
    rootPosition_ = root;
    hasRoot_ = true;
  }
}

nnue::Evaluation NetworkLeaf::verdictFrom(const nnue::Accumulator& from, const Position& fromPosition,
                                          const Position& leaf) {
  from.updateInto(leaf_, net_, fromPosition, leaf);
  return nnue::evaluate(net_, leaf_, leaf.playerToMove());
}

nnue::Evaluation NetworkLeaf::verdict(const Position& leaf) { return verdictFrom(root_, rootPosition_, leaf); }

void NetworkLeaf::beginChildren(const Position& node) {
  root_.updateInto(node_, net_, rootPosition_, node);
  nodePosition_ = node;
}

nnue::Evaluation NetworkLeaf::childVerdict(const Position& child, int quadrant, int cell) {
  node_.updateByMoveInto(leaf_, net_, nodePosition_, child, quadrant, cell);
  return nnue::evaluate(net_, leaf_, child.playerToMove());
}

int NetworkLeaf::evaluate(const Position& leaf, Random& rng) {
  const int toMove = leaf.playerToMove();
  const std::array<double, nnue::kOutputs> p = verdict(leaf).probabilities();
  // A uniform draw in [0, 1) with 32 bits: far finer than the network's values.
  const double u = static_cast<double>(rng.next()) * (1.0 / 4294967296.0);
  if (u < p[nnue::kWin]) return toMove;
  if (u < p[nnue::kWin] + p[nnue::kDraw]) return -1;
  return 3 - toMove;
}
