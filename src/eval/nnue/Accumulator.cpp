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

void sumSide(Row& out, const Network& net, const features::List& active) {
  const std::int16_t* rows[features::kMaxActive];
  rowsOf(net, active, rows);
  applyRowsBest(out.data(), net.hiddenBias.data(), rows, active.size, nullptr, 0);
}

// Both sides of to from both sides of from, given the changes from player
// 1's side; player 2's are their mirror.
void applyChanges(Accumulator& to, const Accumulator& from, const Network& net, features::List (&added)[2],
                  features::List (&removed)[2]) {
  features::mirror(added[0], added[1]);
  features::mirror(removed[0], removed[1]);
  for (int p = 0; p < 2; ++p) {
    const std::int16_t* addedRows[features::kMaxActive];
    const std::int16_t* removedRows[features::kMaxActive];
    rowsOf(net, added[p], addedRows);
    rowsOf(net, removed[p], removedRows);
    applyRowsBest(to.values[p].data(), from.values[p].data(), addedRows, added[p].size, removedRows,
                  removed[p].size);
  }
}

// Both sides of to from both sides of from: the changed features are found
// once, from player 1's side. A side with many changes is summed afresh,
// which is then cheaper.
void updateBoth(Accumulator& to, const Accumulator& from, const Network& net, const Position& before,
                const Position& after) {
  features::List added[2];
  features::List removed[2];
  features::changed(before, after, 0, added[0], removed[0]);
  if (added[0].size + removed[0].size >= kRefreshThreshold) {
    to.refresh(net, after);
    return;
  }
  applyChanges(to, from, net, added, removed);
}

}  // namespace

void Accumulator::refresh(const Network& net, const Position& pos) {
  features::List active[2];
  features::active(pos, 0, active[0]);
  features::mirror(active[0], active[1]);
  for (int p = 0; p < 2; ++p) sumSide(values[p], net, active[p]);
}

void Accumulator::update(const Network& net, const Position& before, const Position& after) {
  updateBoth(*this, *this, net, before, after);
}

void Accumulator::updateInto(Accumulator& child, const Network& net, const Position& before,
                             const Position& after) const {
  updateBoth(child, *this, net, before, after);
}

void Accumulator::updateByMoveInto(Accumulator& child, const Network& net, const Position& before,
                                   const Position& after, int quadrant, int cell) const {
  features::List added[2];
  features::List removed[2];
  features::changedByMove(before, after, quadrant, cell, 0, added[0], removed[0]);
  applyChanges(child, *this, net, added, removed);
}

}  // namespace nnue
