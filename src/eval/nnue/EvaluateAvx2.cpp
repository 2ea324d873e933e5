// The AVX2 path of the evaluation. Only its functions are compiled for AVX2
// (by attribute, not by a build flag), so the program still runs on any
// x86-64 and picks this path at run time.

#include "Evaluate.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define UTTT_NNUE_AVX2 1
#endif

namespace nnue {

#ifdef UTTT_NNUE_AVX2

namespace {

// Clipped ReLU of 32 int16 values into 32 uint8 in order: the signed pack
// saturates to [-128, 127], the byte max lifts negatives to 0, and the
// permute undoes the pack's interleaving of 128-bit lanes.
__attribute__((target("avx2"))) __m256i clip32(const std::int16_t* values) {
  const __m256i a = _mm256_load_si256(reinterpret_cast<const __m256i*>(values));
  const __m256i b = _mm256_load_si256(reinterpret_cast<const __m256i*>(values + 16));
  const __m256i packed = _mm256_packs_epi16(a, b);
  return _mm256_permute4x64_epi64(_mm256_max_epi8(packed, _mm256_setzero_si256()), 0xD8);
}

__attribute__((target("avx2"))) std::int32_t horizontalSum(__m256i v) {
  __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
  return _mm_cvtsi128_si32(s);
}

constexpr int kChunks = 2 * kHidden / 32;

__attribute__((target("avx2"))) Evaluation evaluateVector(const Network& net,
                                                         const Accumulator& acc,
                                                         int sideToMove) {
  const int us = sideToMove == 2 ? 1 : 0;
  __m256i input[kChunks];
  for (int c = 0; c < kChunks / 2; ++c) {
    input[c] = clip32(acc.values[us].data() + 32 * c);
    input[kChunks / 2 + c] = clip32(acc.values[1 - us].data() + 32 * c);
  }
  // uint8 times int8 in pairs (at most 2 * 127 * 127, no saturation), then
  // the pairs summed into int32 by a multiply with ones.
  const __m256i ones = _mm256_set1_epi16(1);
  alignas(32) std::uint8_t layer2[kLayer2];
  for (int j = 0; j < kLayer2; ++j) {
    const std::int8_t* w = net.layer2Weights[j].data();
    __m256i sum = _mm256_setzero_si256();
    for (int c = 0; c < kChunks; ++c) {
      const __m256i weights = _mm256_load_si256(reinterpret_cast<const __m256i*>(w + 32 * c));
      sum = _mm256_add_epi32(sum, _mm256_madd_epi16(_mm256_maddubs_epi16(input[c], weights), ones));
    }
    const std::int32_t total = net.layer2Bias[j] + horizontalSum(sum);
    const std::int32_t shifted = total >> kWeightShift;
    layer2[j] = static_cast<std::uint8_t>(shifted < 0 ? 0 : shifted > kActivationMax ? kActivationMax : shifted);
  }
  return detail::outputLayer(net, layer2);
}

}  // namespace

bool hasAvx2() { return __builtin_cpu_supports("avx2"); }

Evaluation evaluateAvx2(const Network& net, const Accumulator& acc, int sideToMove) {
  if (!hasAvx2()) return evaluatePortable(net, acc, sideToMove);
  return evaluateVector(net, acc, sideToMove);
}

#else

bool hasAvx2() { return false; }

Evaluation evaluateAvx2(const Network& net, const Accumulator& acc, int sideToMove) {
  return evaluatePortable(net, acc, sideToMove);
}

#endif

}  // namespace nnue
