#include "Evaluate.h"

#include <algorithm>
#include <cmath>

namespace nnue {

namespace {

std::uint8_t clipped(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, kActivationMax)); }

// The last layer from the second layer's activations.
Evaluation outputLayer(const Network& net, const std::uint8_t* layer2) {
  Evaluation e;
  for (int k = 0; k < kOutputs; ++k) {
    std::int32_t sum = net.outputBias[k];
    for (int j = 0; j < kLayer2; ++j) sum += layer2[j] * net.outputWeights[k][j];
    e.logits[k] = sum;
  }
  return e;
}

}  // namespace

std::array<double, kOutputs> Evaluation::probabilities(double temperature) const {
  const std::int32_t top = *std::max_element(logits.begin(), logits.end());
  const double scale = kOutputScale * temperature;
  std::array<double, kOutputs> p{};
  double sum = 0.0;
  for (int i = 0; i < kOutputs; ++i) {
    // exp(0) is exactly 1: the top logit needs no call. Single precision is
    // far finer than the network's logits and costs half the time.
    p[i] = logits[i] == top ? 1.0 : std::exp(static_cast<float>(static_cast<double>(logits[i] - top) / scale));
    sum += p[i];
  }
  for (double& v : p) v /= sum;
  return p;
}

double Evaluation::score(double drawValue) const {
  const std::array<double, kOutputs> p = probabilities();
  return p[kWin] + drawValue * p[kDraw];
}

Evaluation evaluatePortable(const Network& net, const Accumulator& acc, int sideToMove) {
  const int us = sideToMove == 2 ? 1 : 0;
  std::uint8_t input[2 * kHidden];
  for (int i = 0; i < kHidden; ++i) {
    input[i] = clipped(acc.values[us][i]);
    input[kHidden + i] = clipped(acc.values[1 - us][i]);
  }
  std::uint8_t layer2[kLayer2];
  for (int j = 0; j < kLayer2; ++j) {
    std::int32_t sum = net.layer2Bias[j];
    for (int i = 0; i < 2 * kHidden; ++i) sum += input[i] * net.layer2Weights[j][i];
    // Arithmetic shift: negative sums round down, as the vector shift does.
    layer2[j] = clipped(sum >> kWeightShift);
  }
  return outputLayer(net, layer2);
}

Evaluation evaluate(const Network& net, const Accumulator& acc, int sideToMove) {
  static const bool avx2 = hasAvx2();
  return avx2 ? evaluateAvx2(net, acc, sideToMove) : evaluatePortable(net, acc, sideToMove);
}

}  // namespace nnue
