#include "FloatNetwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "NetworkFixtures.h"
#include "WeightsFile.h"

namespace {

// The loss's gradient by a weight against a central difference, for weights
// of every layer, at positions of a seeded game.
TEST(FloatNetwork, GradientMatchesCentralDifferences) {
  FloatNetwork model(3);
  const std::vector<Position> game = nnue::testing::randomGame(4);
  const std::array<float, 3> target = {0.6f, 0.3f, 0.1f};
  int checked = 0;
  for (std::size_t ply : {std::size_t{0}, std::size_t{7}, std::size_t{15}}) {
    const Position& pos = game[ply];
    std::vector<float> gradient(FloatNetwork::kSize, 0.0f);
    model.loss(pos, target, gradient.data());
    for (int start : {FloatNetwork::kHiddenBias, FloatNetwork::kLayer2Bias, FloatNetwork::kLayer2Weights,
                      FloatNetwork::kOutputBias, FloatNetwork::kOutputWeights}) {
      for (int i = start; i < start + 40 && i < FloatNetwork::kSize; ++i) {
        const float keep = model.weights[i];
        const float h = 1e-3f;
        model.weights[i] = keep + h;
        const double up = model.loss(pos, target, nullptr);
        model.weights[i] = keep - h;
        const double down = model.loss(pos, target, nullptr);
        model.weights[i] = keep;
        const double numeric = (up - down) / (2 * h);
        // A weight whose step crosses a clipped ReLU's corner has no derivative to compare.
        if (std::abs(numeric) < 1e-4 && std::abs(gradient[i]) < 1e-4) continue;
        EXPECT_NEAR(gradient[i], numeric, 2e-3 + 0.02 * std::abs(numeric)) << "weight " << i << " ply " << ply;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(FloatNetwork, QuantisedNetworkKeepsTheWeightsWithinTheirRanges) {
  FloatNetwork model(8);
  for (float& w : model.weights) w *= 100.0f;  // far outside every range
  model.clip();
  const auto net = std::make_unique<nnue::Network>(model.toNetwork());
  for (const auto& row : net->layer2Weights)
    for (std::int8_t w : row) ASSERT_GE(w, -127);
  for (const auto& row : net->hiddenWeights)
    for (std::int16_t w : row) ASSERT_LE(std::abs(w) * nnue::features::kMaxActive, 32767);
}

// Training goes on from a shipped file: its weights back in floating point
// must quantise to the same file, and score positions as the file does.
TEST(FloatNetwork, QuantisedNetworkComesBackUnchanged) {
  FloatNetwork model(5);
  const auto net = std::make_unique<nnue::Network>(model.toNetwork());
  const FloatNetwork back = FloatNetwork::fromNetwork(*net);
  const auto again = std::make_unique<nnue::Network>(back.toNetwork());
  EXPECT_EQ(nnue::saveNetwork(*again), nnue::saveNetwork(*net));
  const std::array<float, 3> target = {0.5f, 0.2f, 0.3f};
  for (const Position& pos : nnue::testing::randomGame(9))
    EXPECT_NEAR(back.loss(pos, target, nullptr), model.loss(pos, target, nullptr), 0.05);
}

}  // namespace
