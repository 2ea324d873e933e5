#pragma once

#include "Position.h"

// The eight symmetries of the square (rotations and reflections). Applied to
// the quadrants and to the cells inside them alike, each maps a position to
// one of equal value: a cell still sends the opponent to the quadrant of the
// same number, since both are renumbered the same way.
namespace symmetry {

inline constexpr int kCount = 8;

// Where symmetry s (0-7, 0 the identity) takes position i (0-8) of a 3x3 grid.
int mapIndex(int s, int i);

// pos under symmetry s: marks, won and closed quadrants and the forced quadrant.
Position apply(const Position& pos, int s);

}  // namespace symmetry
