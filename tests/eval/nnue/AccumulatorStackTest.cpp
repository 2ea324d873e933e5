#include "AccumulatorStack.h"

#include <gtest/gtest.h>

#include <random>

#include "NetworkFixtures.h"

namespace nnue {
namespace {

// Descents from one root through a narrow tree (the first two legal moves at
// every ply), so that they share prefixes as a search's do, to random depths.
TEST(AccumulatorStack, LeavesOfSharedDescentsEvaluateAsAFreshSumDoes) {
  const auto net = testing::randomNetwork(31);
  const Position root = testing::randomGame(32)[6];
  AccumulatorStack stack(*net);
  std::mt19937 draw(33);
  for (int descent = 0; descent < 300; ++descent) {
    Position pos = root;
    stack.set(0, pos);
    const int depth = static_cast<int>(draw() % 12);
    int d = 0;
    while (d < depth && pos.winner == 0) {
      int legal[2];
      int count = 0;
      for (int m = 0; m < 81 && count < 2; ++m)
        if (pos.isLegal(m / 9, m % 9)) legal[count++] = m;
      const int m = legal[draw() % count];
      pos.play(m / 9, m % 9);
      stack.set(++d, pos);
    }
    if (pos.winner != 0) continue;
    Accumulator fresh;
    fresh.refresh(*net, pos);
    ASSERT_EQ(stack.evaluate(d).logits, evaluate(*net, fresh, pos.playerToMove()).logits)
        << "descent " << descent << ", depth " << d;
  }
}

}  // namespace
}  // namespace nnue
