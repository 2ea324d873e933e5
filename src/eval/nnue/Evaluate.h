#pragma once

#include <array>
#include <cstdint>

#include "Accumulator.h"
#include "Network.h"

namespace nnue {

// The network's verdict on a position for the side to move: three integer
// logits at kOutputScale (win, draw, loss; see Outcome) and the
// probabilities their softmax gives.
struct Evaluation {
  std::array<std::int32_t, kOutputs> logits{};

  // Win, draw and loss probabilities (softmax of the logits), summing to 1.
  // A temperature above 1 divides the logits first, which evens the three
  // out; expects a temperature above 0.
  std::array<double, kOutputs> probabilities(double temperature = 1.0) const;
  // The expected score for the side to move when a draw is worth drawValue.
  double score(double drawValue) const;
};

// Evaluates the position whose accumulator is acc for sideToMove (1 or 2),
// by the AVX2 path when the processor has it and the portable one otherwise.
// Both give the same logits. Allocates nothing.
Evaluation evaluate(const Network& net, const Accumulator& acc, int sideToMove);

// The same, always by plain integer code.
Evaluation evaluatePortable(const Network& net, const Accumulator& acc, int sideToMove);

// Whether this processor and build have the AVX2 path.
bool hasAvx2();
// The same by AVX2 instructions. Expects hasAvx2(); falls back to the
// portable path when it is false, so a call is never an illegal instruction.
Evaluation evaluateAvx2(const Network& net, const Accumulator& acc, int sideToMove);

}  // namespace nnue
