#include "Accumulator.h"

namespace nnue {

namespace {

using Row = std::array<std::int16_t, kHidden>;

// The int16 adds wrap (the conversion back is modulo 2^16), as the vector
// instructions do; plain loops that the compiler vectorises.
void addRow(Row& to, const Row& from, const Row& row) {
  for (int i = 0; i < kHidden; ++i) to[i] = static_cast<std::int16_t>(from[i] + row[i]);
}
void subRow(Row& to, const Row& from, const Row& row) {
  for (int i = 0; i < kHidden; ++i) to[i] = static_cast<std::int16_t>(from[i] - row[i]);
}

void refreshSide(Row& out, const Network& net, const Position& pos, int perspective) {
  features::List list;
  features::active(pos, perspective, list);
  out = net.hiddenBias;
  for (int i = 0; i < list.size; ++i) addRow(out, out, net.hiddenWeights[list.values[i]]);
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
  if (added.size == 0 && removed.size == 0) {
    out = from;
    return;
  }
  // The first change reads from `from`, so a copy into a child costs nothing extra.
  const Row* source = &from;
  for (int i = 0; i < added.size; ++i) {
    addRow(out, *source, net.hiddenWeights[added.values[i]]);
    source = &out;
  }
  for (int i = 0; i < removed.size; ++i) {
    subRow(out, *source, net.hiddenWeights[removed.values[i]]);
    source = &out;
  }
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
