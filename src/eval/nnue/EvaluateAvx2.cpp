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

// The sums of the eight int32 lanes of each of a, b, c and d, in that order.
__attribute__((target("avx2"))) __m128i horizontalSums4(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i abcd = _mm256_hadd_epi32(_mm256_hadd_epi32(a, b), _mm256_hadd_epi32(c, d));
  return _mm_add_epi32(_mm256_castsi256_si128(abcd), _mm256_extracti128_si256(abcd, 1));
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
  // Eight units at a time, chunk by chunk: their eight sums stay in
  // registers, and each reduction sums four of them.
  constexpr int kBlockUnits = 8;
  __m128i sums[kLayer2 / 4];
  for (int j = 0; j < kLayer2; j += kBlockUnits) {
    __m256i sum[kBlockUnits];
    for (int u = 0; u < kBlockUnits; ++u) sum[u] = _mm256_setzero_si256();
    for (int c = 0; c < kChunks; ++c) {
      const __m256i x = input[c];
      for (int u = 0; u < kBlockUnits; ++u) {
        const std::int8_t* w = net.layer2Weights[j + u].data() + 32 * c;
        const __m256i weights = _mm256_load_si256(reinterpret_cast<const __m256i*>(w));
        sum[u] = _mm256_add_epi32(sum[u], _mm256_madd_epi16(_mm256_maddubs_epi16(x, weights), ones));
      }
    }
    for (int h = 0; h < kBlockUnits; h += 4) {
      const __m128i bias = _mm_load_si128(reinterpret_cast<const __m128i*>(net.layer2Bias.data() + j + h));
      const __m128i total = _mm_add_epi32(bias, horizontalSums4(sum[h], sum[h + 1], sum[h + 2], sum[h + 3]));
      sums[(j + h) / 4] = _mm_srai_epi32(total, kWeightShift);
    }
  }
  // Clipped to [0, kActivationMax]: the signed pack saturates to int16, the
  // unsigned one lifts negatives to 0, the minimum caps the top.
  static_assert(kLayer2 == 16, "the activations are packed as one 16-byte register");
  const __m128i packed =
      _mm_packus_epi16(_mm_packs_epi32(sums[0], sums[1]), _mm_packs_epi32(sums[2], sums[3]));
  const __m128i layer2 = _mm_min_epu8(packed, _mm_set1_epi8(static_cast<char>(kActivationMax)));
  // The last layer the same way, in 128-bit registers: one pair sum of
  // products needs at most 2 * 127 * 127, inside int16.
  const __m128i ones128 = _mm_set1_epi16(1);
  __m128i products[4];
  for (int k = 0; k < kOutputs; ++k) {
    const __m128i weights = _mm_load_si128(reinterpret_cast<const __m128i*>(net.outputWeights[k].data()));
    products[k] = _mm_madd_epi16(_mm_maddubs_epi16(layer2, weights), ones128);
  }
  products[3] = _mm_setzero_si128();
  static_assert(kOutputs == 3, "the logits are reduced as three of four lanes");
  alignas(16) std::int32_t logits[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(logits),
                  _mm_hadd_epi32(_mm_hadd_epi32(products[0], products[1]), _mm_hadd_epi32(products[2], products[3])));
  Evaluation e;
  for (int k = 0; k < kOutputs; ++k) e.logits[k] = net.outputBias[k] + logits[k];
  return e;
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
