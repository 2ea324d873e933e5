#include "FloatNetwork.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "Features.h"

namespace {

using namespace nnue;

constexpr int kConcat = 2 * kHidden;

// The largest first-layer weight: 91 features of it still fit an int16 sum at scale 127.
constexpr float kHiddenLimit = 2.5f;
// int8 weights at scale 64 reach 127 / 64.
constexpr float kWeightLimit = 127.0f / kWeightScale;

float clipped(float x) { return std::clamp(x, 0.0f, 1.0f); }
bool passes(float x) { return x > 0.0f && x < 1.0f; }

// out = weights * in + bias, weights row by row (one row per output).
void dense(const float* weights, const float* bias, const float* in, int inputs, float* out, int outputs) {
  for (int j = 0; j < outputs; ++j) {
    const float* row = weights + j * inputs;
    float s = bias[j];
    for (int i = 0; i < inputs; ++i) s += row[i] * in[i];
    out[j] = s;
  }
}

// For out = weights * in + bias with dOut the loss's gradient by out: adds
// the gradient by the weights and bias to gradWeights and gradBias, and the
// gradient by in to dIn.
void denseBackward(const float* weights, float* gradWeights, float* gradBias, const float* in, int inputs,
                   const float* dOut, int outputs, float* dIn) {
  for (int j = 0; j < outputs; ++j) {
    const float d = dOut[j];
    if (d == 0.0f) continue;
    gradBias[j] += d;
    const float* row = weights + j * inputs;
    float* gradRow = gradWeights + j * inputs;
    for (int i = 0; i < inputs; ++i) {
      gradRow[i] += d * in[i];
      dIn[i] += d * row[i];
    }
  }
}

template <typename T>
T quantise(float x, float scale, float limit) {
  return static_cast<T>(std::lround(std::clamp(x * scale, -limit, limit)));
}

}  // namespace

FloatNetwork::FloatNetwork(std::uint64_t seed) : weights(kSize, 0.0f) {
  std::mt19937_64 draw(seed);
  auto fill = [&](int begin, int count, float scale) {
    std::uniform_real_distribution<float> u(-scale, scale);
    for (int i = 0; i < count; ++i) weights[begin + i] = u(draw);
  };
  // About 20 active features per perspective; a positive bias starts every
  // hidden unit inside the clipped ReLU's slope.
  fill(kHiddenWeights, kInputs * kHidden, 0.1f);
  for (int i = 0; i < kHidden; ++i) weights[kHiddenBias + i] = 0.3f;
  fill(kLayer2Weights, kLayer2 * kConcat, 1.0f / std::sqrt(static_cast<float>(kConcat)));
  for (int i = 0; i < kLayer2; ++i) weights[kLayer2Bias + i] = 0.2f;
  fill(kOutputWeights, kOutputs * kLayer2, 1.0f / std::sqrt(static_cast<float>(kLayer2)));
}

double FloatNetwork::loss(const Position& pos, const std::array<float, 3>& target, float* gradient) const {
  const float* w = weights.data();
  const int us = pos.playerToMove() - 1;
  features::List active[2];
  features::active(pos, us, active[0]);
  features::active(pos, 1 - us, active[1]);

  // Forward: accumulators of the side to move and the other side, side by side.
  float acc[kConcat];
  float x[kConcat];
  for (int half = 0; half < 2; ++half) {
    float* a = acc + half * kHidden;
    std::copy(w + kHiddenBias, w + kHiddenBias + kHidden, a);
    for (int k = 0; k < active[half].size; ++k) {
      const float* row = w + kHiddenWeights + active[half].values[k] * kHidden;
      for (int i = 0; i < kHidden; ++i) a[i] += row[i];
    }
  }
  for (int i = 0; i < kConcat; ++i) x[i] = clipped(acc[i]);
  float z2[kLayer2];
  float y2[kLayer2];
  dense(w + kLayer2Weights, w + kLayer2Bias, x, kConcat, z2, kLayer2);
  for (int j = 0; j < kLayer2; ++j) y2[j] = clipped(z2[j]);
  float z3[kOutputs];
  dense(w + kOutputWeights, w + kOutputBias, y2, kLayer2, z3, kOutputs);
  const float top = *std::max_element(z3, z3 + kOutputs);
  float p[kOutputs];
  float sum = 0.0f;
  for (int k = 0; k < kOutputs; ++k) sum += p[k] = std::exp(z3[k] - top);
  double loss = 0.0;
  for (int k = 0; k < kOutputs; ++k) {
    p[k] /= sum;
    if (target[k] > 0.0f) loss -= target[k] * std::log(std::max(p[k], 1e-12f));
  }
  if (gradient == nullptr) return loss;

  // Backward, layer by layer; the softmax with cross-entropy gives p - target.
  float* g = gradient;
  float dz3[kOutputs];
  for (int k = 0; k < kOutputs; ++k) dz3[k] = p[k] - target[k];
  float dy2[kLayer2] = {};
  denseBackward(w + kOutputWeights, g + kOutputWeights, g + kOutputBias, y2, kLayer2, dz3, kOutputs, dy2);
  float dz2[kLayer2];
  for (int j = 0; j < kLayer2; ++j) dz2[j] = passes(z2[j]) ? dy2[j] : 0.0f;
  float dx[kConcat] = {};
  denseBackward(w + kLayer2Weights, g + kLayer2Weights, g + kLayer2Bias, x, kConcat, dz2, kLayer2, dx);
  for (int i = 0; i < kConcat; ++i)
    if (!passes(acc[i])) dx[i] = 0.0f;
  for (int half = 0; half < 2; ++half) {
    const float* d = dx + half * kHidden;
    for (int i = 0; i < kHidden; ++i) g[kHiddenBias + i] += d[i];
    for (int k = 0; k < active[half].size; ++k) {
      float* grow = g + kHiddenWeights + active[half].values[k] * kHidden;
      for (int i = 0; i < kHidden; ++i) grow[i] += d[i];
    }
  }
  return loss;
}

