#include "NetworkLeaf.h"

#include "Evaluate.h"

namespace {

bool samePosition(const Position& a, const Position& b) {
  return a.marks == b.marks && a.won == b.won && a.closed == b.closed && a.next == b.next &&
         a.winner == b.winner && a.lastPlayer == b.lastPlayer;
}

}  // namespace

void NetworkLeaf::begin(const Position& root) {
  if (!hasRoot_ || !samePosition(root, root_)) {
    stack_[0].refresh(net_, root);
    root_ = root;
    hasRoot_ = true;
  }
  depth_ = 0;
}

void NetworkLeaf::descend(const Position& before, const Position& after) {
  stack_[static_cast<std::size_t>(depth_)].updateInto(stack_[static_cast<std::size_t>(depth_) + 1], net_, before,
                                                       after);
  ++depth_;
}

int NetworkLeaf::evaluate(const Position& leaf, Random& rng) {
  const int toMove = leaf.playerToMove();
  const std::array<double, nnue::kOutputs> p =
      nnue::evaluate(net_, stack_[static_cast<std::size_t>(depth_)], toMove).probabilities();
  // A uniform draw in [0, 1) with 32 bits: far finer than the network's values.
  const double u = static_cast<double>(rng.next()) * (1.0 / 4294967296.0);
  if (u < p[nnue::kWin]) return toMove;
  if (u < p[nnue::kWin] + p[nnue::kDraw]) return -1;
  return 3 - toMove;
}
