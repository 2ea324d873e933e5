#pragma once

#include <cstdint>

#include "Position.h"

// The network's input: which facts of a position are true, each a number
// below kCount, seen from one player's side (the perspective). Each player's
// accumulator sums the first-layer rows of its own view, so the same weights
// serve both sides and the evaluation can put the side to move first.
//
//   0-161    a mark in a cell: 2 * (9 * quadrant + cell) + (0 mine, 1 theirs)
//   162-188  a closed quadrant: 162 + 3 * quadrant + (0 won by me, 1 won by
//            them, 2 full without a line)
//   189-208  where the next move goes: 189 + (0 when I move, 10 when they do)
//            + (the forced quadrant, or 9 for a free choice)
//
// Exactly one of the last group is active in every position, so a move
// always changes it: one row out, one row in.
namespace nnue::features {

inline constexpr int kCellBase = 0;
inline constexpr int kQuadrantBase = 162;
inline constexpr int kForcedBase = 189;
inline constexpr int kCount = 209;
// At most: 81 cells, 9 quadrants and the forced-quadrant feature.
inline constexpr int kMaxActive = 91;

// A short list of feature numbers; fixed storage, so building one allocates nothing.
struct List {
  std::uint16_t size = 0;
  std::uint16_t values[kMaxActive];
  void push(int f) { values[size++] = static_cast<std::uint16_t>(f); }
};

// Every feature true in pos from perspective's side (player index 0 or 1).
void active(const Position& pos, int perspective, List& out);

// The features that go from false to true (added) and from true to false
// (removed) between two positions, from perspective's side. Any two
// positions work; after a single move the lists hold two to four entries.
void changed(const Position& before, const Position& after, int perspective, List& added,
             List& removed);

// The same lists as changed() for after, which is before with the move
// (quadrant, cell) played, found from the move instead of from a comparison
// of every quadrant: a search asks this for every child of a node.
void changedByMove(const Position& before, const Position& after, int quadrant, int cell, int perspective,
                   List& added, List& removed);

// The same fact seen from the other player's side: mine and theirs swap,
// and so do "I move" and "they move".
inline int mirror(int f) {
  if (f < kQuadrantBase) return f ^ 1;
  if (f < kForcedBase) {
    const int kind = (f - kQuadrantBase) % 3;
    return kind == 2 ? f : kind == 0 ? f + 1 : f - 1;
  }
  return f < kForcedBase + 10 ? f + 10 : f - 10;
}

// Every entry of from mirrored into to.
inline void mirror(const List& from, List& to) {
  to.size = from.size;
  for (int i = 0; i < from.size; ++i) to.values[i] = static_cast<std::uint16_t>(mirror(from.values[i]));
}

}  // namespace nnue::features
