#include "Board.h"

#include <bit>

#include "LineTables.h"
#include "Random.h"

Board2D make_Board2D() { return Board2D{}; }

Quadrant make_Quadrant() { return Quadrant{}; }

int check3InRow(const Quadrant& values) {
  for (std::uint16_t line : lines::kLines) {
    // Compare against the line's first entry itself: -1 is a real entry
    // (a closed quadrant), so it cannot double as "not read yet".
    const int first = values[std::countr_zero(line)];
    bool whole = true;
    for (int i = 0; i < 9 && whole; ++i)
      if (line >> i & 1u) whole = values[i] == first;
    if (whole && (first == 1 || first == 2)) return first;
  }
  return 0;
}

bool check3InRow(const Quadrant& values, int i) {
  if (i < 0 || i > 8 || values[i] == 0) return false;
  for (std::uint16_t line : lines::kLinesThrough[i]) {
    if (line == 0) break;
    bool whole = true;
    for (int j = 0; j < 9; ++j)
      if ((line >> j & 1u) && values[j] != values[i]) whole = false;
    if (whole) return true;
  }
  return false;
}

bool potential3inRow(const Quadrant& values, int i, int player) {
  if (i < 0 || i > 8 || values[i] != 0) return false;
  for (std::uint16_t line : lines::kLinesThrough[i]) {
    if (line == 0) break;
    bool others = true;
    for (int j = 0; j < 9; ++j)
      if (j != i && (line >> j & 1u) && values[j] != player) others = false;
    if (others) return true;
  }
  return false;
}

int potential3inRow(const Quadrant& states, int i) {
  return (potential3inRow(states, i, 1) ? 1 : 0) | (potential3inRow(states, i, 2) ? 2 : 0);
}

void updatePotential3inRow(Quadrant& codes, const Quadrant& states, int /*i*/) {
  // A newly won quadrant can complete lines through any open quadrant, so every
  // open quadrant's code is worked out again.
  for (int j = 0; j < 9; ++j)
    if (states[j] == 0) codes[j] = potential3inRow(states, j);
}

int getRandomRemaining(const Quadrant& values) {
  std::uint32_t empty = 0;
  for (int i = 0; i < 9; ++i)
    if (values[i] == 0) empty |= 1u << i;
  if (empty == 0) return -1;  // no free entry: callers never ask, but say so safely
  return playoutRandom().randomBit(empty);
}
