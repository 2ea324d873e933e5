#include "Evaluate.h"

#include <gtest/gtest.h>

#include <numeric>

#include "NetworkFixtures.h"

namespace nnue {
namespace {

TEST(Evaluate, PortableAndAvx2PathsGiveTheSameLogits) {
  if (!hasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  for (unsigned seed = 0; seed < 8; ++seed) {
    const auto net = testing::randomNetwork(100 + seed);
    for (const Position& pos : testing::randomGame(seed)) {
      Accumulator acc;
      acc.refresh(*net, pos);
      for (int side = 1; side <= 2; ++side)
        ASSERT_EQ(evaluatePortable(*net, acc, side).logits, evaluateAvx2(*net, acc, side).logits)
            << "seed " << seed;
    }
  }
}

TEST(Evaluate, PathsAgreeAtTheEdgesOfTheRanges) {
  if (!hasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  // Largest weights and accumulators far outside [0, 127] on both sides.
  auto net = testing::randomNetwork(5);
  for (auto& row : net->layer2Weights)
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::int8_t>(i % 2 ? 127 : -127);
  Accumulator acc;
  for (int p = 0; p < 2; ++p)
    for (int i = 0; i < kHidden; ++i)
      acc.values[p][i] = static_cast<std::int16_t>(i % 3 == 0 ? 32767 : i % 3 == 1 ? -32768 : i - 10);
  EXPECT_EQ(evaluatePortable(*net, acc, 1).logits, evaluateAvx2(*net, acc, 1).logits);
  EXPECT_EQ(evaluatePortable(*net, acc, 2).logits, evaluateAvx2(*net, acc, 2).logits);

  // Second-layer sums in every region of the clipped ReLU: far below 0, just
  // around 0 and 127 after the shift, and beyond what 16 bits hold.
  const std::int32_t biases[] = {-(1 << 30), -65, -64, -1, 0, 63, 64, 127 * 64, 128 * 64 - 1,
                                 128 * 64, 40000 * 64, 1 << 30, -4000000, 4000000, 777, -777};
  for (int shift = 0; shift < kLayer2; ++shift) {
    for (int j = 0; j < kLayer2; ++j) net->layer2Bias[j] = biases[(j + shift) % kLayer2];
    for (int side = 1; side <= 2; ++side)
      ASSERT_EQ(evaluatePortable(*net, acc, side).logits, evaluateAvx2(*net, acc, side).logits) << shift;
  }
}

TEST(Evaluate, ProbabilitiesSumToOneAndFavourTheLargestLogit) {
  Evaluation e;
  e.logits = {2 * kOutputScale, 0, -kOutputScale};
  const auto p = e.probabilities();
  EXPECT_NEAR(std::accumulate(p.begin(), p.end(), 0.0), 1.0, 1e-12);
  EXPECT_GT(p[kWin], p[kDraw]);
  EXPECT_GT(p[kDraw], p[kLoss]);
  EXPECT_NEAR(e.score(0.5), p[kWin] + 0.5 * p[kDraw], 1e-12);
}

}  // namespace
}  // namespace nnue
