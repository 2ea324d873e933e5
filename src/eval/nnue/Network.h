#pragma once

#include <array>
#include <cstdint>

#include "Features.h"

// A small quantised value network in the style of chess engines' NNUE:
//
//   features (209, sparse, per perspective)
//     -> first layer, 128 int16 units per perspective (the accumulator)
//     -> clipped ReLU of both perspectives, the side to move first (256 uint8)
//     -> 16 units, int8 weights, int32 sums, clipped ReLU (uint8)
//     -> 3 logits: win, draw and loss for the side to move
//
// Fixed-point scales: first-layer weights and accumulator hold value * 127,
// so the clipped ReLU's [0, 127] stands for [0, 1]; the int8 weights of the
// later layers hold value * 64, their sums value * 127 * 64 (kOutputScale).
// Weights of the later layers lie in [-127, 127], which keeps every pair sum
// of the AVX2 path inside int16 without saturation, so the portable and the
// vector paths agree to the bit.
namespace nnue {

inline constexpr int kInputs = features::kCount;
inline constexpr int kHidden = 128;
inline constexpr int kLayer2 = 16;
inline constexpr int kOutputs = 3;

inline constexpr int kActivationMax = 127;  // clipped ReLU's top: 1.0
inline constexpr int kWeightScale = 64;     // int8 weight per 1.0
inline constexpr int kOutputScale = kActivationMax * kWeightScale;
inline constexpr int kWeightShift = 6;      // log2(kWeightScale)

// Logit order of the output.
enum Outcome { kWin = 0, kDraw = 1, kLoss = 2 };

struct Network {
  alignas(32) std::array<std::int16_t, kHidden> hiddenBias{};
  alignas(32) std::array<std::array<std::int16_t, kHidden>, kInputs> hiddenWeights{};  // [feature][unit]
  alignas(32) std::array<std::int32_t, kLayer2> layer2Bias{};
  alignas(32) std::array<std::array<std::int8_t, 2 * kHidden>, kLayer2> layer2Weights{};  // [out][in]
  alignas(32) std::array<std::int32_t, kOutputs> outputBias{};
  alignas(32) std::array<std::array<std::int8_t, kLayer2>, kOutputs> outputWeights{};  // [out][in]
};

}  // namespace nnue