void FloatNetwork::clip() {
  for (int i = kHiddenBias; i < kLayer2Bias; ++i) weights[i] = std::clamp(weights[i], -kHiddenLimit, kHiddenLimit);
  for (int i = kLayer2Weights; i < kOutputBias; ++i) weights[i] = std::clamp(weights[i], -kWeightLimit, kWeightLimit);
  for (int i = kOutputWeights; i < kSize; ++i) weights[i] = std::clamp(weights[i], -kWeightLimit, kWeightLimit);
}

Network FloatNetwork::toNetwork() const {
  Network net;
  const float* w = weights.data();
  const float a = kActivationMax;
  for (int i = 0; i < kHidden; ++i) net.hiddenBias[i] = quantise<std::int16_t>(w[kHiddenBias + i], a, 32767.0f);
  for (int f = 0; f < kInputs; ++f)
    for (int i = 0; i < kHidden; ++i)
      net.hiddenWeights[f][i] = quantise<std::int16_t>(w[kHiddenWeights + f * kHidden + i], a, 32767.0f);
  for (int j = 0; j < kLayer2; ++j) {
    net.layer2Bias[j] = quantise<std::int32_t>(w[kLayer2Bias + j], kOutputScale, 1e9f);
    for (int i = 0; i < kConcat; ++i)
      net.layer2Weights[j][i] = quantise<std::int8_t>(w[kLayer2Weights + j * kConcat + i], kWeightScale, 127.0f);
  }
  for (int k = 0; k < kOutputs; ++k) {
    net.outputBias[k] = quantise<std::int32_t>(w[kOutputBias + k], kOutputScale, 1e9f);
    for (int j = 0; j < kLayer2; ++j)
      net.outputWeights[k][j] = quantise<std::int8_t>(w[kOutputWeights + k * kLayer2 + j], kWeightScale, 127.0f);
  }
  return net;
}

FloatNetwork FloatNetwork::fromNetwork(const Network& net) {
  FloatNetwork model(0);
  float* w = model.weights.data();
  const float a = kActivationMax;
  for (int i = 0; i < kHidden; ++i) w[kHiddenBias + i] = static_cast<float>(net.hiddenBias[i]) / a;
  for (int f = 0; f < kInputs; ++f)
    for (int i = 0; i < kHidden; ++i) w[kHiddenWeights + f * kHidden + i] = static_cast<float>(net.hiddenWeights[f][i]) / a;
  for (int j = 0; j < kLayer2; ++j) {
    w[kLayer2Bias + j] = static_cast<float>(net.layer2Bias[j]) / kOutputScale;
    for (int i = 0; i < kConcat; ++i)
      w[kLayer2Weights + j * kConcat + i] = static_cast<float>(net.layer2Weights[j][i]) / kWeightScale;
  }
  for (int k = 0; k < kOutputs; ++k) {
    w[kOutputBias + k] = static_cast<float>(net.outputBias[k]) / kOutputScale;
    for (int j = 0; j < kLayer2; ++j)
      w[kOutputWeights + k * kLayer2 + j] = static_cast<float>(net.outputWeights[k][j]) / kWeightScale;
  }
  return model;
}
