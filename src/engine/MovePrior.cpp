#include "MovePrior.h"

#include <algorithm>

int movePrior(const Position& pos, int quadrant, int cell) {
  const int me = pos.playerToMove() - 1;
  const int other = 1 - me;
  const unsigned bit = 1u << cell;
  int prior = 0;
  bool closesQuadrant = false;
  if (lines::kCompletes[pos.marks[me][quadrant]] & bit) {
    prior += 2;
    closesQuadrant = true;
  } else if (lines::kCompletes[pos.marks[other][quadrant]] & bit) {
    prior += 1;
  }
  if (!closesQuadrant && (pos.occupied(quadrant) | bit) == lines::kFull) closesQuadrant = true;

  // Where the opponent goes next: the quadrant named by the cell, if open.
  unsigned open = pos.openQuadrants();
  if (closesQuadrant) open &= ~(1u << quadrant);
  if (!(open >> cell & 1u)) return std::max(prior - 2, -3);
  unsigned theirs = pos.marks[other][cell];
  unsigned empty = lines::kFull & ~pos.occupied(cell);
  if (cell == quadrant) empty &= ~bit;
  if (lines::kCompletes[theirs] & empty) prior -= 1;
  return std::clamp(prior, -3, 3);
}
