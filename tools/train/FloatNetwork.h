#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Network.h"
#include "Position.h"

// The value network in floating point, as the trainer sees it: the same
// layers as nnue::Network with every clipped ReLU on [0, 1], so that
// quantising (toNetwork) keeps its function up to rounding. Weights live in
// one flat vector, which lets the optimiser and the gradient sums treat them
// as one.
class FloatNetwork {
 public:
  static constexpr int kHiddenBias = 0;
  static constexpr int kHiddenWeights = kHiddenBias + nnue::kHidden;
  static constexpr int kLayer2Bias = kHiddenWeights + nnue::kInputs * nnue::kHidden;
  static constexpr int kLayer2Weights = kLayer2Bias + nnue::kLayer2;
  static constexpr int kOutputBias = kLayer2Weights + nnue::kLayer2 * 2 * nnue::kHidden;
  static constexpr int kOutputWeights = kOutputBias + nnue::kOutputs;
  static constexpr int kSize = kOutputWeights + nnue::kOutputs * nnue::kLayer2;

  // Weights drawn from a seeded generator, scaled to each layer's fan-in.
  explicit FloatNetwork(std::uint64_t seed);

  std::vector<float> weights;

  // Cross-entropy of the softmax output against target (win, draw, loss
  // shares for the side to move, summing to 1); when gradient is not null,
  // adds the loss's gradient by every weight to it (kSize entries).
  double loss(const Position& pos, const std::array<float, 3>& target, float* gradient) const;

  // Keeps every weight inside what quantisation can hold.
  void clip();

  // The quantised network (see Network.h for the scales).
  nnue::Network toNetwork() const;

  // A quantised network back in floating point, each weight its integer over
  // its scale, so that toNetwork gives net again: training can go on from a
  // shipped generation instead of from seeded weights.
  static FloatNetwork fromNetwork(const nnue::Network& net);
};
