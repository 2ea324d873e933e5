#include "AccumulatorStack.h"

namespace nnue {

namespace {

// The facts a position's accumulator depends on (the rest follows from them).
bool samePosition(const Position& a, const Position& b) {
  return a.marks == b.marks && a.next == b.next && a.lastPlayer == b.lastPlayer;
}

}  // namespace

void AccumulatorStack::set(int depth, const Position& pos) {
  if (good_[depth] && samePosition(positions_[depth], pos)) return;
  positions_[depth] = pos;
  good_[depth] = false;
}

Evaluation AccumulatorStack::evaluate(int depth) {
  int from = depth;
  while (from >= 0 && from >= depth - kMaxUpdates && !good_[from]) --from;
  if (from < 0 || from < depth - kMaxUpdates) {
    accumulators_[depth].refresh(*net_, positions_[depth]);
    good_[depth] = true;
  } else {
    for (int d = from + 1; d <= depth; ++d) {
      accumulators_[d - 1].updateInto(accumulators_[d], *net_, positions_[d - 1], positions_[d]);
      good_[d] = true;
    }
  }
  return nnue::evaluate(*net_, accumulators_[depth], positions_[depth].playerToMove());
}

}  // namespace nnue
