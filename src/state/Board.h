#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>

#include "Move.h"

// The position as plain integer arrays, for callers that want to read or
// build a board cell by cell. Indexes 0-8 run row by row, both for the
// quadrants of the large grid and for the cells of a quadrant.

// [quadrant][cell]: 0 empty, 1 or 2 that player's mark.
using Board2D = std::array<std::array<std::int32_t, 9>, 9>;
// Nine entries: quadrant states (0 open, 1 or 2 won, -1 closed) or the cells of one quadrant.
using Quadrant = std::array<std::int32_t, 9>;

// Arrays with every entry 0.
Board2D make_Board2D();
Quadrant make_Quadrant();

// 1 or 2 when that player holds a whole line of the nine values, else 0.
int check3InRow(const Quadrant& values);
// True when a line through i holds three entries equal to the non-zero entry
// at i. Meant to be called right after entry i was set; false when it is 0.
bool check3InRow(const Quadrant& values, int i);

// For an entry i that is 0: true when the other two entries of some line
// through i both equal player. On cells: would this mark win the quadrant?
// On quadrant states: would winning quadrant i complete a line of quadrants?
bool potential3inRow(const Quadrant& values, int i, int player);
// Potential code of open quadrant i from the quadrant states: 0 nobody,
// 1 or 2 that player alone, 3 both would complete a line by winning it.
int potential3inRow(const Quadrant& states, int i);
// After quadrant i's state changed, sets every open quadrant's entry of codes
// to potential3inRow(states, j). Entries of quadrants not open stay as they were.
void updatePotential3inRow(Quadrant& codes, const Quadrant& states, int i);

// Index of an entry equal to 0, drawn uniformly from the playout generator.
// The values are left unchanged; the caller must pass an array with a 0.
int getRandomRemaining(const Quadrant& values);
