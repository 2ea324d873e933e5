#include "Accumulator.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace nnue {

namespace {

using Row = std::array<std::int16_t, kHidden>;

// out = from + the added rows - the removed rows. The int16 sums wrap
// (conversion modulo 2^16) as the vector adds do, so every path and every
// order of changes gives the same bits.
using ApplyRows = void (*)(std::int16_t*, const std::int16_t*, const std::int16_t* const*, int,
                           const std::int16_t* const*, int);

// Row by row: loops the compiler vectorises for baseline x86-64.
void applyRowsPortable(std::int16_t* out, const std::int16_t* from, const std::int16_t* const* added,
                       int addedCount, const std::int16_t* const* removed, int removedCount) {
  for (int i = 0; i < kHidden; ++i) out[i] = from[i];
  for (int r = 0; r < addedCount; ++r)
    for (int i = 0; i < kHidden; ++i) out[i] = static_cast<std::int16_t>(out[i] + added[r][i]);
  for (int r = 0; r < removedCount; ++r)
    for (int i = 0; i < kHidden; ++i) out[i] = static_cast<std::int16_t>(out[i] - removed[r][i]);
}

#if defined(__x86_64__) || defined(__i386__)
// 128 units at a time in eight 256-bit registers: each changed feature's row
// is added to registers, and memory is written once at the end instead of
// once per feature.
constexpr int kRegisters = 8;
constexpr int kBlock = 16 * kRegisters;
static_assert(kHidden % kBlock == 0, "the AVX2 update works on blocks of 128 units");

__attribute__((target("avx2"))) void applyRowsAvx2(std::int16_t* out, const std::int16_t* from,
                                                   const std::int16_t* const* added, int addedCount,
                                                   const std::int16_t* const* removed, int removedCount) {
  for (int b = 0; b < kHidden; b += kBlock) {
    __m256i sum[kRegisters];
    for (int k = 0; k < kRegisters; ++k)
      sum[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(from + b + 16 * k));
    for (int r = 0; r < addedCount; ++r)
      for (int k = 0; k < kRegisters; ++k)
        sum[k] = _mm256_add_epi16(sum[k], _mm256_load_si256(reinterpret_cast<const __m256i*>(added[r] + b + 16 * k)));
    for (int r = 0; r < removedCount; ++r)
      for (int k = 0; k < kRegisters; ++k)
        sum[k] = _mm256_sub_epi16(sum[k], _mm256_load_si256(reinterpret_cast<const __m256i*>(removed[r] + b + 16 * k)));
    for (int k = 0; k < kRegisters; ++k) _mm256_store_si256(reinterpret_cast<__m256i*>(out + b + 16 * k), sum[k]);
  }
}
ApplyRows chooseApplyRows() { return __builtin_cpu_supports("avx2") ? applyRowsAvx2 : applyRowsPortable; }
#else
ApplyRows chooseApplyRows() { return applyRowsPortable; }
#endif

const ApplyRows applyRowsBest = chooseApplyRows();

// The rows of a list of features.
void rowsOf(const Network& net, const features::List& list, const std::int16_t** rows) {
  for (int i = 0; i < list.size; ++i) rows[i] = net.hiddenWeights[list.values[i]].data();
}

void refreshSide(Row& out, const Network& net, const Position& pos, int perspective) {
  features::List list;
  features::active(pos, perspective, list);
  const std::int16_t* rows[features::kMaxActive];
  rowsOf(net, list, rows);
  applyRowsBest(out.data(), net.hiddenBias.data(), rows, list.size, nullptr, 0);
}

// out = from + added rows - removed rows, or a fresh sum when that is cheaper.
void updateSide(Row& out, const Row& from, const Network& net, const Position& before,
                const Position& after, int perspective) {
  features::List added;
  features::List removed;
  features::changed(before, after, perspective, added, removed);
  if (added.size + removed.size >= kRefreshThreshold) {
    refreshSide(out, net, after, perspective);
    return;
  }
  const std::int16_t* addedRows[features::kMaxActive];
  const std::int16_t* removedRows[features::kMaxActive];
  rowsOf(net, added, addedRows);
  rowsOf(net, removed, removedRows);
  applyRowsBest(out.data(), from.data(), addedRows, added.size, removedRows, removed.size);
}

}  // namespace

void Accumulator::refresh(const Network& net, const Position& pos) {
  for (int p = 0; p < 2; ++p) refreshSide(values[p], net, pos, p);
}

void Accumulator::update(const Network& net, const Position& before, const Position& after) {
  for (int p = 0; p < 2; ++p) updateSide(values[p], values[p], net, before, after, p);
}

void Accumulator::updateInto(Accumulator& child, const Network& net, const Position& before,
                             const Position& after) const {
  for (int p = 0; p < 2; ++p) updateSide(child.values[p], values[p], net, before, after, p);
}

}  // namespace nnue
